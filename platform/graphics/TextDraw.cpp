#include "platform/graphics/TextDraw.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/FontEngine.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using TFace = TFontEngine::TFace;
using TGlyph = TFontEngine::TGlyph;

constexpr char32_t CR = U'\r';
constexpr char32_t LF = U'\n';
constexpr char32_t Tab = U'\t';

// The context's clip, kept inside the surface whatever the caller left in ClipRect.
TRect SurfaceClip(const TDeviceContext& dc)
{
    if (!dc.Surface || dc.Surface->Empty())
        return {};
    return dc.ClipRect.Intersected({ 0, 0, dc.Surface->Width, dc.Surface->Height });
}

std::uint8_t Mix(unsigned dst, unsigned src, unsigned coverage)
{
    return static_cast<std::uint8_t>((dst * (255 - coverage) + src * coverage + 127) / 255);
}

// Solid fill of a surface rectangle (surface coordinates), limited to clip.
void FillSolid(TDibImage& surface, const TRect& clip, const TRect& r, TColor rgb)
{
    TRect area = r.Intersected(clip);
    if (area.IsEmpty())
        return;
    std::uint32_t word = ColorToPixelWord(rgb);
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            surface.SetPixelWord(x, y, word);
}

// Blends a glyph's coverage with its top-left corner at (left, top), surface coordinates.
void BlendGlyph(TDibImage& surface, const TRect& clip, const TGlyph& glyph, int left, int top, TColor rgb)
{
    TRect area = TRect { left, top, left + glyph.Width, top + glyph.Rows }.Intersected(clip);
    if (area.IsEmpty())
        return;
    unsigned r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    std::uint32_t word = ColorToPixelWord(rgb);
    int bytesPerPixel = surface.BitsPerPixel == 24 ? 3 : surface.BitsPerPixel == 32 ? 4 : 0;
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint8_t* coverage = glyph.Coverage.data() + static_cast<size_t>(y - top) * static_cast<size_t>(glyph.Width);
        std::uint8_t* row = surface.Row(y);
        for (int x = area.Left; x < area.Right; ++x) {
            unsigned a = coverage[x - left];
            if (a == 0)
                continue;
            if (bytesPerPixel) {
                std::uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel);
                p[0] = Mix(p[0], b, a);
                p[1] = Mix(p[1], g, a);
                p[2] = Mix(p[2], r, a);
                if (bytesPerPixel == 4)
                    p[3] = 0;
            } else if (a == 255) {
                surface.SetPixelWord(x, y, word);
            } else {
                std::uint32_t d = surface.GetPixelWord(x, y);
                std::uint32_t mixed = (std::uint32_t { Mix((d >> 16) & 0xFF, r, a) } << 16)
                    | (std::uint32_t { Mix((d >> 8) & 0xFF, g, a) } << 8) | Mix(d & 0xFF, b, a);
                surface.SetPixelWord(x, y, mixed);
            }
        }
    }
}

// How characters advance the pen on one line.
struct TAdvancer {
    TFace& Face;
    bool ExpandTabs = false;
    bool BreaksTakeNoRoom = false;

    int Advance(char32_t c, int x) const
    {
        if (c == Tab && ExpandTabs) {
            int stop = 8 * Face.Metrics().AveCharWidth;
            if (stop > 0)
                return (x / stop + 1) * stop - x;
        }
        if (BreaksTakeNoRoom && (c == CR || c == LF))
            return 0;
        return Face.Advance(c);
    }

    int Width(const std::u32string& chars) const
    {
        int x = 0;
        for (char32_t c : chars)
            x += Advance(c, x);
        return x;
    }
};

// One line as laid out: its characters and the one that a prefix underlines (or -1).
struct TTextLine {
    std::u32string Chars;
    int Underlined = -1;
};

struct TLineStyle {
    TColor Text = clBlack;
    bool Opaque = false;
    TColor Back = clWhite;
    bool Underline = false;
    bool StrikeOut = false;
};

