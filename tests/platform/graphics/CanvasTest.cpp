#include "platform/graphics/Canvas.h"

#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <utility>

namespace {

// A 24-bit bitmap filled with one colour, drawn on through its canvas.
struct TSurface {
    TBitmap Bitmap;
    TSurface(int w, int h, TColor background = clWhite)
    {
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(w, h);
        Canvas().Brush().SetColor(background);
        Canvas().FillRect({ 0, 0, w, h });
    }
    TCanvas& Canvas() { return Bitmap.Canvas(); }
    TColor At(int x, int y) const { return PixelWordToColor(Bitmap.Image().GetPixelWord(x, y)); }
    int W() const { return Bitmap.Width(); }
    int H() const { return Bitmap.Height(); }
};

// Checks every pixel against a model.
void ExpectPixels(const TSurface& s, const std::function<TColor(int, int)>& expected)
{
    int wrong = 0;
    for (int y = 0; y < s.H(); ++y)
        for (int x = 0; x < s.W(); ++x)
            if (s.At(x, y) != expected(x, y) && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << s.At(x, y) << " instead of " << expected(x, y);
}

using TPixelSet = std::set<std::pair<int, int>>;

TPixelSet Squares(const std::vector<std::pair<int, int>>& centres, int w)
{
    TPixelSet out;
    for (auto [cx, cy] : centres)
        for (int y = cy - w / 2; y < cy - w / 2 + w; ++y)
            for (int x = cx - w / 2; x < cx - w / 2 + w; ++x)
                out.insert({ x, y });
    return out;
}

} // namespace

TEST(CanvasTest, LinesLeaveOutTheirEndPoint)
{
    struct Case {
        int X0, Y0, X1, Y1;
    };
    const Case cases[] = {
        { 2, 3, 12, 3 }, { 12, 3, 2, 3 },   // horizontal, both ways
        { 4, 1, 4, 11 }, { 4, 11, 4, 1 },   // vertical
        { 1, 1, 9, 9 }, { 9, 9, 1, 1 },     // diagonals in all four directions
        { 1, 12, 9, 4 }, { 9, 4, 1, 12 },
        { 5, 5, 5, 5 },                     // no length: nothing at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.X0 << "," << c.Y0 << " to " << c.X1 << "," << c.Y1);
        TSurface s(14, 14);
        s.Canvas().MoveTo(c.X0, c.Y0);
        s.Canvas().LineTo(c.X1, c.Y1);
        EXPECT_EQ(s.Canvas().PenPos(), Point(c.X1, c.Y1));
        int n = std::max(std::abs(c.X1 - c.X0), std::abs(c.Y1 - c.Y0));
        int sx = (c.X1 > c.X0) - (c.X1 < c.X0), sy = (c.Y1 > c.Y0) - (c.Y1 < c.Y0);
        TPixelSet line;
        for (int i = 0; i < n; ++i)
            line.insert({ c.X0 + i * sx, c.Y0 + i * sy });
        ExpectPixels(s, [&](int x, int y) { return line.count({ x, y }) ? clBlack : clWhite; });
    }
}

TEST(CanvasTest, OtherSlopesStepOnePixelAlongTheMajorAxis)
{
    struct Case {
        int X0, Y0, X1, Y1;
    };
    for (const Case& c : { Case { 1, 1, 11, 5 }, Case { 11, 5, 1, 1 }, Case { 2, 12, 5, 1 }, Case { 12, 2, 1, 4 } }) {
        SCOPED_TRACE(testing::Message() << c.X0 << "," << c.Y0 << " to " << c.X1 << "," << c.Y1);
        TSurface s(14, 14);
        s.Canvas().MoveTo(c.X0, c.Y0);
        s.Canvas().LineTo(c.X1, c.Y1);
        bool xMajor = std::abs(c.X1 - c.X0) >= std::abs(c.Y1 - c.Y0);
        int n = xMajor ? std::abs(c.X1 - c.X0) : std::abs(c.Y1 - c.Y0);
        int count = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x)
                if (s.At(x, y) == clBlack) {
                    ++count;
                    // Every pixel lies within half a pixel of the ideal line along the minor axis.
                    double t = xMajor ? double(x - c.X0) / (c.X1 - c.X0) : double(y - c.Y0) / (c.Y1 - c.Y0);
                    double ideal = xMajor ? c.Y0 + t * (c.Y1 - c.Y0) : c.X0 + t * (c.X1 - c.X0);
                    EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5) << x << "," << y;
                    EXPECT_GE(t, 0.0);
                    EXPECT_LT(t, 1.0);
                }
        EXPECT_EQ(count, n);
        EXPECT_EQ(s.At(c.X0, c.Y0), clBlack);
        EXPECT_EQ(s.At(c.X1, c.Y1), clWhite);
    }
}

