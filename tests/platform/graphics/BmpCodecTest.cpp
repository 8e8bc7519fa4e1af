#include "platform/graphics/BmpCodec.h"

#include "platform/base/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using TBytes = std::vector<std::uint8_t>;

// Field offsets in a file with a 40-byte (or longer) info header.
constexpr std::size_t OffBitsAt = 10;
constexpr std::size_t HeaderSizeAt = 14;
constexpr std::size_t WidthAt = 18;
constexpr std::size_t HeightAt = 22;
constexpr std::size_t PlanesAt = 26;
constexpr std::size_t BppAt = 28;
constexpr std::size_t CompressionAt = 30;
constexpr std::size_t ColorsUsedAt = 46;
constexpr std::size_t InfoMasksAt = 54;

void Set16(TBytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
void Set32(TBytes& b, std::size_t at, std::uint32_t v)
{
    Set16(b, at, v);
    Set16(b, at + 2, v >> 16);
}
std::uint32_t Get32(const TBytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
void Append(TBytes& b, const TBytes& more) { b.insert(b.end(), more.begin(), more.end()); }
TBytes Le32(std::initializer_list<std::uint32_t> words)
{
    TBytes b(words.size() * 4);
    std::size_t at = 0;
    for (std::uint32_t w : words) {
        Set32(b, at, w);
        at += 4;
    }
    return b;
}

struct TInfo {
    std::int32_t Width = 1;
    std::int32_t Height = 1;
    std::uint16_t Bpp = 24;
    std::uint32_t Compression = 0;
    std::uint32_t ColorsUsed = 0;
    std::uint32_t HeaderSize = 40;
    std::uint32_t Masks[3] = { 0, 0, 0 }; // inside the headers longer than 40 bytes
};

// File header + info header + extra (masks after a 40-byte header, palette) + pixel data, the
// pixel data starting right after extra.
TBytes InfoFile(const TInfo& info, const TBytes& extra, const TBytes& pixels)
{
    TBytes f(14 + info.HeaderSize, 0);
    f[0] = 'B';
    f[1] = 'M';
    Set32(f, OffBitsAt, std::uint32_t(f.size() + extra.size()));
    Set32(f, HeaderSizeAt, info.HeaderSize);
    Set32(f, WidthAt, std::uint32_t(info.Width));
    Set32(f, HeightAt, std::uint32_t(info.Height));
    Set16(f, PlanesAt, 1);
    Set16(f, BppAt, info.Bpp);
    Set32(f, CompressionAt, info.Compression);
    Set32(f, ColorsUsedAt, info.ColorsUsed);
    if (info.HeaderSize >= 52)
        for (int i = 0; i < 3; ++i)
            Set32(f, InfoMasksAt + 4 * i, info.Masks[i]);
    Append(f, extra);
    Append(f, pixels);
    Set32(f, 2, std::uint32_t(f.size()));
    return f;
}

TBytes CoreFile(std::uint16_t width, std::uint16_t height, std::uint16_t bpp, const TBytes& palette, const TBytes& pixels)
{
    TBytes f(26, 0);
    f[0] = 'B';
    f[1] = 'M';
    Set32(f, OffBitsAt, std::uint32_t(26 + palette.size()));
    Set32(f, HeaderSizeAt, 12);
    Set16(f, 18, width);
    Set16(f, 20, height);
    Set16(f, 22, 1);
    Set16(f, 24, bpp);
    Append(f, palette);
    Append(f, pixels);
    Set32(f, 2, std::uint32_t(f.size()));
    return f;
}

unsigned IndexAt(const TDibImage& image, int x, int y)
{
    const std::uint8_t* row = image.Row(y);
    switch (image.BitsPerPixel) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
        return row[x];
    }
}

void SetIndex(TDibImage& image, int x, int y, unsigned index)
{
    std::uint8_t* row = image.Row(y);
    switch (image.BitsPerPixel) {
    case 1:
        row[x >> 3] |= std::uint8_t(index << (7 - (x & 7)));
        break;
    case 4:
        row[x >> 1] |= std::uint8_t(index << ((x & 1) ? 0 : 4));
        break;
    default:
        row[x] = std::uint8_t(index);
    }
}

// Indices of a picture, top row first.
std::vector<std::vector<unsigned>> Indices(const TDibImage& image)
{
    std::vector<std::vector<unsigned>> rows(image.Height);
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            rows[y].push_back(IndexAt(image, x, y));
    return rows;
}

const AnsiString& BadBitmapText()
{
    static const AnsiString text = EInvalidGraphic().Message();
    return text;
}

// A small 8-bit picture, 3 x 2 with four palette entries, the base of most broken files.
TBytes Valid8Bit()
{
    TInfo info { .Width = 3, .Height = 2, .Bpp = 8, .ColorsUsed = 4 };
    return InfoFile(info, Le32({ 0x000000, 0xFF0000, 0x00FF00, 0x0000FF }), { 1, 2, 3, 0, 3, 2, 1, 0 });
}

TBytes Valid565()
{
    TInfo info { .Width = 2, .Height = 1, .Bpp = 16, .Compression = 3 };
    return InfoFile(info, Le32({ 0xF800, 0x07E0, 0x001F }), { 0x00, 0xF8, 0xE0, 0x07 });
}

TBytes Rle8File(std::int32_t width, std::int32_t height, const TBytes& codes)
{
    TInfo info { .Width = width, .Height = height, .Bpp = 8, .Compression = 1, .ColorsUsed = 2 };
    return InfoFile(info, Le32({ 0x000000, 0xFFFFFF }), codes);
}

TBytes Rle4File(std::int32_t width, std::int32_t height, const TBytes& codes)
{
    TInfo info { .Width = width, .Height = height, .Bpp = 4, .Compression = 2, .ColorsUsed = 16 };
    TBytes palette;
    for (std::uint32_t i = 0; i < 16; ++i)
        Append(palette, Le32({ i * 0x111111 }));
    return InfoFile(info, palette, codes);
}

TBytes Mutated(TBytes file, const std::function<void(TBytes&)>& change)
{
    change(file);
    return file;
}

TDibImage RandomImage(int width, int height, int bpp, std::size_t paletteSize, std::mt19937& rng)
{
    TDibImage image;
    image.Allocate(width, height, bpp);
    image.XPelsPerMeter = 2834 + bpp;
    image.YPelsPerMeter = 3780 - bpp;
    for (std::size_t i = 0; i < paletteSize; ++i)
        image.Palette.push_back(rng() & 0xFFFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bpp <= 8)
                SetIndex(image, x, y, unsigned(rng() % paletteSize));
            else
                image.SetPixelWord(x, y, rng() & 0xFFFFFF);
        }
    return image;
}

} // namespace