// Draws a line with its cell's top-left corner at (x, y), surface coordinates.
void DrawLine(TDibImage& surface, const TRect& clip, const TAdvancer& advancer, const TTextLine& line, int x, int y,
    const TLineStyle& style)
{
    TFace& face = advancer.Face;
    const TTextMetrics& m = face.Metrics();
    int width = advancer.Width(line.Chars);
    if (style.Opaque)
        FillSolid(surface, clip, { x, y, x + width, y + m.Height }, style.Back);

    int baseline = y + m.Ascent;
    int pen = 0;
    for (size_t i = 0; i < line.Chars.size(); ++i) {
        char32_t c = line.Chars[i];
        int advance = advancer.Advance(c, pen);
        if (c >= 0x20) {
            const TGlyph& glyph = face.Glyph(c);
            if (!glyph.Coverage.empty())
                BlendGlyph(surface, clip, glyph, x + pen + glyph.Left, baseline - glyph.Top, style.Text);
        }
        if (static_cast<int>(i) == line.Underlined) {
            TFontEngine::TLine u = face.Underline();
            FillSolid(surface, clip, { x + pen, baseline + u.Offset, x + pen + advance, baseline + u.Offset + u.Thickness }, style.Text);
        }
        pen += advance;
    }
    if (style.Underline) {
        TFontEngine::TLine u = face.Underline();
        FillSolid(surface, clip, { x, baseline + u.Offset, x + width, baseline + u.Offset + u.Thickness }, style.Text);
    }
    if (style.StrikeOut) {
        TFontEngine::TLine s = face.StrikeOut();
        FillSolid(surface, clip, { x, baseline + s.Offset, x + width, baseline + s.Offset + s.Thickness }, style.Text);
    }
}

// Lines end at CR, LF or CR LF; a break at the very end starts no further line, and an empty
// text is one empty line.
std::vector<std::u32string> SplitLines(const std::u32string& text)
{
    std::vector<std::u32string> lines;
    std::u32string current;
    bool afterBreak = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == CR || c == LF) {
            lines.push_back(std::move(current));
            current.clear();
            if (c == CR && i + 1 < text.size() && text[i + 1] == LF)
                ++i;
            afterBreak = true;
        } else {
            current += c;
            afterBreak = false;
        }
    }
    if (!afterBreak || lines.empty())
        lines.push_back(std::move(current));
    return lines;
}

// "&X" underlines X (the last such character of the line), "&&" is one ampersand and a lone
// "&" at the end of the line is dropped.
TTextLine ApplyPrefixes(const std::u32string& chars)
{
    TTextLine line;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] != U'&') {
            line.Chars += chars[i];
            continue;
        }
        if (i + 1 >= chars.size())
            break;
        ++i;
        if (chars[i] != U'&')
            line.Underlined = static_cast<int>(line.Chars.size());
        line.Chars += chars[i];
    }
    return line;
}

// Breaks a line at blanks so that each piece fits width. The blanks at a break belong to no
// piece; a word wider than width stays whole on a piece of its own.
void WrapLine(const TTextLine& line, int width, const TAdvancer& advancer, std::vector<TTextLine>& out)
{
    const std::u32string& s = line.Chars;
    auto emit = [&](size_t begin, size_t end) {
        TTextLine piece { s.substr(begin, end - begin) };
        if (line.Underlined >= static_cast<int>(begin) && line.Underlined < static_cast<int>(end))
            piece.Underlined = line.Underlined - static_cast<int>(begin);
        out.push_back(std::move(piece));
    };
    size_t pieceStart = 0;
    size_t pieceEnd = 0; // end of the last word on the piece
    bool pieceHasWord = false;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t wordStart = pos;
        while (wordStart < s.size() && s[wordStart] == U' ')
            ++wordStart;
        if (wordStart == s.size())
            break;
        size_t wordEnd = wordStart;
        while (wordEnd < s.size() && s[wordEnd] != U' ')
            ++wordEnd;
        if (pieceHasWord && advancer.Width(s.substr(pieceStart, wordEnd - pieceStart)) > width) {
            emit(pieceStart, pieceEnd);
            pieceStart = wordStart;
        }
        pieceEnd = wordEnd;
        pieceHasWord = true;
        pos = wordEnd;
    }
    emit(pieceStart, s.size());
}

} // namespace