TEST(CanvasTest, WidePensAreCentredAndMixEachPixelOnce)
{
    struct Case {
        int X0, Y0, X1, Y1, Width;
        TPenMode Mode;
    };
    const Case cases[] = {
        { 2, 5, 8, 5, 3, pmCopy },
        { 6, 2, 6, 10, 5, pmCopy },
        { 2, 2, 10, 10, 3, pmNot }, // inverting twice where squares overlap would leave holes
        { 11, 3, 3, 7, 3, pmNot },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.X0 << "," << c.Y0 << " to " << c.X1 << "," << c.Y1 << " width " << c.Width);
        TSurface s(14, 14);
        s.Canvas().Pen().SetWidth(c.Width);
        s.Canvas().Pen().SetMode(c.Mode);
        s.Canvas().MoveTo(c.X0, c.Y0);
        s.Canvas().LineTo(c.X1, c.Y1);
        // The width-1 line, which the single-pixel tests pin down, stamped with squares.
        TSurface thin(14, 14);
        thin.Canvas().MoveTo(c.X0, c.Y0);
        thin.Canvas().LineTo(c.X1, c.Y1);
        std::vector<std::pair<int, int>> centres;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x)
                if (thin.At(x, y) == clBlack)
                    centres.push_back({ x, y });
        TPixelSet covered = Squares(centres, c.Width);
        ExpectPixels(s, [&](int x, int y) { return covered.count({ x, y }) ? clBlack : clWhite; });
    }
}

TEST(CanvasTest, PenStyles)
{
    TSurface s(14, 3);
    s.Canvas().Pen().SetStyle(psClear);
    s.Canvas().MoveTo(0, 0);
    s.Canvas().LineTo(14, 0);
    EXPECT_EQ(s.Canvas().PenPos(), Point(14, 0));

    // Dots of three with gaps of three; the gaps show the brush while it is solid.
    s.Canvas().Pen().SetStyle(psDot);
    s.Canvas().Brush().SetStyle(bsClear);
    s.Canvas().MoveTo(0, 1);
    s.Canvas().LineTo(12, 1);
    s.Canvas().Brush().SetColor(clBlue);
    s.Canvas().MoveTo(0, 2);
    s.Canvas().LineTo(12, 2);
    ExpectPixels(s, [](int x, int y) {
        bool dot = x < 12 && (x / 3) % 2 == 0;
        if (y == 1)
            return dot ? clBlack : clWhite;
        if (y == 2)
            return x >= 12 ? clWhite : dot ? clBlack : clBlue;
        return clWhite;
    });
}

