#include "platform/graphics/Bitmap.h"

#include "platform/base/Exception.h"
#include "platform/graphics/Canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::uint32_t At(const TBitmap& b, int x, int y) { return b.Image().GetPixelWord(x, y); }

int DepthOf(TPixelFormat f)
{
    switch (f) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf24bit:
        return 24;
    default:
        return 32;
    }
}

const char* Name(TPixelFormat f)
{
    switch (f) {
    case pf1bit:
        return "pf1bit";
    case pf4bit:
        return "pf4bit";
    case pf8bit:
        return "pf8bit";
    case pf24bit:
        return "pf24bit";
    case pf32bit:
        return "pf32bit";
    case pfDevice:
        return "pfDevice";
    default:
        return "other";
    }
}

// The palette entry nearest to a colour: squared distance, first of equals.
std::uint32_t Nearest(std::uint32_t w, const std::vector<std::uint32_t>& palette)
{
    std::uint32_t best = 0;
    long bestD = -1;
    for (std::uint32_t p : palette) {
        long dr = long((p >> 16) & 255) - long((w >> 16) & 255), dg = long((p >> 8) & 255) - long((w >> 8) & 255),
             db = long(p & 255) - long(w & 255);
        long d = dr * dr + dg * dg + db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = p;
        }
    }
    return best;
}

// A 32-bit bitmap holding the words row by row, then brought into the given form.
void Fill(TBitmap& b, TPixelFormat format, int w, int h, const std::vector<std::uint32_t>& words)
{
    b.SetPixelFormat(pf32bit);
    b.SetSize(w, h);
    for (int i = 0; i < w * h; ++i)
        b.Image().SetPixelWord(i % w, i / w, words[static_cast<size_t>(i)]);
    b.SetPixelFormat(format);
}

const std::vector<std::uint32_t> TestColours = { 0x000000, 0xFFFFFF, 0x123456, 0x808080, 0x7F7F7F,
    0xFF00FF, 0x00FF00, 0xC0C0C0, 0x336699, 0xFE0102 };

} // namespace

TEST(BitmapTest, FormatConversionsKeepThePicture)
{
    const TPixelFormat formats[] = { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit, pfDevice };
    for (TPixelFormat from : formats)
        for (TPixelFormat to : formats) {
            if (from == to)
                continue;
            SCOPED_TRACE(std::string(Name(from)) + " -> " + Name(to));
            TBitmap source;
            Fill(source, from, 5, 2, TestColours);
            TBitmap b;
            b.Assign(&source);
            b.SetPixelFormat(to);

            EXPECT_EQ(b.PixelFormat(), to);
            EXPECT_EQ(b.HandleType(), to == pfDevice ? bmDDB : bmDIB);
            EXPECT_EQ(b.Image().BitsPerPixel, DepthOf(to));
            ASSERT_EQ(b.Width(), 5);
            ASSERT_EQ(b.Height(), 2);

            int fromDepth = DepthOf(from), toDepth = DepthOf(to);
            bool exact = toDepth > 8 || (fromDepth <= 8 && fromDepth <= toDepth);
            if (toDepth <= 8)
                EXPECT_EQ(b.Palette(), exact ? source.Palette() : DefaultPalette(toDepth));
            else
                EXPECT_TRUE(b.Palette().empty());
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 5; ++x) {
                    std::uint32_t was = At(source, x, y);
                    EXPECT_EQ(At(b, x, y), exact ? was : Nearest(was, b.Palette())) << x << "," << y;
                }
        }
}

TEST(BitmapTest, ReductionPicksTheNearestDefaultEntry)
{
    struct Case {
        TPixelFormat Format;
        std::uint32_t In, Out;
    };
    const Case cases[] = {
        { pf1bit, 0x808080, 0xFFFFFF }, // 128 lies nearer to 255 than to 0
        { pf1bit, 0x7F7F7F, 0x000000 },
        { pf4bit, 0x123456, 0x000080 }, // navy
        { pf4bit, 0xFF00FF, 0xFF00FF },
        { pf8bit, 0x123456, 0x003366 }, // a cube entry
        { pf8bit, 0x7F7F7F, 0x7C7C7C }, // one of the greys between the cube's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Name(c.Format) << " " << std::hex << c.In);
        TBitmap b;
        Fill(b, c.Format, 1, 1, { c.In });
        EXPECT_EQ(At(b, 0, 0), c.Out);
    }
}

