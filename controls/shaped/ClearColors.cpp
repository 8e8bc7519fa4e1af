#include "controls/shaped/ClearColors.h"

#include <algorithm>

namespace {

template <class F>
TColor EachChannel(TColor color, F f)
{
    const TColor c = ColorToRGB(color);
    return RGB(static_cast<unsigned>(f(GetRValue(c))), static_cast<unsigned>(f(GetGValue(c))), static_cast<unsigned>(f(GetBValue(c))));
}

} // namespace

TColor LightenColor(TColor color, int n)
{
    return EachChannel(color, [n](int v) { return std::clamp(v + n, 0, 255); });
}

TColor DarkenColor(TColor color, int n)
{
    return EachChannel(color, [n](int v) { return std::clamp(v - n, 0, 255); });
}

TColor GrayColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    const int g = std::clamp((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3, 128, 192);
    return static_cast<TColor>(g) * 0x010101u;
}