TEST(CanvasTest, RectangleOutlineAndInside)
{
    struct Case {
        const char* What;
        TRect R;
        TPenStyle Pen;
        int Width;
        TPenMode Mode;
        TBrushStyle Brush;
        std::function<TColor(int, int)> Expected;
    };
    auto in = [](int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; };
    const Case cases[] = {
        { "pen and brush", { 2, 2, 7, 6 }, psSolid, 1, pmCopy, bsSolid,
            [&](int x, int y) { return in(x, y, 3, 3, 6, 5) ? clRed : in(x, y, 2, 2, 7, 6) ? clBlack : clWhite; } },
        { "clear brush", { 2, 2, 7, 6 }, psSolid, 1, pmCopy, bsClear,
            [&](int x, int y) { return !in(x, y, 3, 3, 6, 5) && in(x, y, 2, 2, 7, 6) ? clBlack : clWhite; } },
        { "clear pen fills one less", { 2, 2, 7, 6 }, psClear, 1, pmCopy, bsSolid,
            [&](int x, int y) { return in(x, y, 2, 2, 6, 5) ? clRed : clWhite; } },
        { "reversed corners", { 7, 6, 2, 2 }, psSolid, 1, pmCopy, bsSolid,
            [&](int x, int y) { return in(x, y, 3, 3, 6, 5) ? clRed : in(x, y, 2, 2, 7, 6) ? clBlack : clWhite; } },
        { "inverting mixes each pixel once", { 2, 2, 7, 6 }, psSolid, 1, pmNot, bsSolid,
            [&](int x, int y) { return in(x, y, 2, 2, 7, 6) ? clBlack : clWhite; } },
        { "wide pen centred on the outline", { 2, 2, 12, 10 }, psSolid, 3, pmCopy, bsSolid,
            [&](int x, int y) { return in(x, y, 4, 4, 10, 8) ? clRed : in(x, y, 1, 1, 13, 11) ? clBlack : clWhite; } },
        { "wide pen inside the frame", { 2, 2, 12, 10 }, psInsideFrame, 3, pmCopy, bsSolid,
            [&](int x, int y) { return in(x, y, 5, 5, 9, 7) ? clRed : in(x, y, 2, 2, 12, 10) ? clBlack : clWhite; } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TSurface s(14, 12);
        s.Canvas().Pen().SetStyle(c.Pen);
        s.Canvas().Pen().SetWidth(c.Width);
        s.Canvas().Pen().SetMode(c.Mode);
        s.Canvas().Brush().SetColor(clRed);
        s.Canvas().Brush().SetStyle(c.Brush);
        s.Canvas().Rectangle(c.R);
        ExpectPixels(s, c.Expected);
    }
}

TEST(CanvasTest, FrameRectDrawsTheInsideBorderInTheBrush)
{
    for (TRect r : { TRect { 1, 1, 6, 4 }, TRect { 2, 0, 3, 5 }, TRect { 0, 2, 7, 3 } }) {
        SCOPED_TRACE(testing::Message() << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom);
        TSurface s(7, 5);
        s.Canvas().Brush().SetColor(clGreen);
        s.Canvas().FrameRect(r);
        ExpectPixels(s, [&](int x, int y) {
            bool inside = r.Contains({ x, y });
            bool edge = x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1;
            return inside && edge ? clGreen : clWhite;
        });
    }
}

TEST(CanvasTest, FillRectIsTranslatedByTheOriginAndClipped)
{
    TSurface s(10, 8);
    TCanvas& c = s.Canvas();
    c.Brush().SetColor(clNavy);
    c.Handle()->Origin = { 3, 2 };
    c.FillRect({ -5, -5, 2, 2 }); // surface (-2, -3)-(5, 4), of which (0, 0)-(5, 4) exists
    c.Handle()->IntersectClip({ 3, 3, 20, 20 }); // surface (6, 5) onwards
    EXPECT_EQ(c.ClipRect(), Rect(3, 3, 7, 6));
    c.Brush().SetColor(clMaroon);
    c.FillRect({ 0, 0, 30, 30 });
    c.Brush().SetStyle(bsClear);
    c.FillRect({ -3, -2, 7, 6 }); // a clear brush fills nothing
    ExpectPixels(s, [](int x, int y) {
        if (x >= 6 && y >= 5)
            return clMaroon;
        return x < 5 && y < 4 ? clNavy : clWhite;
    });
}

// A 4-bit picture with a magenta key: drawn transparently at any scale, every output pixel is
// exactly the nearest source pixel or, where that is the key, the untouched background.
TEST(CanvasTest, TransparentStretchKeepsTheKeyExact)
{
    TBitmap picture;
    picture.SetPixelFormat(pf4bit);
    picture.SetSize(5, 4);
    picture.SetPalette({ 0xFF00FF, 0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFFFF, 0xFE00FF });
    const int indices[4][5] = { { 0, 1, 0, 2, 0 }, { 3, 0, 6, 0, 4 }, { 0, 0, 5, 0, 0 }, { 1, 2, 3, 4, 0 } };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            picture.Image().SetPixelWord(x, y, picture.Palette()[static_cast<size_t>(indices[y][x])]);
    picture.SetTransparent(true);
    picture.SetTransparentColor(clFuchsia);
    const TColor background = RGB(0xAA, 0xBB, 0xCC);

    for (TRect dest : { TRect { 1, 1, 14, 12 }, TRect { 2, 1, 5, 3 }, TRect { 0, 0, 5, 4 }, TRect { -2, 3, 9, 6 }, TRect { 3, 0, 4, 13 } }) {
        SCOPED_TRACE(testing::Message() << dest.Left << "," << dest.Top << "," << dest.Right << "," << dest.Bottom);
        TSurface s(15, 13, background);
        s.Canvas().StretchDraw(dest, picture);
        ExpectPixels(s, [&](int x, int y) {
            if (!dest.Contains({ x, y }))
                return background;
            int sx = (x - dest.Left) * 5 / dest.Width(), sy = (y - dest.Top) * 4 / dest.Height();
            std::uint32_t word = picture.Palette()[static_cast<size_t>(indices[sy][sx])];
            return word == 0xFF00FF ? background : PixelWordToColor(word);
        });
    }
}

TEST(CanvasTest, TransparentDrawAutoAndFixedKeys)
{
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(3, 2);
    const TColor pixels[2][3] = { { clFuchsia, clRed, clLime }, { clLime, clFuchsia, clBlue } };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.Canvas().SetPixels(x, y, pixels[y][x]);
    picture.SetTransparent(true);

    for (bool fixedKey : { false, true }) {
        SCOPED_TRACE(fixedKey ? "tmFixed magenta" : "tmAuto");
        if (fixedKey)
            picture.SetTransparentColor(clFuchsia);
        TColor key = fixedKey ? clFuchsia : clLime; // auto: the bottom-left pixel
        TSurface s(5, 4);
        s.Canvas().Draw(1, 1, picture);
        ExpectPixels(s, [&](int x, int y) {
            if (x < 1 || x > 3 || y < 1 || y > 2)
                return clWhite;
            TColor p = pixels[y - 1][x - 1];
            return p == key ? clWhite : p;
        });
    }
}

TEST(CanvasTest, StretchDrawSamplesByFloor)
{
    TBitmap picture;
    picture.SetPixelFormat(pf32bit);
    picture.SetSize(2, 2);
    picture.Canvas().SetPixels(0, 0, clRed);
    picture.Canvas().SetPixels(1, 0, clLime);
    picture.Canvas().SetPixels(0, 1, clBlue);
    picture.Canvas().SetPixels(1, 1, clYellow);
    TSurface s(7, 5);
    s.Canvas().StretchDraw({ 1, 1, 6, 4 }, picture);
    // Source column floor(dx * 2 / 5) is 0, 0, 0, 1, 1; source row floor(dy * 2 / 3) is 0, 0, 1.
    const char* rows[5] = { ".......", ".RRRGG.", ".RRRGG.", ".BBBYY.", "......." };
    ExpectPixels(s, [&](int x, int y) {
        switch (rows[y][x]) {
        case 'R':
            return clRed;
        case 'G':
            return clLime;
        case 'B':
            return clBlue;
        case 'Y':
            return clYellow;
        default:
            return clWhite;
        }
    });
}

TEST(CanvasTest, DrawClipsAndReadsEveryDepthThroughItsPalette)
{
    // A 1-bit picture shows its own palette colours, whatever the canvas's text colours are.
    TBitmap mono;
    mono.SetPixelFormat(pf1bit);
    mono.SetSize(3, 3);
    mono.SetPalette({ 0x0000FF, 0xFF0000 }); // blue, red
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            mono.Image().SetPixelWord(x, y, (x + y) % 2 ? 0xFF0000 : 0x0000FF);
    TSurface s(4, 4);
    s.Canvas().Draw(-1, -1, mono);
    ExpectPixels(s, [](int x, int y) {
        if (x > 1 || y > 1)
            return clWhite;
        return (x + 1 + y + 1) % 2 ? clRed : clBlue;
    });
}

TEST(CanvasTest, CopyRectCopiesScalesAndHonoursCopyMode)
{
    TSurface source(4, 2);
    const TColor colours[2][4] = { { clRed, clLime, clBlue, clYellow }, { clAqua, clFuchsia, clGray, clBlack } };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            source.Canvas().SetPixels(x, y, colours[y][x]);

    TSurface same(6, 4);
    same.Canvas().CopyRect({ 1, 1, 5, 3 }, source.Canvas(), { 0, 0, 4, 2 });
    ExpectPixels(same, [&](int x, int y) { return x >= 1 && x < 5 && y >= 1 && y < 3 ? colours[y - 1][x - 1] : clWhite; });

    TSurface scaled(8, 4);
    scaled.Canvas().CopyRect({ 0, 0, 8, 4 }, source.Canvas(), { 0, 0, 4, 2 });
    ExpectPixels(scaled, [&](int x, int y) { return colours[y / 2][x / 2]; });

    TSurface inverted(4, 2, clSilver);
    inverted.Canvas().SetCopyMode(cmSrcInvert);
    inverted.Canvas().CopyRect({ 0, 0, 4, 2 }, source.Canvas(), { 0, 0, 4, 2 });
    ExpectPixels(inverted, [&](int x, int y) { return colours[y][x] ^ clSilver; });
}

TEST(CanvasTest, PixelsReadThroughThePaletteAndRefuseOutsideTheClip)
{
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(4, 3);
    TCanvas& c = b.Canvas();
    c.SetPixels(2, 1, RGB(0x12, 0x34, 0x56)); // stored as the nearest entry of the colour cube
    EXPECT_EQ(c.Pixels(2, 1), RGB(0x00, 0x33, 0x66));
    EXPECT_EQ(c.Pixels(0, 0), clBlack);
    EXPECT_EQ(c.Pixels(-1, 0), CLR_INVALID);
    EXPECT_EQ(c.Pixels(4, 0), CLR_INVALID);
    EXPECT_EQ(c.Pixels(0, 3), CLR_INVALID);
    c.Handle()->IntersectClip({ 0, 0, 2, 2 });
    EXPECT_EQ(c.Pixels(2, 1), CLR_INVALID);
}

TEST(CanvasTest, LockCountsAndTryLockRefusesWhileLocked)
{
    TCanvas c;
    EXPECT_TRUE(c.TryLock());
    EXPECT_EQ(c.LockCount(), 1);
    EXPECT_FALSE(c.TryLock());
    c.Lock(); // the same thread may lock again
    EXPECT_EQ(c.LockCount(), 2);
    c.Unlock();
    c.Unlock();
    EXPECT_EQ(c.LockCount(), 0);
    EXPECT_TRUE(c.TryLock());
}

TEST(CanvasTest, AttachedContexts)
{
    TDibImage img;
    img.Allocate(6, 4, 24);
    TDeviceContext dc(&img);
    TCanvas c;
    EXPECT_EQ(c.Handle(), nullptr);
    c.SetHandle(&dc);
    c.Brush().SetColor(clRed);
    c.FillRect({ 1, 1, 3, 2 });
    EXPECT_EQ(img.GetPixelWord(1, 1), 0xFF0000u);
    EXPECT_EQ(img.GetPixelWord(3, 1), 0u);
    c.SetHandle(nullptr);
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_EQ(c.Pixels(1, 1), CLR_INVALID);
    EXPECT_EQ(c.ClipRect(), TRect {});

    // A bitmap's canvas, once detached, goes back to its own bitmap.
    TSurface s(3, 3);
    s.Canvas().SetHandle(&dc);
    s.Canvas().Brush().SetColor(clBlue);
    s.Canvas().FillRect({ 0, 0, 1, 1 });
    EXPECT_EQ(img.GetPixelWord(0, 0), 0x0000FFu);
    s.Canvas().SetHandle(nullptr);
    s.Canvas().FillRect({ 0, 0, 1, 1 });
    EXPECT_EQ(s.At(0, 0), clBlue);
}

// The mask transfer of the disabled glyph sets the brush, then the text and background colours
// through the handle, then transfers: the canvas must not undo those adjustments in between.
TEST(CanvasTest, StateReachesTheContextAndRawAdjustmentsStay)
{
    TSurface s(2, 2);
    TCanvas& c = s.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.Font().SetColor(clRed);
    HDC dc = c.Handle();
    EXPECT_EQ(dc->BrushColor, ColorToRGB(clBtnFace));
    EXPECT_EQ(dc->BkColor, ColorToRGB(clBtnFace));
    EXPECT_EQ(dc->BkMode, bkOpaque);
    EXPECT_EQ(dc->TextColor, clRed);
    c.Handle()->TextColor = clBlack;
    c.Handle()->BkColor = clWhite;
    EXPECT_EQ(c.Handle()->TextColor, clBlack);
    EXPECT_EQ(c.Handle()->BkColor, clWhite);

    c.Brush().SetStyle(bsClear);
    EXPECT_EQ(c.Handle()->BkMode, bkTransparent);
    c.Brush().SetColor(clLime); // a colour makes a clear brush solid again
    EXPECT_EQ(c.Brush().Style(), bsSolid);
    EXPECT_EQ(c.Handle()->BkColor, clLime);
}

TEST(CanvasTest, TextRectFillsWithASolidBrushAndRestoresTheClip)
{
    TSurface s(8, 6);
    TCanvas& c = s.Canvas();
    c.Brush().SetColor(clYellow);
    c.TextRect({ 1, 1, 4, 3 }, 1, 1, "ab");
    c.Brush().SetStyle(bsClear);
    c.TextRect({ 4, 3, 8, 6 }, 4, 3, "ab");
    ExpectPixels(s, [](int x, int y) { return x >= 1 && x < 4 && y >= 1 && y < 3 ? clYellow : clWhite; });
    c.Brush().SetColor(clGreen);
    c.FillRect({ 0, 0, 8, 6 });
    ExpectPixels(s, [](int, int) { return clGreen; });

    c.MoveTo(0, 0);
    c.TextOut(2, 3, "abc");
    EXPECT_EQ(c.PenPos(), Point(2 + c.TextWidth("abc"), 3));
}
