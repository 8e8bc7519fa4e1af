#include "platform/base/CodePage.h"
#include "platform/graphics/FontEngine.h"
#include "platform/graphics/TextDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TFontSpec Gothic(int height = -12)
{
    TFontSpec spec;
    spec.Name = Utf8ToActive("ＭＳ Ｐゴシック");
    spec.Height = height;
    spec.Charset = SHIFTJIS_CHARSET;
    return spec;
}

// An in-memory surface with a context on it, filled with one colour or a pattern.
struct TSurface {
    TDibImage Image;
    TDeviceContext Dc;

    TSurface(int width, int height, int bpp = 24, std::vector<std::uint32_t> palette = {})
    {
        Image.Palette = std::move(palette);
        Image.Allocate(width, height, bpp);
        Dc = TDeviceContext(&Image);
        Dc.BkMode = bkTransparent;
        Fill(0xFFFFFF);
    }
    void Fill(std::uint32_t word)
    {
        for (int y = 0; y < Image.Height; ++y)
            for (int x = 0; x < Image.Width; ++x)
                Image.SetPixelWord(x, y, word);
    }
    // A background that differs from pixel to pixel, so that a write to the wrong place shows.
    void FillPattern()
    {
        for (int y = 0; y < Image.Height; ++y)
            for (int x = 0; x < Image.Width; ++x)
                Image.SetPixelWord(x, y, Pattern(x, y));
    }
    static std::uint32_t Pattern(int x, int y)
    {
        return (static_cast<std::uint32_t>(40 + x * 5 % 200) << 16) | (static_cast<std::uint32_t>(60 + y * 7 % 180) << 8) | 0xA0;
    }
    std::uint32_t At(int x, int y) const { return Image.GetPixelWord(x, y); }
    // The bounding box of every pixel that is not white.
    TRect Ink() const
    {
        TRect box;
        for (int y = 0; y < Image.Height; ++y)
            for (int x = 0; x < Image.Width; ++x)
                if (At(x, y) != 0xFFFFFF)
                    box = box.United({ x, y, x + 1, y + 1 });
        return box;
    }
};

TRect CalcRect(const std::string& text, unsigned flags = 0, TRect start = { 0, 0, 0, 0 })
{
    TSurface s(1, 1);
    DrawTextDC(s.Dc, Gothic(), clBlack, text, start, flags | DT_CALCRECT);
    return start;
}

int Width(const std::string& text) { return GetTextExtent(Gothic(), text).X; }

} // namespace

TEST(FontMatchTest, JapaneseSystemFacesResolveToIpaFaces)
{
    struct Case {
        const char* Name;
        const char* Family;
    };
    const Case cases[] = {
        { "ＭＳ Ｐゴシック", "IPAPGothic" },
        { "MS PGothic", "IPAPGothic" },
        { "ＭＳ ゴシック", "IPAGothic" },
        { "MS Gothic", "IPAGothic" },
    };
    for (const Case& c : cases) {
        TFontSpec spec = Gothic();
        spec.Name = Utf8ToActive(c.Name);
        const TFontEngine::TMatch& match = TFontEngine::Instance().Match(spec);
        EXPECT_EQ(match.Family, c.Family) << c.Name;
        EXPECT_TRUE(match.CoversJapanese) << c.Name;
    }
}

TEST(FontMatchTest, ShiftJisCharsetFindsAJapaneseFaceForALatinName)
{
    TFontSpec spec;
    spec.Name = "Arial";
    spec.Charset = SHIFTJIS_CHARSET;
    EXPECT_TRUE(TFontEngine::Instance().Match(spec).CoversJapanese);
}

TEST(FontMatchTest, BoldWithoutABoldFaceIsSynthesised)
{
    TFontSpec plain = Gothic();
    TFontSpec bold = Gothic();
    bold.Style = { fsBold };
    EXPECT_TRUE(TFontEngine::Instance().Match(bold).SyntheticBold);
    EXPECT_GT(GetTextExtent(bold, "HHHH").X, GetTextExtent(plain, "HHHH").X);
}

