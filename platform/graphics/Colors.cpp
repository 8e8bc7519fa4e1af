#include "platform/graphics/Colors.h"

#include <array>
#include <cstring>
#include <strings.h>

namespace {

// The classic colour scheme.
constexpr std::array<TColor, SystemColorCount> DefaultSysColors = {
    0xC8D0D4, // 0 scroll bar
    0x808000, // 1 desktop background (teal)
    0x6A240A, // 2 active caption
    0x808080, // 3 inactive caption
    0xC8D0D4, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC8D0D4, // 10 active border
    0xC8D0D4, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC8D0D4, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC8D0D4, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3D dark shadow
    0xC8D0D4, // 22 3D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
    0x000000, // 25 (unused)
    0x800000, // 26 hot light
    0xF0CAA6, // 27 gradient active caption
    0xC0C0C0, // 28 gradient inactive caption
    0x6A240A, // 29 menu highlight
    0xC8D0D4, // 30 menu bar
};

std::array<TColor, SystemColorCount>& SysColors()
{
    static std::array<TColor, SystemColorCount> colors = DefaultSysColors;
    return colors;
}

struct ColorName {
    TColor Value;
    const char* Name;
};

constexpr ColorName ColorNames[] = {
    { clBlack, "clBlack" }, { clMaroon, "clMaroon" }, { clGreen, "clGreen" }, { clOlive, "clOlive" },
    { clNavy, "clNavy" }, { clPurple, "clPurple" }, { clTeal, "clTeal" }, { clGray, "clGray" },
    { clSilver, "clSilver" }, { clRed, "clRed" }, { clLime, "clLime" }, { clYellow, "clYellow" },
    { clBlue, "clBlue" }, { clFuchsia, "clFuchsia" }, { clAqua, "clAqua" }, { clWhite, "clWhite" },
    { clMoneyGreen, "clMoneyGreen" }, { clSkyBlue, "clSkyBlue" }, { clCream, "clCream" }, { clMedGray, "clMedGray" },
    { clScrollBar, "clScrollBar" }, { clBackground, "clBackground" }, { clActiveCaption, "clActiveCaption" },
    { clInactiveCaption, "clInactiveCaption" }, { clMenu, "clMenu" }, { clWindow, "clWindow" },
    { clWindowFrame, "clWindowFrame" }, { clMenuText, "clMenuText" }, { clWindowText, "clWindowText" },
    { clCaptionText, "clCaptionText" }, { clActiveBorder, "clActiveBorder" }, { clInactiveBorder, "clInactiveBorder" },
    { clAppWorkSpace, "clAppWorkSpace" }, { clHighlight, "clHighlight" }, { clHighlightText, "clHighlightText" },
    { clBtnFace, "clBtnFace" }, { clBtnShadow, "clBtnShadow" }, { clGrayText, "clGrayText" },
    { clBtnText, "clBtnText" }, { clInactiveCaptionText, "clInactiveCaptionText" }, { clBtnHighlight, "clBtnHighlight" },
    { cl3DDkShadow, "cl3DDkShadow" }, { cl3DLight, "cl3DLight" }, { clInfoText, "clInfoText" }, { clInfoBk, "clInfoBk" },
    { clHotLight, "clHotLight" }, { clGradientActiveCaption, "clGradientActiveCaption" },
    { clGradientInactiveCaption, "clGradientInactiveCaption" }, { clMenuHighlight, "clMenuHighlight" },
    { clMenuBar, "clMenuBar" }, { clNone, "clNone" }, { clDefault, "clDefault" },
};

} // namespace

TColor GetSysColor(int index)
{
    if (index < 0 || index >= SystemColorCount)
        return 0;
    return SysColors()[static_cast<size_t>(index)];
}

void SetSysColor(int index, TColor value)
{
    if (index >= 0 && index < SystemColorCount)
        SysColors()[static_cast<size_t>(index)] = value & 0x00FFFFFF;
}

void ResetSysColors()
{
    SysColors() = DefaultSysColors;
}

TColor ColorToRGB(TColor color)
{
    if (IsSystemColor(color))
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

std::optional<AnsiString> ColorToIdent(TColor color)
{
    for (const ColorName& n : ColorNames)
        if (n.Value == color)
            return AnsiString(n.Name);
    return std::nullopt;
}

std::optional<TColor> IdentToColor(const AnsiString& ident)
{
    for (const ColorName& n : ColorNames)
        if (strcasecmp(n.Name, ident.c_str()) == 0)
            return n.Value;
    return std::nullopt;
}