TEST(BmpCodecTest, RoundTripKeepsPixelsPaletteAndResolution)
{
    struct Depth {
        int Bpp;
        std::size_t PaletteSize;
    };
    // 4 bits with a short palette as the crest bitmap has; 8 bits with fewer than 256 entries.
    const Depth depths[] = { { 1, 2 }, { 4, 3 }, { 4, 16 }, { 8, 200 }, { 24, 0 }, { 32, 0 } };
    std::mt19937 rng(7);
    for (const Depth& d : depths)
        for (int width : { 1, 3, 7, 33 }) {
            SCOPED_TRACE(testing::Message() << d.Bpp << " bits, width " << width);
            const TDibImage image = RandomImage(width, 5, d.Bpp, d.PaletteSize, rng);
            const TDibImage back = ReadBmp(WriteBmp(image));
            EXPECT_EQ(back.Width, width);
            EXPECT_EQ(back.Height, 5);
            EXPECT_EQ(back.BitsPerPixel, d.Bpp);
            EXPECT_EQ(back.Palette, image.Palette);
            EXPECT_EQ(back.XPelsPerMeter, image.XPelsPerMeter);
            EXPECT_EQ(back.YPelsPerMeter, image.YPelsPerMeter);
            EXPECT_EQ(back.Bits, image.Bits);
        }
}