TEST(TextMetricsTest, CharacterAndCellHeights)
{
    TTextMetrics em = GetTextMetrics(Gothic(-12));
    EXPECT_GE(em.Height, 12);
    EXPECT_LE(em.Height, 16);
    EXPECT_GT(em.Ascent, em.Descent);
    EXPECT_EQ(em.Height, em.Ascent + em.Descent);
    EXPECT_EQ(em.InternalLeading, em.Height - 12);

    for (int cell : { 12, 16, 24 }) {
        TTextMetrics m = GetTextMetrics(Gothic(cell));
        EXPECT_NEAR(m.Height, cell, 1) << cell;
        EXPECT_GT(m.Height - m.InternalLeading, 0) << cell;
    }
}

TEST(DrawTextTest, CalcRectMeasuresLinesAndPrefixes)
{
    int line = GetTextMetrics(Gothic()).Height;
    ASSERT_LT(Width("A"), Width("AB"));
    struct Case {
        const char* Text;
        unsigned Flags;
        int Width;
        int Height;
    };
    const Case cases[] = {
        { "A", 0, Width("A"), line },
        { "AB", 0, Width("AB"), line },
        { "", 0, 0, line },
        { "A\nBB", 0, Width("BB"), 2 * line },
        { "AB\r\nA", 0, Width("AB"), 2 * line },
        { "A\r\rB", 0, Width("A"), 3 * line },
        { "A\r\n", 0, Width("A"), line },
        { "A\nB", DT_SINGLELINE, Width("AB"), line },
        { "&&", 0, Width("&"), line },
        { "&F", 0, Width("F"), line },
        { "F&", 0, Width("F"), line },
        { "&&F", DT_NOPREFIX, Width("&&F"), line },
        { "A\tB", DT_EXPANDTABS, 8 * GetTextMetrics(Gothic()).AveCharWidth + Width("B"), line },
    };
    for (const Case& c : cases) {
        TRect r = CalcRect(c.Text, c.Flags, { 7, 5, 7, 5 });
        EXPECT_EQ(r, Rect(7, 5, 7 + c.Width, 5 + c.Height)) << '"' << c.Text << '"';
    }
}

TEST(DrawTextTest, CalcRectKeepsLeftWhenCentredOrRight)
{
    for (unsigned flags : { DT_CENTER, DT_RIGHT }) {
        TRect r = CalcRect("AB", flags, { 10, 0, 200, 0 });
        EXPECT_EQ(r.Left, 10);
        EXPECT_EQ(r.Width(), Width("AB"));
    }
}

TEST(DrawTextTest, WordBreakFitsTheWidth)
{
    int line = GetTextMetrics(Gothic()).Height;
    int fits = Width("aa aa");
    struct Case {
        const char* Text;
        int RectWidth;
        int Width;
        int Lines;
    };
    const Case cases[] = {
        { "aa aa aa", fits, Width("aa aa"), 2 },
        { "aa aa aa", fits - 1, Width("aa"), 3 },
        { "aa   aa", Width("aa  "), Width("aa"), 2 }, // the blanks at the break take no room
        { "aaaaaaaa b", Width("aa"), Width("aaaaaaaa"), 2 }, // a long word stays whole
        { "aa\nbb cc", 1000, Width("bb cc"), 2 },
        { "", 10, 0, 1 },
    };
    for (const Case& c : cases) {
        TRect r = CalcRect(c.Text, DT_WORDBREAK, { 0, 0, c.RectWidth, 0 });
        EXPECT_EQ(r.Width(), c.Width) << c.Text;
        EXPECT_EQ(r.Height(), c.Lines * line) << c.Text;
    }
}

TEST(DrawTextTest, ReturnsTheHeightOfTheLines)
{
    TSurface s(80, 60);
    TRect r { 0, 0, 80, 60 };
    EXPECT_EQ(DrawTextDC(s.Dc, Gothic(), clBlack, "A\nB\nC", r, 0), 3 * GetTextMetrics(Gothic()).Height);
    EXPECT_EQ(r, Rect(0, 0, 80, 60));
}