TEST(BitmapTest, FormAndHandleTypeFollowTheSystemRules)
{
    TBitmap b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(b.HandleType(), bmDDB);
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    EXPECT_TRUE(b.Empty());

    struct Step {
        const char* What;
        std::function<void()> Do;
        TPixelFormat Format;
        TBitmapHandleType Handle;
        int Depth;
        int Changes;
    };
    const Step steps[] = {
        { "pfDevice again", [&] { b.SetPixelFormat(pfDevice); }, pfDevice, bmDDB, 32, 0 },
        { "bmDDB again", [&] { b.SetHandleType(bmDDB); }, pfDevice, bmDDB, 32, 0 },
        { "bmDIB", [&] { b.SetHandleType(bmDIB); }, pf32bit, bmDIB, 32, 1 },
        { "pf32bit again", [&] { b.SetPixelFormat(pf32bit); }, pf32bit, bmDIB, 32, 0 },
        { "pf16bit", [&] { b.SetPixelFormat(pf16bit); }, pf24bit, bmDIB, 24, 1 },
        { "pf15bit on 24 bits", [&] { b.SetPixelFormat(pf15bit); }, pf24bit, bmDIB, 24, 0 },
        { "bmDDB", [&] { b.SetHandleType(bmDDB); }, pfDevice, bmDDB, 32, 1 },
        { "pf8bit", [&] { b.SetPixelFormat(pf8bit); }, pf8bit, bmDIB, 8, 1 },
        { "pfDevice", [&] { b.SetPixelFormat(pfDevice); }, pfDevice, bmDDB, 32, 1 },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.What);
        changes = 0;
        s.Do();
        EXPECT_EQ(b.PixelFormat(), s.Format);
        EXPECT_EQ(b.HandleType(), s.Handle);
        EXPECT_EQ(b.Image().BitsPerPixel, s.Depth);
        EXPECT_EQ(changes, s.Changes);
    }
}

TEST(BitmapTest, NewSizeKeepsTheTopLeft)
{
    for (TPixelFormat f : { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit }) {
        SCOPED_TRACE(Name(f));
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(3, 2);
        int depth = DepthOf(f);
        if (depth == 4) // index 0 is not black here, so new pixels show that they are index 0
            b.SetPalette({ 0xFF0000, 0x000000, 0xFFFFFF });
        if (depth <= 8 && depth != 4)
            b.SetPalette(DefaultPalette(depth));
        const std::uint32_t pattern[2][3] = { { 0xFFFFFF, 0x000000, 0xFFFFFF }, { 0xFFFFFF, 0xFFFFFF, 0x000000 } };
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                b.Image().SetPixelWord(x, y, pattern[y][x]);
        // Set the bits past the last pixel of each row, as a decoder may leave them.
        for (int y = 0; y < 2 && depth < 8; ++y)
            b.ScanLine(y)[depth == 1 ? 0 : 1] |= depth == 1 ? 0x1F : 0x0F;
        std::uint32_t zero = depth <= 8 ? b.Palette()[0] : 0;

        b.SetSize(10, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(At(b, x, y), (x < 3 && y < 2) ? pattern[y][x] : zero) << x << "," << y;
        b.SetSize(2, 1);
        EXPECT_EQ(At(b, 0, 0), pattern[0][0]);
        EXPECT_EQ(At(b, 1, 0), pattern[0][1]);
    }
}

TEST(BitmapTest, SizeLimits)
{
    TBitmap b;
    b.SetSize(4, 4);
    b.SetSize(0, 5);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 5);
    b.SetWidth(3);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(At(b, 2, 4), 0u);
    b.SetSize(-2, 3);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);

    b.SetSize(7, 7);
    for (auto size : { std::pair { 70000, 1 }, std::pair { 65535, 65535 } }) {
        try {
            b.SetSize(size.first, size.second);
            ADD_FAILURE() << "no exception for " << size.first << " x " << size.second;
        } catch (const EOutOfResources& e) {
            EXPECT_NE(e.Message().find(std::to_string(size.first)), std::string::npos) << e.Message();
        }
        EXPECT_EQ(b.Width(), 7); // a refused size leaves the bitmap as it was
    }
}

