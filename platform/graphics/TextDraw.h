#pragma once
// Text output on a device context: the system's TextOut, GetTextExtent and DrawText, rendered
// antialiased with FreeType from a face that fontconfig matches to the font's name.
//
// Texts are byte strings in the active code page. Coordinates are logical (the context's Origin
// applies) and every pixel written lies inside the context's ClipRect.

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Font.h"

#include <string_view>

// DrawText flags (the system's values).
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;
constexpr unsigned DT_BOTTOM = 0x0008;
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_EXPANDTABS = 0x0040;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_EXTERNALLEADING = 0x0200;
constexpr unsigned DT_CALCRECT = 0x0400;
constexpr unsigned DT_NOPREFIX = 0x0800;

struct TTextMetrics {
    int Height = 0; // cell height: Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
};

TTextMetrics GetTextMetrics(const TFontSpec& font);

// Width and height of one line of text (no prefix processing, line breaks not special).
TPoint GetTextExtent(const TFontSpec& font, std::string_view text);

// Draws one line with its cell's top-left corner at (x, y): glyphs in textColor, and, when
// dc.BkMode is bkOpaque, the text cell filled with dc.BkColor first. Underline and strike-out
// follow the font's style.
void TextOutDC(TDeviceContext& dc, const TFontSpec& font, TColor textColor, int x, int y, std::string_view text);

// The system's DrawText: lines break at CR, LF and CR LF; DT_CENTER / DT_RIGHT align each line
// in rect; DT_VCENTER / DT_BOTTOM place the block of lines; unless DT_NOPREFIX, "&X" underlines X
// and "&&" draws one ampersand. DT_CALCRECT draws nothing and sets rect's Right and Bottom to the
// text's extent. Glyphs are drawn in textColor with a transparent background unless dc.BkMode is
// bkOpaque. Returns the height of the text.
int DrawTextDC(TDeviceContext& dc, const TFontSpec& font, TColor textColor, std::string_view text, TRect& rect, unsigned flags);
