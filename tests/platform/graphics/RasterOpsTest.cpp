#include "platform/graphics/RasterOps.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TDibImage MakeImage(int w, int h, int bpp, std::vector<std::uint32_t> palette = {})
{
    TDibImage img;
    img.Palette = std::move(palette);
    img.Allocate(w, h, bpp);
    return img;
}

// Fills a 24/32-bit image with random pixel words.
void Randomise(TDibImage& img, std::mt19937& rng)
{
    for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x)
            img.SetPixelWord(x, y, rng() & 0xFFFFFF);
}

// The truth table of the index byte applied bit by bit, the definition of a ternary operation.
std::uint32_t Reference(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    std::uint32_t r = 0;
    for (int bit = 0; bit < 24; ++bit) {
        unsigned pb = (p >> bit) & 1, sb = (s >> bit) & 1, db = (d >> bit) & 1;
        r |= ((index >> (pb * 4 + sb * 2 + db)) & 1u) << bit;
    }
    return r;
}

std::uint32_t Word(TColor c) { return ColorToPixelWord(c); }

} // namespace

TEST(RasterOpsTest, EveryTernaryOperationFollowsItsTruthTable)
{
    std::mt19937 rng(1234);
    for (int depth : { 24, 32 }) {
        TDibImage src = MakeImage(9, 4, depth), before = MakeImage(9, 4, depth);
        Randomise(src, rng);
        Randomise(before, rng);
        TDeviceContext s(&src);
        TColor brush = RGB(0x5A, 0xC3, 0x0F);
        for (int index = 0; index < 256; ++index) {
            TDibImage dst = before;
            TDeviceContext d(&dst);
            d.BrushColor = brush;
            std::uint32_t rop = static_cast<std::uint32_t>(index) << 16;
            ASSERT_TRUE(BitBlt(&d, 0, 0, 9, 4, &s, 0, 0, rop));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 9; ++x)
                    ASSERT_EQ(dst.GetPixelWord(x, y),
                        Reference(static_cast<std::uint8_t>(index), Word(brush), src.GetPixelWord(x, y), before.GetPixelWord(x, y)))
                        << "depth " << depth << " index " << index << " at " << x << "," << y;
        }
    }
}

TEST(RasterOpsTest, NamedOperationsCarryTheirTables)
{
    struct Case {
        std::uint32_t Rop;
        std::uint8_t Index;
    };
    const Case cases[] = { { SRCCOPY, 0xCC }, { SRCPAINT, 0xEE }, { SRCAND, 0x88 }, { SRCINVERT, 0x66 },
        { NOTSRCCOPY, 0x33 }, { BLACKNESS, 0x00 }, { WHITENESS, 0xFF }, { PATCOPY, 0xF0 }, { DSTINVERT, 0x55 },
        { 0x00E20746, 0xE2 } };
    for (const Case& c : cases)
        EXPECT_EQ(RopIndex(c.Rop), c.Index) << std::hex << c.Rop;
    EXPECT_TRUE(RopIndexUsesSource(0xE2));
    EXPECT_FALSE(RopIndexUsesSource(0xF0));
    EXPECT_FALSE(RopIndexUsesSource(0x55));
}

// The disabled-glyph transfer: where the mask is white the brush goes in, where it is black the
// destination stays; the mask may be held at 1 bit or, after a conversion to the native form, 32.
TEST(RasterOpsTest, MaskTransferPutsBrushWhereMaskIsWhite)
{
    std::mt19937 rng(99);
    for (int maskDepth : { 1, 32 }) {
        SCOPED_TRACE(maskDepth);
        TDibImage mask = MakeImage(7, 5, maskDepth, maskDepth == 1 ? std::vector<std::uint32_t> { 0x000000, 0xFFFFFF } : std::vector<std::uint32_t> {});
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                mask.SetPixelWord(x, y, ((x * 3 + y) % 4 == 0) ? 0xFFFFFF : 0x000000);
        TDibImage dst = MakeImage(10, 8, 24);
        Randomise(dst, rng);
        TDibImage before = dst;
        TDeviceContext d(&dst), m(&mask);
        d.BrushColor = RGB(0x11, 0x22, 0x33);
        d.TextColor = clBlack;
        d.BkColor = clWhite;
        ASSERT_TRUE(BitBlt(&d, 2, 1, 7, 5, &m, 0, 0, 0x00E20746));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                bool inside = x >= 2 && x < 9 && y >= 1 && y < 6;
                bool white = inside && mask.GetPixelWord(x - 2, y - 1) == 0xFFFFFF;
                EXPECT_EQ(dst.GetPixelWord(x, y), white ? 0x112233u : before.GetPixelWord(x, y)) << x << "," << y;
            }
    }
}