TEST(BmpCodecTest, WriterFillsHeadersAndStoresRowsBottomUp)
{
    // The crest bitmap's form: 600 x 600, 4 bits, three palette entries, 2834 pixels per metre.
    TDibImage crest;
    crest.Allocate(600, 600, 4);
    crest.Palette = { 0x000000, 0xFF00FF, 0x123456 };
    crest.XPelsPerMeter = crest.YPelsPerMeter = 2834;
    SetIndex(crest, 0, 0, 2); // top left
    SetIndex(crest, 599, 599, 1); // bottom right
    const TBytes f = WriteBmp(crest);

    const std::size_t offBits = 14 + 40 + 3 * 4;
    const std::size_t imageSize = 300 * 600;
    ASSERT_EQ(f.size(), offBits + imageSize);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(Get32(f, 2), f.size());
    EXPECT_EQ(Get32(f, OffBitsAt), offBits);
    EXPECT_EQ(Get32(f, HeaderSizeAt), 40u);
    EXPECT_EQ(Get32(f, WidthAt), 600u);
    EXPECT_EQ(Get32(f, HeightAt), 600u); // positive: bottom-up
    EXPECT_EQ(Get32(f, PlanesAt) & 0xFFFF, 1u);
    EXPECT_EQ(Get32(f, BppAt) & 0xFFFF, 4u);
    EXPECT_EQ(Get32(f, CompressionAt), 0u);
    EXPECT_EQ(Get32(f, 34), imageSize);
    EXPECT_EQ(Get32(f, 38), 2834u);
    EXPECT_EQ(Get32(f, 42), 2834u);
    EXPECT_EQ(Get32(f, ColorsUsedAt), 3u);
    EXPECT_EQ(TBytes(f.begin() + 54, f.begin() + 66), Le32({ 0x000000, 0xFF00FF, 0x123456 }));
    EXPECT_EQ(f[offBits + 299], 0x01); // bottom row comes first
    EXPECT_EQ(f[offBits + imageSize - 300], 0x20);
}

TEST(BmpCodecTest, ReadsCoreHeaderWithTriplePalette)
{
    // 3 x 2, 1 bit: bottom row 1 0 1, top row 0 1 1; padding bits set in the file are dropped.
    const TBytes f = CoreFile(3, 2, 1, { 0x10, 0x20, 0x30, 0xF0, 0xE0, 0xD0 }, { 0xBF, 0, 0, 0, 0x7F, 0, 0, 0 });
    const TDibImage image = ReadBmp(f);
    EXPECT_EQ(image.BitsPerPixel, 1);
    EXPECT_EQ(image.Palette, (std::vector<std::uint32_t> { 0x302010, 0xD0E0F0 }));
    EXPECT_EQ(Indices(image), (std::vector<std::vector<unsigned>> { { 0, 1, 1 }, { 1, 0, 1 } }));
    EXPECT_EQ(image.Row(0)[0], 0x60);
    EXPECT_EQ(image.Row(1)[0], 0xA0);
}

TEST(BmpCodecTest, ReadsV5HeaderWithShortPaletteAsBlackBeyondIt)
{
    TInfo info { .Width = 4, .Height = 1, .Bpp = 8, .ColorsUsed = 2, .HeaderSize = 124 };
    const TDibImage image = ReadBmp(InfoFile(info, Le32({ 0x00AA00, 0x0000BB }), { 1, 0, 7, 255 }));
    EXPECT_EQ(image.Palette.size(), 2u);
    EXPECT_EQ(image.GetPixelWord(0, 0), 0x0000BBu);
    EXPECT_EQ(image.GetPixelWord(1, 0), 0x00AA00u);
    EXPECT_EQ(image.GetPixelWord(2, 0), 0u);
    EXPECT_EQ(image.GetPixelWord(3, 0), 0u);
}

TEST(BmpCodecTest, PaletteLongerThanTheDepthIsClampedToIt)
{
    // Sixteen entries declared for a 1-bit picture; the pixels may follow the two that are kept.
    TInfo info { .Width = 1, .Height = 1, .Bpp = 1, .ColorsUsed = 16 };
    TBytes f = InfoFile(info, Le32({ 0x111111, 0x222222 }), { 0x80, 0, 0, 0 });
    EXPECT_EQ(ReadBmp(f).Palette, (std::vector<std::uint32_t> { 0x111111, 0x222222 }));
}