TEST(DrawTextTest, PrefixUnderlinesOnlyTheMarkedCharacter)
{
    TTextMetrics m = GetTextMetrics(Gothic());
    TSurface s(80, 30);
    TRect r { 2, 3, 80, 30 };
    DrawTextDC(s.Dc, Gothic(), clBlack, "H&EH", r, 0);
    int baseline = 3 + m.Ascent;
    int left = 2 + Width("H");
    int right = left + Width("E");

    bool foundLine = false;
    for (int y = baseline; y < 3 + m.Height; ++y) {
        bool full = true;
        for (int x = left; x < right; ++x)
            full = full && s.At(x, y) == 0x000000;
        foundLine = foundLine || full;
        for (int x = 0; x < 80; ++x) {
            if (x < left || x >= right) {
                EXPECT_EQ(s.At(x, y), 0xFFFFFFu) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(foundLine);
}

TEST(DrawTextTest, AlignmentMovesTheInk)
{
    const int width = 101, height = 41;
    TSurface reference(width, height);
    TRect r { 0, 0, width, height };
    DrawTextDC(reference.Dc, Gothic(), clBlack, "HIH", r, 0);
    TRect ink = reference.Ink();
    ASSERT_FALSE(ink.IsEmpty());
    int w = Width("HIH"), h = GetTextMetrics(Gothic()).Height;

    struct Case {
        unsigned Flags;
        int Dx;
        int Dy;
    };
    const Case cases[] = {
        { DT_CENTER, (width - w) / 2, 0 },
        { DT_RIGHT, width - w, 0 },
        { DT_VCENTER, 0, (height - h) / 2 },
        { DT_BOTTOM, 0, height - h },
        { DT_CENTER | DT_VCENTER, (width - w) / 2, (height - h) / 2 },
    };
    for (const Case& c : cases) {
        TSurface s(width, height);
        TRect rc { 0, 0, width, height };
        DrawTextDC(s.Dc, Gothic(), clBlack, "HIH", rc, c.Flags);
        EXPECT_EQ(s.Ink(), ink.Offsetted(c.Dx, c.Dy)) << c.Flags;
    }

    // A symmetric text lands in the middle of the rectangle.
    TSurface centred(width, height);
    DrawTextDC(centred.Dc, Gothic(), clBlack, "HIH", r, DT_CENTER);
    TRect c = centred.Ink();
    EXPECT_LE(std::abs((c.Left + c.Right) - width), 2);
}

TEST(DrawTextTest, CentringTruncatesTowardZero)
{
    // A text wider than its rectangle by an odd amount starts half of it, rounded toward zero,
    // to the left.
    int w = Width("HHHH");
    TRect narrow { 0, 0, w - 3, 0 };
    TSurface wide(w + 20, 20);
    wide.Dc.Origin = { 10, 0 };
    wide.Dc.BkMode = bkOpaque;
    wide.Dc.BkColor = clBlack;
    narrow.Bottom = 20;
    DrawTextDC(wide.Dc, Gothic(), clBlack, "HHHH", narrow, DT_CENTER | DT_NOCLIP);
    EXPECT_EQ(wide.Ink().Left, 10 + Halved(-3));
    EXPECT_EQ(wide.Ink().Right, 10 + Halved(-3) + w);
}

TEST(DrawTextTest, NothingIsWrittenOutsideTheClip)
{
    struct Case {
        bool TextOut;
        unsigned Flags;
        TRect Rect; // logical; TextOut draws at its top-left
    };
    const Case cases[] = {
        { false, DT_NOCLIP, { -20, -10, 60, 40 } },
        { false, DT_NOCLIP | DT_CENTER | DT_VCENTER, { -5, -5, 40, 30 } },
        { false, 0, { 12, 8, 22, 14 } }, // the text's own rectangle clips
        { true, DT_NOCLIP, { -3, 2, 0, 0 } },
    };
    for (const Case& c : cases) {
        TSurface s(40, 30);
        s.FillPattern();
        s.Dc.Origin = { 5, 3 };
        s.Dc.ClipRect = { 10, 8, 30, 20 };
        s.Dc.BkMode = bkOpaque;
        s.Dc.BkColor = clRed;
        TFontSpec font = Gothic(-16);
        font.Style = { fsUnderline, fsStrikeOut, fsItalic };
        TRect r = c.Rect;
        if (c.TextOut)
            TextOutDC(s.Dc, font, clBlue, r.Left, r.Top, "WWWWWWWWWW");
        else
            DrawTextDC(s.Dc, font, clBlue, "WWW&W\nMMMMM\nAAAA", r, c.Flags);
        TRect allowed = s.Dc.ClipRect;
        if (!(c.Flags & DT_NOCLIP))
            allowed.Intersect(c.Rect.Offsetted(5, 3));
        int changed = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                if (s.At(x, y) == TSurface::Pattern(x, y))
                    continue;
                ++changed;
                EXPECT_TRUE(allowed.Contains({ x, y })) << x << "," << y;
            }
        EXPECT_GT(changed, 0);
    }
}

TEST(TextOutTest, CoverageBlendsBetweenBackgroundAndTextColour)
{
    SetSysColor(13, RGB(10, 200, 30));
    for (int bpp : { 24, 32 }) {
        for (TColor color : { RGB(200, 30, 90), clHighlight }) {
            TSurface s(40, 30, bpp);
            s.FillPattern();
            TFontSpec font = Gothic(-20);
            TextOutDC(s.Dc, font, color, 4, 3, "H");

            TFontEngine::TFace& face = TFontEngine::Instance().Face(font);
            const TFontEngine::TGlyph& glyph = face.Glyph(U'H');
            int left = 4 + glyph.Left, top = 3 + face.Metrics().Ascent - glyph.Top;
            std::uint32_t text = ColorToPixelWord(ColorToRGB(color));
            bool sawFull = false;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    bool inside = x >= left && x < left + glyph.Width && y >= top && y < top + glyph.Rows;
                    unsigned a = inside ? glyph.Coverage[static_cast<size_t>((y - top) * glyph.Width + (x - left))] : 0;
                    std::uint32_t bg = TSurface::Pattern(x, y);
                    std::uint32_t got = s.At(x, y);
                    if (a == 0) {
                        EXPECT_EQ(got, bg) << x << "," << y;
                    } else if (a == 255) {
                        EXPECT_EQ(got, text) << x << "," << y;
                        sawFull = true;
                    } else {
                        for (int shift : { 0, 8, 16 }) {
                            int d = static_cast<int>((bg >> shift) & 0xFF), t = static_cast<int>((text >> shift) & 0xFF);
                            int want = (d * (255 - static_cast<int>(a)) + t * static_cast<int>(a)) / 255;
                            EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), want, 1) << x << "," << y;
                        }
                    }
                }
            EXPECT_TRUE(sawFull);
        }
    }
    ResetSysColors();
}