TEST(RasterOpsTest, OneBitSourceTakesTheDestinationTextAndBackgroundColours)
{
    // The source's own palette (green, yellow) plays no part on a colour destination.
    TDibImage mono = MakeImage(6, 2, 1, { 0x00FF00, 0xFFFF00 });
    for (int x = 0; x < 6; ++x)
        mono.SetPixelWord(x, 0, (x & 1) ? 0xFFFF00 : 0x00FF00);
    for (int x = 0; x < 6; ++x)
        mono.SetPixelWord(x, 1, x < 3 ? 0xFFFF00 : 0x00FF00);
    TDibImage dst = MakeImage(6, 2, 24);
    TDeviceContext d(&dst), s(&mono);
    d.TextColor = clRed;
    d.BkColor = clBlue;
    ASSERT_TRUE(BitBlt(&d, 0, 0, 6, 2, &s, 0, 0, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) {
            bool one = mono.GetPixelWord(x, y) == 0xFFFF00;
            EXPECT_EQ(dst.GetPixelWord(x, y), one ? Word(clBlue) : Word(clRed)) << x << "," << y;
        }
}

TEST(RasterOpsTest, ColourSourceOnOneBitDestinationMatchesTheSourceBackground)
{
    TDibImage src = MakeImage(5, 1, 24);
    const std::uint32_t words[5] = { 0x00FF00, 0xFFFFFF, 0x00FF00, 0x000000, 0x00FE00 };
    for (int x = 0; x < 5; ++x)
        src.SetPixelWord(x, 0, words[x]);
    TDibImage dst = MakeImage(5, 1, 1, { 0x000000, 0xFFFFFF });
    TDeviceContext d(&dst), s(&src);
    s.BkColor = clLime;  // the source's background decides, not the destination's
    d.BkColor = clWhite;
    ASSERT_TRUE(BitBlt(&d, 0, 0, 5, 1, &s, 0, 0, SRCCOPY));
    const std::uint32_t expected[5] = { 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0x000000 };
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(dst.GetPixelWord(x, 0), expected[x]) << x;
}

// Moving a block within one surface must read every source pixel before it is overwritten,
// whichever way the block moves.
TEST(RasterOpsTest, OverlappingTransfersOnOneSurface)
{
    struct Case {
        int Dx, Dy, Sx, Sy, W, H;
        bool Stretch;
        int Sw, Sh;
    };
    const Case cases[] = {
        { 2, 1, 0, 0, 8, 6, false, 0, 0 },  // right and down
        { 0, 0, 2, 1, 8, 6, false, 0, 0 },  // left and up
        { 3, 0, 0, 0, 7, 7, false, 0, 0 },  // along the same rows
        { 0, 2, 0, 0, 10, 5, false, 0, 0 }, // straight down
        { 1, 1, 0, 0, 9, 6, true, 5, 3 },   // stretched over its own source
        { 0, 0, 1, 1, 4, 3, true, 8, 6 },   // shrunk onto its own source
        { 0, 0, 0, 3, 6, 9, true, 6, 4 },   // stretched both ways past its source: no row order works
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Dx << "," << c.Dy << " from " << c.Sx << "," << c.Sy);
        TDibImage img = MakeImage(12, 9, 24);
        Randomise(img, rng);
        TDibImage original = img;
        TDeviceContext dc(&img);
        int sw = c.Stretch ? c.Sw : c.W, sh = c.Stretch ? c.Sh : c.H;
        ASSERT_TRUE(StretchBlt(&dc, c.Dx, c.Dy, c.W, c.H, &dc, c.Sx, c.Sy, sw, sh, SRCCOPY));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) {
                std::uint32_t expected = original.GetPixelWord(x, y);
                if (x >= c.Dx && x < c.Dx + c.W && y >= c.Dy && y < c.Dy + c.H)
                    expected = original.GetPixelWord(c.Sx + (x - c.Dx) * sw / c.W, c.Sy + (y - c.Dy) * sh / c.H);
                ASSERT_EQ(img.GetPixelWord(x, y), expected) << x << "," << y;
            }
    }
}