TEST(BmpCodecTest, ScalesBitFieldChannelsToEightBits)
{
    struct Case {
        const char* Name;
        std::uint32_t HeaderSize;
        std::uint16_t Bpp;
        std::uint32_t Compression;
        std::uint32_t Masks[3];
        std::uint32_t Pixel;
        std::uint32_t Expected; // 0x00RRGGBB
    };
    const Case cases[] = {
        { "555 by default, full scale", 40, 16, 0, {}, 0x7FFF, 0xFFFFFF },
        { "555 by default, one step", 40, 16, 0, {}, 0x0421, 0x080808 },
        { "555 by default, red only", 40, 16, 0, {}, 0x7C00, 0xFF0000 },
        { "565 full green", 40, 16, 3, { 0xF800, 0x07E0, 0x001F }, 0x07E0, 0x00FF00 },
        { "565 mid grey", 40, 16, 3, { 0xF800, 0x07E0, 0x001F }, 0x8410, 0x848284 },
        { "565 in a V4 header", 108, 16, 3, { 0xF800, 0x07E0, 0x001F }, 0xF81F, 0xFF00FF },
        { "32-bit swapped channels", 40, 32, 3, { 0x000000FF, 0x0000FF00, 0x00FF0000 }, 0xAA123456, 0x563412 },
        { "32-bit ten-bit channels", 52, 32, 3, { 0x3FF00000, 0x000FFC00, 0x000003FF }, 0x3FF80000, 0xFF8000 },
        { "32-bit alpha bit fields in V5", 124, 32, 6, { 0x00FF0000, 0x0000FF00, 0x000000FF }, 0xFF102030, 0x102030 },
        { "32-bit plain ignores the top byte", 40, 32, 0, {}, 0xFF102030, 0x102030 },
        { "one-bit channels", 56, 16, 3, { 0x4, 0x2, 0x1 }, 0x5, 0xFF00FF },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TInfo info { .Width = 1, .Height = 1, .Bpp = c.Bpp, .Compression = c.Compression, .HeaderSize = c.HeaderSize };
        std::copy(std::begin(c.Masks), std::end(c.Masks), info.Masks);
        TBytes extra;
        if (c.HeaderSize == 40 && c.Compression == 3)
            extra = Le32({ c.Masks[0], c.Masks[1], c.Masks[2] });
        const TDibImage image = ReadBmp(InfoFile(info, extra, Le32({ c.Pixel })));
        EXPECT_EQ(image.BitsPerPixel, c.Bpp == 16 ? 24 : 32);
        EXPECT_EQ(image.GetPixelWord(0, 0), c.Expected);
        if (c.Bpp == 32) {
            EXPECT_EQ(image.Row(0)[3], 0);
        }
    }
}

TEST(BmpCodecTest, ReadsTopDownRows)
{
    TInfo info { .Width = 2, .Height = -2, .Bpp = 24 };
    const TBytes pixels = { 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0 };
    const TDibImage image = ReadBmp(InfoFile(info, {}, pixels));
    EXPECT_EQ(image.Height, 2);
    EXPECT_EQ(image.GetPixelWord(0, 0), 0x030201u);
    EXPECT_EQ(image.GetPixelWord(1, 1), 0x0C0B0Au);
}

TEST(BmpCodecTest, DecodesRunLengthData)
{
    // 8 bits, 5 x 3, rows listed from the bottom:
    //   run of 3 x index 1, end of line;
    //   absolute run 2 3 4 (padded), delta right 1 up 1 -> (4, 2), run of 1 x index 9;
    //   end of line after the last row, end of bitmap.
    const TBytes rle8 = { 3, 1, 0, 0, 0, 3, 2, 3, 4, 0, 0, 2, 1, 1, 1, 9, 0, 0, 0, 1 };
    EXPECT_EQ(Indices(ReadBmp(Rle8File(5, 3, rle8))),
        (std::vector<std::vector<unsigned>> { { 0, 0, 0, 0, 9 }, { 2, 3, 4, 0, 0 }, { 1, 1, 1, 0, 0 } }));

    // 4 bits, 6 x 3: run of 5 alternating 1 2, end of line; delta right 1; absolute run of five
    // nibbles 3..7 (three bytes, padded to four) to the right edge; end of bitmap, top row untouched.
    const TBytes rle4 = { 5, 0x12, 0, 0, 0, 2, 1, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1 };
    EXPECT_EQ(Indices(ReadBmp(Rle4File(6, 3, rle4))),
        (std::vector<std::vector<unsigned>> { { 0, 0, 0, 0, 0, 0 }, { 0, 3, 4, 5, 6, 7 }, { 1, 2, 1, 2, 1, 0 } }));
}