TTextMetrics GetTextMetrics(const TFontSpec& font)
{
    return TFontEngine::Instance().Face(font).Metrics();
}

TPoint GetTextExtent(const TFontSpec& font, std::string_view text)
{
    TFace& face = TFontEngine::Instance().Face(font);
    TAdvancer advancer { face };
    return { advancer.Width(ActiveToUtf32(text)), face.Metrics().Height };
}

void TextOutDC(TDeviceContext& dc, const TFontSpec& font, TColor textColor, int x, int y, std::string_view text)
{
    TRect clip = SurfaceClip(dc);
    if (clip.IsEmpty())
        return;
    TFace& face = TFontEngine::Instance().Face(font);
    TTextLine line { ActiveToUtf32(text) };
    TLineStyle style { ColorToRGB(textColor), dc.BkMode == bkOpaque, ColorToRGB(dc.BkColor), font.Style.Contains(fsUnderline),
        font.Style.Contains(fsStrikeOut) };
    DrawLine(*dc.Surface, clip, TAdvancer { face }, line, x + dc.Origin.X, y + dc.Origin.Y, style);
    dc.Changed();
}

int DrawTextDC(TDeviceContext& dc, const TFontSpec& font, TColor textColor, std::string_view text, TRect& rect, unsigned flags)
{
    TFace& face = TFontEngine::Instance().Face(font);
    const TTextMetrics& m = face.Metrics();
    int lineHeight = m.Height + ((flags & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);
    bool singleLine = (flags & DT_SINGLELINE) != 0;
    TAdvancer advancer { face, (flags & DT_EXPANDTABS) != 0, singleLine };

    std::u32string chars = ActiveToUtf32(text);
    std::vector<std::u32string> hardLines;
    if (singleLine)
        hardLines.push_back(std::move(chars));
    else
        hardLines = SplitLines(chars);

    std::vector<TTextLine> lines;
    for (const std::u32string& hard : hardLines) {
        TTextLine line = (flags & DT_NOPREFIX) ? TTextLine { hard } : ApplyPrefixes(hard);
        if ((flags & DT_WORDBREAK) && !singleLine)
            WrapLine(line, rect.Width(), advancer, lines);
        else
            lines.push_back(std::move(line));
    }

    int blockHeight = static_cast<int>(lines.size()) * lineHeight;
    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (const TTextLine& line : lines)
            widest = std::max(widest, advancer.Width(line.Chars));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + blockHeight;
        return blockHeight;
    }

    TRect clip = SurfaceClip(dc);
    if (!(flags & DT_NOCLIP))
        clip.Intersect(rect.Offsetted(dc.Origin.X, dc.Origin.Y));
    if (clip.IsEmpty())
        return blockHeight;

    int top = rect.Top;
    if (flags & DT_VCENTER)
        top = rect.Top + Halved(rect.Height() - blockHeight);
    else if (flags & DT_BOTTOM)
        top = rect.Bottom - blockHeight;
    TLineStyle style { ColorToRGB(textColor), dc.BkMode == bkOpaque, ColorToRGB(dc.BkColor), font.Style.Contains(fsUnderline),
        font.Style.Contains(fsStrikeOut) };
    for (size_t i = 0; i < lines.size(); ++i) {
        int width = advancer.Width(lines[i].Chars);
        int left = rect.Left;
        if (flags & DT_CENTER)
            left = rect.Left + Halved(rect.Width() - width);
        else if (flags & DT_RIGHT)
            left = rect.Right - width;
        int y = top + static_cast<int>(i) * lineHeight;
        DrawLine(*dc.Surface, clip, advancer, lines[i], left + dc.Origin.X, y + dc.Origin.Y, style);
    }
    dc.Changed();
    return blockHeight;
}