TEST(RasterOpsTest, StretchSamplesNearestPixelWithoutBlending)
{
    TDibImage src = MakeImage(2, 2, 32);
    src.SetPixelWord(0, 0, 0xFF0000);
    src.SetPixelWord(1, 0, 0x00FF00);
    src.SetPixelWord(0, 1, 0x0000FF);
    src.SetPixelWord(1, 1, 0xFFFFFF);
    TDibImage dst = MakeImage(5, 3, 24);
    TDeviceContext d(&dst), s(&src);
    ASSERT_TRUE(StretchBlt(&d, 0, 0, 5, 3, &s, 0, 0, 2, 2, SRCCOPY));
    const char* expected[3] = { "RRRGG", "RRRGG", "BBBWW" };
    auto word = [](char c) {
        switch (c) {
        case 'R':
            return 0xFF0000u;
        case 'G':
            return 0x00FF00u;
        case 'B':
            return 0x0000FFu;
        default:
            return 0xFFFFFFu;
        }
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dst.GetPixelWord(x, y), word(expected[y][x])) << x << "," << y;
}

TEST(RasterOpsTest, ClippedToBothSurfacesAndTheDestinationClip)
{
    TDibImage src = MakeImage(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.SetPixelWord(x, y, 0x010000u * static_cast<unsigned>(x + 1) + static_cast<unsigned>(y + 1));
    TDibImage dst = MakeImage(8, 8, 24);
    TDeviceContext d(&dst), s(&src);
    d.Origin = { 1, 1 };
    d.IntersectClip({ 0, 0, 5, 5 }); // surface (1, 1)-(6, 6)
    s.Origin = { -1, 0 };
    // Destination logical (-1, -1) is surface (0, 0); source logical (-1, 0) is surface (-2, 0),
    // so destination column x reads source column x - 2, and the first two have no source.
    ASSERT_TRUE(BitBlt(&d, -1, -1, 8, 8, &s, -1, 0, SRCCOPY));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            int sx = x - 2, sy = y;
            bool inClip = x >= 1 && x < 6 && y >= 1 && y < 6;
            bool inSource = sx >= 0 && sx < 4 && sy < 4;
            std::uint32_t expected = inClip && inSource ? src.GetPixelWord(sx, sy) : 0;
            EXPECT_EQ(dst.GetPixelWord(x, y), expected) << x << "," << y;
        }
}

TEST(RasterOpsTest, PatternOperations)
{
    TDibImage img = MakeImage(6, 4, 24);
    TDeviceContext dc(&img);
    dc.BrushColor = RGB(0x10, 0x20, 0x30);
    EXPECT_TRUE(PatBlt(&dc, 1, 1, 3, 2, PATCOPY));
    EXPECT_TRUE(PatBlt(&dc, 4, 4, -2, -2, DSTINVERT)); // a negative extent is turned around: (2, 2)-(4, 4)
    EXPECT_FALSE(PatBlt(&dc, 0, 0, 6, 4, SRCCOPY));      // reads a source PatBlt does not have
    EXPECT_FALSE(BitBlt(&dc, 0, 0, 6, 4, nullptr, 0, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            std::uint32_t w = (x >= 1 && x < 4 && y >= 1 && y < 3) ? 0x102030u : 0u;
            if (x >= 2 && x < 4 && y >= 2 && y < 4)
                w = ~w & 0xFFFFFF;
            EXPECT_EQ(img.GetPixelWord(x, y), w) << x << "," << y;
        }
}

TEST(RasterOpsTest, PaletteDestinationTakesNearestEntry)
{
    TDibImage src = MakeImage(3, 1, 24);
    src.SetPixelWord(0, 0, 0xF00000);
    src.SetPixelWord(1, 0, 0x0000F0);
    src.SetPixelWord(2, 0, 0x101010);
    TDibImage dst = MakeImage(3, 1, 8, { 0x000000, 0xFF0000, 0x0000FF });
    TDeviceContext d(&dst), s(&src);
    ASSERT_TRUE(BitBlt(&d, 0, 0, 3, 1, &s, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Row(0)[0], 1);
    EXPECT_EQ(dst.Row(0)[1], 2);
    EXPECT_EQ(dst.Row(0)[2], 0);
}

TEST(RasterOpsTest, EachCallReportsOneChange)
{
    TDibImage a = MakeImage(4, 4, 24), b = MakeImage(4, 4, 24);
    TDeviceContext d(&a), s(&b);
    int changes = 0;
    d.OnChanged = [&] { ++changes; };
    BitBlt(&d, 0, 0, 4, 4, &s, 0, 0, SRCCOPY);
    StretchBlt(&d, 0, 0, 4, 4, &s, 0, 0, 2, 2, SRCCOPY);
    PatBlt(&d, 10, 10, 2, 2, PATCOPY); // wholly clipped still counts as one call
    EXPECT_EQ(changes, 3);
}