TEST(TextOutTest, PaletteSurfacesGetOnlyPaletteEntries)
{
    // No black in the palette: the text's colour must be mapped, never stored as a stray index.
    const std::vector<std::uint32_t> palette { 0xFFFFFF, 0xFF0000, 0x808080, 0x0000FF, 0x00FF00 };
    for (int bpp : { 4, 8 }) {
        TSurface s(40, 20, bpp, palette);
        TextOutDC(s.Dc, Gothic(), RGB(150, 10, 10), 2, 2, "Ag");
        bool inked = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                const std::uint8_t* row = s.Image.Row(y);
                unsigned index = bpp == 8 ? row[x] : (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
                EXPECT_LT(index, palette.size()) << x << "," << y;
                inked = inked || index != 0;
            }
        EXPECT_TRUE(inked) << bpp;
    }
}

TEST(TextOutTest, OpaqueModeFillsTheCellAndUnderlineSpansTheText)
{
    TFontSpec font = Gothic();
    font.Style = { fsUnderline };
    TTextMetrics m = GetTextMetrics(font);
    int w = GetTextExtent(font, "ii").X;
    TSurface s(40, 30);
    s.Dc.Origin = { 3, 2 };
    s.Dc.BkMode = bkOpaque;
    s.Dc.BkColor = clLime;
    TextOutDC(s.Dc, font, clBlack, 4, 5, "ii");
    TRect cell = Bounds(7, 7, w, m.Height);
    EXPECT_EQ(s.Ink(), cell);
    EXPECT_EQ(s.At(cell.Left, cell.Top), 0x00FF00u);
    EXPECT_EQ(s.At(cell.Right - 1, cell.Top), 0x00FF00u);
    TFontEngine::TLine u = TFontEngine::Instance().Face(font).Underline();
    for (int x = cell.Left; x < cell.Right; ++x)
        EXPECT_EQ(s.At(x, cell.Top + m.Ascent + u.Offset), 0u) << x;
}