TEST(BmpCodecTest, RefusesBrokenFiles)
{
    const TBytes base = Valid8Bit();
    const TBytes bitFields = Valid565();
    struct Case {
        const char* Name;
        TBytes File;
    };
    auto set32 = [&](const TBytes& file, std::size_t at, std::uint32_t v) {
        return Mutated(file, [=](TBytes& f) { Set32(f, at, v); });
    };
    auto set16 = [&](const TBytes& file, std::size_t at, std::uint32_t v) {
        return Mutated(file, [=](TBytes& f) { Set16(f, at, v); });
    };
    const Case cases[] = {
        { "empty file", {} },
        { "magic only", { 'B', 'M' } },
        { "wrong magic", Mutated(base, [](TBytes& f) { f[1] = 'A'; }) },
        { "header only", TBytes(base.begin(), base.begin() + 54) },
        { "unknown header size", set32(base, HeaderSizeAt, 64) },
        { "header size past the file", set32(base, HeaderSizeAt, 124) },
        { "offset past the file", set32(base, OffBitsAt, std::uint32_t(base.size() + 1)) },
        { "offset far past the file", set32(base, OffBitsAt, 0xFFFFFFF0) },
        { "offset into the header", set32(base, OffBitsAt, 30) },
        { "offset into the palette", set32(base, OffBitsAt, 54 + 8) },
        { "offset zero", set32(base, OffBitsAt, 0) },
        { "zero width", set32(base, WidthAt, 0) },
        { "negative width", set32(base, WidthAt, std::uint32_t(-3)) },
        { "zero height", set32(base, HeightAt, 0) },
        { "most negative height", set32(base, HeightAt, 0x80000000) },
        { "absurd size, tiny file", Mutated(base, [](TBytes& f) { Set32(f, WidthAt, 100000); Set32(f, HeightAt, 100000); }) },
        { "too many pixels", Mutated(base, [](TBytes& f) { Set32(f, WidthAt, 65535); Set32(f, HeightAt, 65535); }) },
        { "missing last row", TBytes(base.begin(), base.end() - 4) },
        { "one row more than the data", set32(base, HeightAt, 3) },
        { "no planes", set16(base, PlanesAt, 0) },
        { "two planes", set16(base, PlanesAt, 2) },
        { "2 bits", set16(base, BppAt, 2) },
        { "0 bits", set16(base, BppAt, 0) },
        { "embedded JPEG", set32(base, CompressionAt, 4) },
        { "embedded PNG", set32(base, CompressionAt, 5) },
        { "unknown compression", set32(base, CompressionAt, 11) },
        { "bit fields with 8 bits", set32(base, CompressionAt, 3) },
        { "RLE4 with 8 bits", set32(base, CompressionAt, 2) },
        { "palette over 256 entries", set32(base, ColorsUsedAt, 257) },
        { "palette past the file", Mutated(base, [](TBytes& f) { Set32(f, ColorsUsedAt, 256); Set32(f, OffBitsAt, 54); }) },
        { "core 16 bits", CoreFile(1, 1, 16, {}, { 0, 0, 0, 0 }) },
        { "core zero width", CoreFile(0, 1, 24, {}, { 0, 0, 0, 0 }) },
        { "zero red mask", set32(bitFields, InfoMasksAt, 0) },
        { "zero blue mask", set32(bitFields, InfoMasksAt + 8, 0) },
        { "split mask", set32(bitFields, InfoMasksAt, 0xF00F) },
        { "mask beyond 16 bits", set32(bitFields, InfoMasksAt, 0x1F0000) },
        { "masks cut off", TBytes(bitFields.begin(), bitFields.begin() + 60) },
        { "zero mask in V4", [] {
             TInfo info { .Width = 1, .Height = 1, .Bpp = 32, .Compression = 3, .HeaderSize = 108, .Masks = { 0xFF0000, 0, 0xFF } };
             return InfoFile(info, {}, { 0, 0, 0, 0 });
         }() },
        { "RLE top-down", Rle8File(4, -2, { 0, 1 }) },
        { "RLE run past the right edge", Rle8File(4, 2, { 5, 1, 0, 1 }) },
        { "RLE run past the right edge later", Rle8File(4, 2, { 3, 1, 2, 1, 0, 1 }) },
        { "RLE absolute run past the right edge", Rle8File(4, 2, { 0, 5, 1, 2, 3, 4, 5, 0, 0, 1 }) },
        { "RLE delta past the right edge", Rle8File(4, 2, { 0, 2, 5, 0, 0, 1 }) },
        { "RLE delta past the last row", Rle8File(4, 2, { 0, 2, 0, 3, 0, 1 }) },
        { "RLE delta beside the last row", Rle8File(4, 2, { 0, 2, 1, 2, 0, 1 }) },
        { "RLE end of line past the last row", Rle8File(4, 2, { 0, 0, 0, 0, 0, 0, 0, 1 }) },
        { "RLE run after the last row", Rle8File(4, 2, { 0, 0, 0, 0, 1, 1, 0, 1 }) },
        { "RLE without end of bitmap", Rle8File(4, 2, { 2, 1 }) },
        { "RLE ends inside a code", Rle8File(4, 2, { 2, 1, 0 }) },
        { "RLE ends inside a delta", Rle8File(4, 2, { 0, 2, 1 }) },
        { "RLE ends inside an absolute run", Rle8File(4, 2, { 0, 4, 1, 2 }) },
        { "RLE absolute run without its padding", Rle8File(4, 2, { 0, 3, 1, 2, 3 }) },
        { "RLE with no data", Rle8File(4, 2, {}) },
        { "RLE absurd size", Mutated(Rle8File(4, 2, { 0, 1 }), [](TBytes& f) { Set32(f, WidthAt, 100000); Set32(f, HeightAt, 100000); }) },
        { "RLE4 run past the right edge", Rle4File(4, 1, { 5, 0x11, 0, 1 }) },
        { "RLE4 absolute run past the right edge", Rle4File(4, 1, { 0, 5, 0x12, 0x34, 0x50, 0, 0, 1 }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            const TDibImage image = ReadBmp(c.File);
            ADD_FAILURE() << "read as " << image.Width << " x " << image.Height;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), BadBitmapText());
        }
    }
}