TEST(BitmapTest, ChangeEventsPerOperation)
{
    struct Case {
        const char* What;
        std::function<void(TBitmap&, TBitmap& other)> Do;
        int Changes;
    };
    const Case cases[] = {
        { "SetSize", [](TBitmap& b, TBitmap&) { b.SetSize(9, 8); }, 1 },
        { "SetSize to the same size", [](TBitmap& b, TBitmap&) { b.SetSize(8, 8); }, 0 },
        { "SetHeight", [](TBitmap& b, TBitmap&) { b.SetHeight(3); }, 1 },
        { "SetPixelFormat", [](TBitmap& b, TBitmap&) { b.SetPixelFormat(pf8bit); }, 1 },
        { "SetPixelFormat to the same", [](TBitmap& b, TBitmap&) { b.SetPixelFormat(pf24bit); }, 0 },
        { "SetHandleType", [](TBitmap& b, TBitmap&) { b.SetHandleType(bmDDB); }, 1 },
        { "SetPalette", [](TBitmap& b, TBitmap&) { b.SetPalette({ 1, 2 }); }, 1 },
        { "SetTransparent", [](TBitmap& b, TBitmap&) { b.SetTransparent(true); }, 1 },
        { "SetTransparent to the same", [](TBitmap& b, TBitmap&) { b.SetTransparent(false); }, 0 },
        { "SetTransparentColor", [](TBitmap& b, TBitmap&) { b.SetTransparentColor(clOlive); }, 1 },
        { "SetTransparentMode", [](TBitmap& b, TBitmap&) { b.SetTransparentMode(tmFixed); }, 1 },
        { "Assign", [](TBitmap& b, TBitmap& o) { b.Assign(&o); }, 1 },
        { "Assign null", [](TBitmap& b, TBitmap&) { b.Assign(nullptr); }, 1 },
        { "SetImage", [](TBitmap& b, TBitmap& o) { b.SetImage(TDibImage(o.Image())); }, 1 },
        { "SetModified", [](TBitmap& b, TBitmap&) { b.SetModified(true); }, 1 },
        { "FillRect", [](TBitmap& b, TBitmap&) { b.Canvas().FillRect({ 0, 0, 8, 8 }); }, 1 },
        { "FillRect clipped away", [](TBitmap& b, TBitmap&) { b.Canvas().FillRect({ 20, 20, 30, 30 }); }, 1 },
        { "FrameRect", [](TBitmap& b, TBitmap&) { b.Canvas().FrameRect({ 1, 1, 6, 6 }); }, 1 },
        { "Rectangle", [](TBitmap& b, TBitmap&) { b.Canvas().Rectangle(1, 1, 6, 6); }, 1 },
        { "LineTo", [](TBitmap& b, TBitmap&) { b.Canvas().LineTo(7, 3); }, 1 },
        { "MoveTo", [](TBitmap& b, TBitmap&) { b.Canvas().MoveTo(7, 3); }, 0 },
        { "SetPixels", [](TBitmap& b, TBitmap&) { b.Canvas().SetPixels(1, 1, clRed); }, 1 },
        { "Pixels", [](TBitmap& b, TBitmap&) { (void)b.Canvas().Pixels(1, 1); }, 0 },
        { "Draw", [](TBitmap& b, TBitmap& o) { b.Canvas().Draw(1, 1, o); }, 1 },
        { "Draw onto itself", [](TBitmap& b, TBitmap&) { b.Canvas().Draw(2, 0, b); }, 1 },
        { "StretchDraw", [](TBitmap& b, TBitmap& o) { b.Canvas().StretchDraw({ 0, 0, 8, 3 }, o); }, 1 },
        { "Draw an empty graphic", [](TBitmap& b, TBitmap&) { TBitmap e; b.Canvas().Draw(0, 0, e); }, 0 },
        { "CopyRect", [](TBitmap& b, TBitmap& o) { b.Canvas().CopyRect({ 0, 0, 4, 4 }, o.Canvas(), { 0, 0, 2, 2 }); }, 1 },
        { "TextOut", [](TBitmap& b, TBitmap&) { b.Canvas().TextOut(0, 0, "ab"); }, 1 },
        { "TextRect", [](TBitmap& b, TBitmap&) { b.Canvas().TextRect({ 0, 0, 5, 5 }, 0, 0, "ab"); }, 1 },
        { "TextWidth", [](TBitmap& b, TBitmap&) { (void)b.Canvas().TextWidth("ab"); }, 0 },
        { "ScanLine", [](TBitmap& b, TBitmap&) { b.ScanLine(2)[0] = 7; }, 0 },
        { "TransparentColor", [](TBitmap& b, TBitmap&) { (void)b.TransparentColor(); }, 0 },
        { "Handle", [](TBitmap& b, TBitmap&) { (void)b.Canvas().Handle(); }, 0 },
        { "BitBlt on the handle", [](TBitmap& b, TBitmap& o) { BitBlt(b.Canvas().Handle(), 0, 0, 2, 2, o.Canvas().Handle(), 0, 0, SRCINVERT); }, 1 },
        { "PatBlt on the handle", [](TBitmap& b, TBitmap&) { PatBlt(b.Canvas().Handle(), 0, 0, 2, 2, DSTINVERT); }, 1 },
        { "another canvas on the bitmap's context", [](TBitmap& b, TBitmap&) {
             TCanvas c;
             c.SetHandle(b.Canvas().Handle());
             c.FillRect({ 0, 0, 3, 3 });
         },
            1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TBitmap b, other;
        b.SetPixelFormat(pf24bit);
        b.SetSize(8, 8);
        other.SetSize(2, 2);
        int changes = 0, otherChanges = 0;
        b.OnChange = [&](TObject* sender) {
            EXPECT_EQ(sender, &b);
            ++changes;
        };
        other.OnChange = [&](TObject*) { ++otherChanges; };
        c.Do(b, other);
        EXPECT_EQ(changes, c.Changes);
        EXPECT_EQ(otherChanges, 0); // a source is only read
    }
}

TEST(BitmapTest, AssignCopiesDeeply)
{
    TBitmap source;
    Fill(source, pf4bit, 5, 2, TestColours);
    source.SetTransparent(true);
    source.SetTransparentColor(clFuchsia);
    TBitmap b;
    b.Assign(&source);
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    EXPECT_EQ(b.Palette(), source.Palette());
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), source.TransparentColor());
    EXPECT_EQ(b.Image().Bits, source.Image().Bits);
    b.Canvas().SetPixels(0, 0, clWhite);
    EXPECT_EQ(At(source, 0, 0), 0u); // the copy has pixels of its own

    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    TFont font;
    EXPECT_THROW(b.Assign(&font), EConvertError);
}

