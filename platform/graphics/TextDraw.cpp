// Placeholder until the FreeType renderer lands: metrics of a fixed 6 x 12 cell, nothing drawn.
#include "platform/graphics/TextDraw.h"

TTextMetrics GetTextMetrics(const TFontSpec&)
{
    return { 12, 10, 2, 0, 0, 6, 12 };
}

TPoint GetTextExtent(const TFontSpec&, std::string_view text)
{
    return { static_cast<int>(text.size()) * 6, 12 };
}

void TextOutDC(TDeviceContext&, const TFontSpec&, TColor, int, int, std::string_view)
{
}

int DrawTextDC(TDeviceContext&, const TFontSpec&, TColor, std::string_view, TRect&, unsigned)
{
    return 12;
}