// Every valid kind cut at every byte is refused with the bad-bitmap text (all of them end in data
// that is needed), and random damage to any byte is refused or read, never more.
TEST(BmpCodecTest, TruncatedOrDamagedFilesNeverBreakTheReader)
{
    std::mt19937 rng(1234);
    std::vector<TBytes> files;
    const std::pair<int, std::size_t> depths[] = { { 1, 2 }, { 4, 16 }, { 8, 5 }, { 24, 0 }, { 32, 0 } };
    for (auto [bpp, paletteSize] : depths)
        files.push_back(WriteBmp(RandomImage(7, 3, bpp, paletteSize, rng)));
    files.push_back(Valid8Bit());
    files.push_back(Valid565());
    files.push_back(CoreFile(2, 1, 8, TBytes(256 * 3, 0x40), { 1, 2, 0, 0 }));
    files.push_back(InfoFile({ .Width = 1, .Height = -1, .Bpp = 32, .Compression = 3, .HeaderSize = 124,
                                 .Masks = { 0xFF0000, 0xFF00, 0xFF } },
        {}, { 1, 2, 3, 4 }));
    files.push_back(Rle8File(5, 3, { 3, 1, 0, 0, 0, 3, 2, 3, 4, 0, 0, 2, 1, 1, 1, 9, 0, 1 }));
    files.push_back(Rle4File(6, 2, { 5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1 }));

    for (std::size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "file " << k);
        const TBytes& file = files[k];
        ASSERT_NO_THROW(ReadBmp(file));
        for (std::size_t n = 0; n < file.size(); ++n) {
            try {
                ReadBmp(std::span(file.data(), n));
                ADD_FAILURE() << "prefix of " << n << " bytes read";
            } catch (const EInvalidGraphic& e) {
                EXPECT_EQ(e.Message(), BadBitmapText());
            }
        }
        for (int round = 0; round < 300; ++round) {
            TBytes damaged = file;
            for (int hits = 1 + int(rng() % 3); hits > 0; --hits)
                damaged[rng() % damaged.size()] = std::uint8_t(rng());
            try {
                const TDibImage image = ReadBmp(damaged);
                EXPECT_TRUE(TDibImage::SizeAcceptable(image.Width, image.Height));
                EXPECT_EQ(image.Bits.size(), image.Stride() * std::size_t(image.Height));
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}