TEST(BitmapTest, TransparentColourAutoAndFixed)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(4, 3);
    b.Canvas().SetPixels(0, 2, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), RGB(0x12, 0x34, 0x56) | 0x02000000);
    b.Canvas().SetPixels(0, 2, clLime); // auto follows the bottom-left pixel
    EXPECT_EQ(b.TransparentColor(), clLime | 0x02000000);

    b.SetTransparentColor(clBtnFace);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), ColorToRGB(clBtnFace) | 0x02000000);
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);

    b.SetTransparentMode(tmFixed); // freezes the colour the pixel has now
    b.Canvas().SetPixels(0, 2, clRed);
    EXPECT_EQ(b.TransparentColor() & 0xFFFFFF, clLime);
}

TEST(BitmapTest, ScanLinesRunTopDownInTheDocumentedByteOrder)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(2, 3);
    std::uint8_t* row = b.ScanLine(1);
    row[3] = 0x30; // blue, green, red of pixel (1, 1)
    row[4] = 0x20;
    row[5] = 0x10;
    EXPECT_EQ(b.Canvas().Pixels(1, 1), RGB(0x10, 0x20, 0x30));
    b.SetPixelFormat(pf32bit);
    std::uint32_t word;
    std::memcpy(&word, b.ScanLine(1) + 4, 4);
    EXPECT_EQ(word, 0x102030u);
}

TEST(BitmapTest, FileDataIsRefusedUntilAFormatIsWiredIn)
{
    TBitmap b;
    const std::uint8_t bytes[2] = { 'B', 'M' };
    EXPECT_THROW(b.LoadFromBytes(bytes), EInvalidGraphic);
    EXPECT_THROW(b.SaveToBytes(), EInvalidGraphic);
}
