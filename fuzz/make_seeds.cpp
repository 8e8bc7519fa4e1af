// Writes the fuzz targets' seed files: make_seeds DIR fills DIR/bmp, DIR/jpeg and DIR/region.
// The seeds are small valid files of every kind the readers take, and a few cut short, so that
// the fuzzer starts from inside each decoding path instead of having to find the headers first.
// Run it once after changing a reader's formats and commit what it writes.

#include "platform/graphics/BmpCodec.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using TBytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void Save(const fs::path& dir, const std::string& name, const TBytes& bytes)
{
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", (dir / name).c_str());
        std::exit(1);
    }
}

TBytes Cut(const TBytes& b, std::size_t size) { return TBytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size)); }

// ---------------------------------------------------------------------------------------------
// Bitmaps

void Put16(TBytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(TBytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// A picture with a different value in every pixel, so that a swapped row or channel shows.
TDibImage Pattern(int width, int height, int bpp)
{
    TDibImage image;
    if (bpp <= 8)
        for (unsigned i = 0; i < (bpp == 8 ? 5u : 1u << bpp); ++i)
            image.Palette.push_back(0x102030u * (i + 1) & 0xFFFFFF);
    image.Allocate(width, height, bpp);
    image.XPelsPerMeter = 2835;
    image.YPelsPerMeter = 3780;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelWord(x, y,
                bpp <= 8 ? image.Palette[static_cast<unsigned>(x + y) % image.Palette.size()]
                         : static_cast<std::uint32_t>(x * 40) << 16 | static_cast<std::uint32_t>(y * 60) << 8 | 0x80);
    return image;
}

struct TBmpHeader {
    std::uint32_t HeaderSize = 40;
    std::int32_t Width = 1;
    std::int32_t Height = 1;
    std::uint16_t Bpp = 24;
    std::uint32_t Compression = 0;
    std::uint32_t ColorsUsed = 0;
    std::array<std::uint32_t, 3> Masks {}; // inside headers of 52 bytes and more
};

// File header, info header (or core header), extra (masks after a 40-byte header, palette),
// then the pixel data.
TBytes BmpFile(const TBmpHeader& h, const TBytes& extra, const TBytes& pixels)
{
    TBytes f(14 + h.HeaderSize, 0);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 10, static_cast<std::uint32_t>(f.size() + extra.size()));
    Put32(f, 14, h.HeaderSize);
    if (h.HeaderSize == 12) {
        Put16(f, 18, static_cast<std::uint32_t>(h.Width));
        Put16(f, 20, static_cast<std::uint32_t>(h.Height));
        Put16(f, 22, 1);
        Put16(f, 24, h.Bpp);
    } else {
        Put32(f, 18, static_cast<std::uint32_t>(h.Width));
        Put32(f, 22, static_cast<std::uint32_t>(h.Height));
        Put16(f, 26, 1);
        Put16(f, 28, h.Bpp);
        Put32(f, 30, h.Compression);
        Put32(f, 46, h.ColorsUsed);
        if (h.HeaderSize >= 52)
            for (std::size_t i = 0; i < 3; ++i)
                Put32(f, 54 + 4 * i, h.Masks[i]);
    }
    f.insert(f.end(), extra.begin(), extra.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    Put32(f, 2, static_cast<std::uint32_t>(f.size()));
    return f;
}

TBytes Palette(unsigned count, std::size_t entrySize)
{
    TBytes p;
    for (unsigned i = 0; i < count; ++i)
        for (std::size_t k = 0; k < entrySize; ++k)
            p.push_back(static_cast<std::uint8_t>(i * 50 + k * 20));
    return p;
}

TBytes Le32(std::initializer_list<std::uint32_t> words)
{
    TBytes b(words.size() * 4);
    std::size_t at = 0;
    for (std::uint32_t w : words) {
        Put32(b, at, w);
        at += 4;
    }
    return b;
}

void MakeBmpSeeds(const fs::path& dir)
{
    for (int bpp : { 1, 4, 8, 24, 32 })
        Save(dir, "written-" + std::to_string(bpp) + ".bmp", WriteBmp(Pattern(7, 3, bpp)));

    // Core header, 4 bits, palette of three-byte entries; rows of 3 pixels padded to 4 bytes.
    Save(dir, "core-4.bmp", BmpFile({ .HeaderSize = 12, .Width = 3, .Height = 2, .Bpp = 4 }, Palette(16, 3),
        { 0x01, 0x20, 0, 0, 0xFE, 0xD0, 0, 0 }));
    // 16 bits: the 5-5-5 default, then 5-6-5 bit fields after a 40-byte header.
    Save(dir, "rgb555.bmp", BmpFile({ .Width = 2, .Height = 2, .Bpp = 16 }, {}, { 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F }));
    Save(dir, "bitfields565.bmp", BmpFile({ .Width = 2, .Height = 1, .Bpp = 16, .Compression = 3 },
        Le32({ 0xF800, 0x07E0, 0x001F }), { 0x1F, 0xF8, 0xE0, 0x07 }));
    // 32-bit bit fields inside a version 4 header; 24 bits top-down in a version 5 header.
    Save(dir, "v4-bitfields32.bmp", BmpFile({ .HeaderSize = 108, .Width = 2, .Height = 1, .Bpp = 32, .Compression = 3,
        .Masks = { 0x3FF00000, 0x000FFC00, 0x000003FF } }, {}, Le32({ 0x3FF00000, 0x000003FF })));
    Save(dir, "v5-topdown24.bmp", BmpFile({ .HeaderSize = 124, .Width = 2, .Height = -2, .Bpp = 24 }, {},
        { 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0 }));
    Save(dir, "alphabitfields.bmp", BmpFile({ .HeaderSize = 56, .Width = 1, .Height = 1, .Bpp = 32, .Compression = 6,
        .Masks = { 0x00FF0000, 0x0000FF00, 0x000000FF } }, {}, Le32({ 0x80112233 })));
    // Run-length data with every code: a run, an absolute run, a delta, end of line, end of bitmap.
    const TBytes rle8 { 3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 1, 2, 5, 0, 1 };
    Save(dir, "rle8.bmp", BmpFile({ .Width = 8, .Height = 3, .Bpp = 8, .Compression = 1, .ColorsUsed = 6 }, Palette(6, 4), rle8));
    const TBytes rle4 { 5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 2, 1, 3, 0xAB, 0, 1 };
    Save(dir, "rle4.bmp", BmpFile({ .Width = 9, .Height = 3, .Bpp = 4, .Compression = 2 }, Palette(16, 4), rle4));

    // Cut short: in the pixel rows, in the run-length data, in the palette.
    const TBytes rgb = WriteBmp(Pattern(7, 3, 24));
    Save(dir, "cut-rows.bmp", Cut(rgb, rgb.size() - 10));
    const TBytes rle = BmpFile({ .Width = 8, .Height = 3, .Bpp = 8, .Compression = 1, .ColorsUsed = 6 }, Palette(6, 4), rle8);
    Save(dir, "cut-rle.bmp", Cut(rle, rle.size() - 4));
    const TBytes indexed = WriteBmp(Pattern(7, 3, 4));
    Save(dir, "cut-palette.bmp", Cut(indexed, 70));
}

// ---------------------------------------------------------------------------------------------
// JPEG files

enum TJpegKind { jkRGB, jkGray, jkCMYK, jkYCCK };

struct TJpegSeed {
    const char* Name;
    int Width;
    int Height;
    TJpegKind Kind = jkRGB;
    int HSamp = 2; // luminance sampling, for RGB input
    int VSamp = 2;
    bool Progressive = false;
    bool Adobe = true; // CMYK: with the marker the values are stored inverted
    bool Arithmetic = false;
    int RestartRows = 0;
    bool ScanPerComponent = false; // sequential, but one scan for each component
};

TBytes MakeJpeg(const TJpegSeed& s)
{
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(s.Width);
    c.image_height = static_cast<JDIMENSION>(s.Height);
    const int comps = s.Kind == jkRGB ? 3 : s.Kind == jkGray ? 1 : 4;
    c.input_components = comps;
    c.in_color_space = comps == 3 ? JCS_RGB : comps == 1 ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (s.Kind == jkYCCK)
        jpeg_set_colorspace(&c, JCS_YCCK);
    if (s.Kind == jkCMYK && !s.Adobe)
        c.write_Adobe_marker = FALSE;
    if (s.Kind == jkRGB) {
        c.comp_info[0].h_samp_factor = s.HSamp;
        c.comp_info[0].v_samp_factor = s.VSamp;
    }
    jpeg_set_quality(&c, 50, TRUE);
    c.optimize_coding = !s.Arithmetic; // small Huffman tables keep the seeds small
    c.arith_code = s.Arithmetic;
    c.restart_in_rows = s.RestartRows;
    if (s.Progressive)
        jpeg_simple_progression(&c);
    jpeg_scan_info scans[3];
    if (s.ScanPerComponent) {
        for (int i = 0; i < 3; ++i)
            scans[i] = { 1, { i, 0, 0, 0 }, 0, 63, 0, 0 };
        c.scan_info = scans;
        c.num_scans = 3;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(s.Width) * static_cast<std::size_t>(comps));
    for (int y = 0; y < s.Height; ++y) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<JSAMPLE>((i * 37 + static_cast<std::size_t>(y) * 23) & 0xFF);
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    TBytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// The middle of the longest scan's entropy-coded data: a cut there leaves every table whole.
std::size_t MiddleOfLongestScan(const TBytes& f)
{
    std::size_t best = f.size();
    std::size_t bestLength = 0;
    for (std::size_t i = 2; i + 4 <= f.size(); ++i) {
        if (f[i] != 0xFF || f[i + 1] != 0xDA)
            continue;
        const std::size_t start = i + 2 + static_cast<std::size_t>(f[i + 2] << 8 | f[i + 3]);
        std::size_t end = start;
        while (end + 1 < f.size() && !(f[end] == 0xFF && f[end + 1] != 0 && (f[end + 1] < 0xD0 || f[end + 1] > 0xD7)))
            ++end;
        if (end - start > bestLength) {
            bestLength = end - start;
            best = start + bestLength / 2;
        }
    }
    return best;
}

// The file with its first scan sent again `count` more times before the end.
TBytes WithRepeatedFirstScan(const TBytes& f, int count)
{
    std::size_t sos = 2;
    while (sos + 1 < f.size() && !(f[sos] == 0xFF && f[sos + 1] == 0xDA))
        ++sos;
    std::size_t end = sos + 2 + static_cast<std::size_t>(f[sos + 2] << 8 | f[sos + 3]);
    while (end + 1 < f.size() && !(f[end] == 0xFF && f[end + 1] != 0 && (f[end + 1] < 0xD0 || f[end + 1] > 0xD7)))
        ++end;
    TBytes out(f.begin(), f.end() - 2);
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(sos), f.begin() + static_cast<std::ptrdiff_t>(end));
    out.insert(out.end(), f.end() - 2, f.end());
    return out;
}

TBytes WithSize(TBytes f, int width, int height)
{
    for (std::size_t i = 2; i + 9 < f.size(); ++i)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC1 || f[i + 1] == 0xC2)) {
            f[i + 5] = static_cast<std::uint8_t>(height >> 8);
            f[i + 6] = static_cast<std::uint8_t>(height);
            f[i + 7] = static_cast<std::uint8_t>(width >> 8);
            f[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    return f;
}

void MakeJpegSeeds(const fs::path& dir)
{
    const TJpegSeed seeds[] = {
        { .Name = "baseline420", .Width = 24, .Height = 16 },
        { .Name = "baseline444-odd", .Width = 9, .Height = 7, .HSamp = 1, .VSamp = 1 },
        { .Name = "baseline422-restart", .Width = 17, .Height = 9, .HSamp = 2, .VSamp = 1, .RestartRows = 1 },
        { .Name = "baseline440", .Width = 8, .Height = 17, .HSamp = 1, .VSamp = 2 },
        { .Name = "tiny", .Width = 1, .Height = 1 },
        { .Name = "gray", .Width = 8, .Height = 8, .Kind = jkGray },
        { .Name = "progressive420", .Width = 24, .Height = 16, .Progressive = true },
        { .Name = "progressive-gray", .Width = 8, .Height = 8, .Kind = jkGray, .Progressive = true },
        { .Name = "cmyk-adobe", .Width = 8, .Height = 8, .Kind = jkCMYK },
        { .Name = "cmyk-plain", .Width = 8, .Height = 8, .Kind = jkCMYK, .Adobe = false },
        { .Name = "ycck", .Width = 16, .Height = 16, .Kind = jkYCCK },
        { .Name = "arithmetic", .Width = 16, .Height = 8, .Arithmetic = true },
        { .Name = "scan-per-component", .Width = 16, .Height = 16, .HSamp = 1, .VSamp = 1, .ScanPerComponent = true },
    };
    for (const TJpegSeed& s : seeds)
        Save(dir, std::string(s.Name) + ".jpg", MakeJpeg(s));

    const TBytes baseline = MakeJpeg(seeds[0]);
    const std::size_t scan = MiddleOfLongestScan(baseline);
    Save(dir, "cut-in-scan.jpg", Cut(baseline, scan));
    Save(dir, "cut-in-header.jpg", Cut(baseline, scan / 3));
    const TBytes progressive = MakeJpeg(seeds[6]);
    Save(dir, "progressive-cut.jpg", Cut(progressive, MiddleOfLongestScan(progressive)));
    // A short file whose header claims a big picture: areas are read, the whole never is.
    Save(dir, "claims-big.jpg", WithSize(baseline, 20000, 3000));
    // Files whose whole-picture buffer or scan count goes past the decoder's limits.
    Save(dir, "progressive-claims-huge.jpg",
        WithSize(MakeJpeg({ .Name = "", .Width = 8, .Height = 8, .Kind = jkCMYK, .Progressive = true }), 65500, 2048));
    Save(dir, "many-scans.jpg", WithRepeatedFirstScan(MakeJpeg(seeds[7]), 40));
}

// ---------------------------------------------------------------------------------------------
// Region programs (the byte code is described in region.cpp)

struct TRegionProgram {
    TBytes Code;

    TRegionProgram& Op(int kind, int changed, int other = 0)
    {
        Code.push_back(static_cast<std::uint8_t>(kind | changed << 4 | other << 6));
        return *this;
    }
    TRegionProgram& Bytes(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            Code.push_back(static_cast<std::uint8_t>(b));
        return *this;
    }
    // A rectangle in field coordinates (-16 .. 48).
    TRegionProgram& R(int left, int top, int right, int bottom) { return Bytes({ left + 16, top + 16, right + 16, bottom + 16 }); }
};

void MakeRegionSeeds(const fs::path& dir)
{
    // A ring built row by row: rectangles to the right, below, and one splitting the last band.
    TRegionProgram rows;
    rows.Op(0, 0).R(0, 0, 20, 2);
    rows.Op(2, 0).Bytes({ 1, 0, 3 }).Op(2, 0).Bytes({ 1, 2, 5 }).Op(2, 0).Bytes({ 0, 1, 4 });
    rows.Op(2, 0).Bytes({ 2, 0, 2 }).Op(2, 0).Bytes({ 0, 0, 6 }).Op(14, 0).Op(1, 0).R(-4, 1, 2, 30);
    Save(dir, "rows.bin", rows.Code);

    // Every set operation between overlapping, touching and nested rectangles, in place and not.
    TRegionProgram ops;
    ops.Op(0, 0).R(0, 0, 10, 10).Op(0, 1).R(5, 5, 15, 15).Op(0, 2).R(10, 0, 20, 5).Op(0, 3).R(2, 2, 4, 4);
    ops.Op(3, 0, 1).Op(6, 2, 0).Op(5, 1, 3).Op(4, 3, 2).Op(7, 1, 2).Bytes({ 4 | 3 }).Op(7, 2, 0).Bytes({ 2 });
    ops.Op(10, 0).Bytes({ 1 | 2 << 2 | 2 << 4 }).Op(10, 3).Bytes({ 3 | 3 << 2 | 3 << 4 }).Op(15, 0, 3).Op(13, 0).R(9, 9, 11, 11);
    Save(dir, "ops.bin", ops.Code);

    // A frame with a hole, moved into negative coordinates and copied, then combined back.
    TRegionProgram moves;
    moves.Op(0, 0).R(0, 0, 30, 30).Op(0, 1).R(10, 10, 20, 20).Op(5, 0, 1).Op(8, 0).Bytes({ 6, 4 });
    moves.Op(9, 2, 0).Bytes({ 20, 30 }).Op(11, 3, 2).Bytes({ 1 }).Op(6, 3, 0).Op(12, 1).Op(3, 1, 3).Op(15, 1, 3);
    Save(dir, "moves.bin", moves.Code);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    MakeBmpSeeds(root / "bmp");
    MakeJpegSeeds(root / "jpeg");
    MakeRegionSeeds(root / "region");
    return 0;
}
