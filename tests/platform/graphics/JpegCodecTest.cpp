#include "platform/graphics/JpegCodec.h"

#include "platform/base/CodePage.h"
#include "platform/base/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// The test files are made here with libjpeg's compressor, from a smooth RGB picture so that the
// decoded pixels stay close to the source.
struct TRgbPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb; // R, G, B per pixel, rows top first

    const std::uint8_t* At(int x, int y) const { return Rgb.data() + (static_cast<std::size_t>(y) * Width + x) * 3; }
};

TRgbPicture SmoothPicture(int width, int height)
{
    TRgbPicture p { width, height, {} };
    p.Rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* q = p.Rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            q[0] = (std::uint8_t)(40 + 170 * x / (width - 1));
            q[1] = (std::uint8_t)(30 + 180 * y / (height - 1));
            q[2] = (std::uint8_t)std::lround(128 + 90 * std::sin((x + 2 * y) / 14.0));
        }
    return p;
}

std::uint8_t Luma(const std::uint8_t* rgb)
{
    return (std::uint8_t)std::lround(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]);
}

// Inverted CMYK (255 = no ink) whose C * K / 255 gives back R, and so on.
void RgbToInvertedCmyk(const std::uint8_t* rgb, std::uint8_t* cmyk)
{
    int k = std::max({ rgb[0], rgb[1], rgb[2] });
    for (int i = 0; i < 3; ++i)
        cmyk[i] = (std::uint8_t)(k == 0 ? 255 : (rgb[i] * 255 + k / 2) / k);
    cmyk[3] = (std::uint8_t)k;
}

enum TFileSpace { fsYCbCr, fsGray, fsCmyk, fsYcck };

struct TFileKind {
    const char* Name;
    TFileSpace Space;
    int HSamp, VSamp; // of luminance, for YCbCr (YCCK keeps libjpeg's 2x2 for Y and K, CMYK 1x1)
    bool Progressive;
    bool Adobe; // CMYK only: with the marker the values are stored inverted
};

struct TJpegBuffer {
    unsigned char* Data = nullptr;
    unsigned long Size = 0;
    ~TJpegBuffer() { std::free(Data); }
    std::vector<std::uint8_t> Bytes() const { return { Data, Data + Size }; }
};

std::vector<std::uint8_t> MakeJpeg(const TRgbPicture& p, const TFileKind& kind, int quality = 95)
{
    jpeg_compress_struct c {};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    TJpegBuffer out;
    jpeg_mem_dest(&c, &out.Data, &out.Size);
    c.image_width = (JDIMENSION)p.Width;
    c.image_height = (JDIMENSION)p.Height;
    int comps = kind.Space == fsYCbCr ? 3 : kind.Space == fsGray ? 1 : 4;
    c.input_components = comps;
    c.in_color_space = comps == 3 ? JCS_RGB : comps == 1 ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (kind.Space == fsYcck)
        jpeg_set_colorspace(&c, JCS_YCCK);
    if (kind.Space == fsCmyk && !kind.Adobe)
        c.write_Adobe_marker = FALSE;
    if (kind.Space == fsYCbCr) {
        c.comp_info[0].h_samp_factor = kind.HSamp;
        c.comp_info[0].v_samp_factor = kind.VSamp;
    }
    jpeg_set_quality(&c, quality, TRUE);
    if (kind.Progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row((std::size_t)p.Width * comps);
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            const std::uint8_t* s = p.At(x, y);
            JSAMPLE* d = row.data() + (std::size_t)x * comps;
            if (comps == 3)
                std::copy(s, s + 3, d);
            else if (comps == 1)
                d[0] = Luma(s);
            else {
                RgbToInvertedCmyk(s, d);
                if (!kind.Adobe)
                    for (int i = 0; i < 4; ++i)
                        d[i] = (JSAMPLE)(255 - d[i]);
            }
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return out.Bytes();
}

const TFileKind Baseline420 { "baseline 4:2:0", fsYCbCr, 2, 2, false, false };

// Largest channel difference between a decoded image and what the source should give.
int MaxDifference(const TDibImage& image, const TRgbPicture& p, bool gray)
{
    int worst = 0;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            const std::uint8_t* s = p.At(x, y);
            const std::uint8_t* d = image.Row(y) + x * 3;
            for (int i = 0; i < 3; ++i) {
                int expected = gray ? Luma(s) : s[i];
                worst = std::max(worst, std::abs(d[2 - i] - expected));
            }
        }
    return worst;
}

// The sub-image of a 24-bit image at r (r inside it), for comparing crops with a full decode.
TDibImage SubImage(const TDibImage& image, const TRect& r)
{
    TDibImage sub;
    sub.Allocate(r.Width(), r.Height(), 24);
    for (int y = 0; y < r.Height(); ++y)
        std::copy_n(image.Row(r.Top + y) + r.Left * 3, r.Width() * 3, sub.Row(y));
    return sub;
}

std::string Utf8Message(const Exception& e) { return ActiveToUtf8(e.Message()); }

// Markers in front of the first scan, with each segment's payload.
struct TSegment {
    int Marker;
    std::vector<std::uint8_t> Payload;
};

std::vector<TSegment> HeaderSegments(const std::vector<std::uint8_t>& f)
{
    std::vector<TSegment> segments;
    std::size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF) {
        int marker = f[i + 1];
        std::size_t length = (std::size_t)(f[i + 2] << 8 | f[i + 3]);
        if (length < 2 || i + 2 + length > f.size())
            break;
        segments.push_back({ marker, { f.begin() + (long)i + 4, f.begin() + (long)(i + 2 + length) } });
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    return segments;
}

// Offset of the first SOFn segment's height field.
std::size_t SofSizeOffset(const std::vector<std::uint8_t>& f)
{
    for (std::size_t i = 2; i + 9 < f.size(); i++)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2))
            return i + 5;
    ADD_FAILURE() << "no SOF";
    return 0;
}

std::vector<std::uint8_t> WithSize(std::vector<std::uint8_t> f, int width, int height)
{
    std::size_t at = SofSizeOffset(f);
    f[at] = (std::uint8_t)(height >> 8);
    f[at + 1] = (std::uint8_t)height;
    f[at + 2] = (std::uint8_t)(width >> 8);
    f[at + 3] = (std::uint8_t)width;
    return f;
}

// The file cut in the middle of its (first) scan, its header left whole.
std::vector<std::uint8_t> CutInScan(const std::vector<std::uint8_t>& f)
{
    std::size_t sos = 2;
    for (const TSegment& s : HeaderSegments(f))
        sos += 4 + s.Payload.size();
    return { f.begin(), f.begin() + (long)(sos + (f.size() - sos) / 2) };
}

// The file without its segments of one marker.
std::vector<std::uint8_t> WithoutSegments(const std::vector<std::uint8_t>& f, int marker)
{
    std::vector<std::uint8_t> out(f.begin(), f.begin() + 2);
    std::size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF && f[i + 1] != 0xDA) {
        std::size_t length = (std::size_t)(f[i + 2] << 8 | f[i + 3]);
        if (f[i + 1] != marker)
            out.insert(out.end(), f.begin() + (long)i, f.begin() + (long)(i + 2 + length));
        i += 2 + length;
    }
    out.insert(out.end(), f.begin() + (long)i, f.end());
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

struct TReadCase {
    TFileKind Kind;
    int Components;
    TJpegColorSpace Space;
    int Tolerance;
};

void PrintTo(const TReadCase& c, std::ostream* os) { *os << c.Kind.Name; }

class JpegReadTest : public testing::TestWithParam<TReadCase> { };

// Each kind of file reads at its size, close to its source, and every area decodes exactly as
// the same place of a full decode, including areas that cut through iMCUs and overhang the edges.
TEST_P(JpegReadTest, ReadsCloseToSourceAndCropsExactly)
{
    const TReadCase& c = GetParam();
    const TRgbPicture source = SmoothPicture(83, 61);
    TJpegDecoder decoder(MakeJpeg(source, c.Kind));
    EXPECT_EQ(decoder.Width(), 83);
    EXPECT_EQ(decoder.Height(), 61);
    EXPECT_EQ(decoder.Components(), c.Components);
    EXPECT_EQ(decoder.JpegColorSpace(), c.Space);
    EXPECT_EQ(decoder.Progressive(), c.Kind.Progressive);
    EXPECT_EQ(decoder.SawAdobeMarker(), c.Kind.Adobe);

    const TDibImage full = decoder.DecodeAll();
    ASSERT_EQ(full.Width, 83);
    ASSERT_EQ(full.Height, 61);
    ASSERT_EQ(full.BitsPerPixel, 24);
    const bool gray = c.Kind.Space == fsGray;
    EXPECT_LE(MaxDifference(full, source, gray), c.Tolerance);
    if (gray)
        for (int y = 0; y < full.Height; ++y)
            for (int x = 0; x < full.Width; ++x) {
                const std::uint8_t* p = full.Row(y) + x * 3;
                ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
            }

    const TRect areas[] = {
        Rect(1, 1, 2, 2), Rect(15, 15, 17, 17), Rect(16, 16, 32, 32), Rect(17, 9, 58, 44),
        Rect(70, 50, 100, 100), Rect(-5, -7, 9, 3), Rect(40, 0, 41, 61), Rect(0, 33, 83, 34),
        Rect(0, 60, 83, 61), Rect(82, 0, 83, 61), Rect(31, 31, 49, 47),
    };
    for (const TRect& area : areas) {
        SCOPED_TRACE(testing::Message() << "area " << area.Left << "," << area.Top << "-" << area.Right << "," << area.Bottom);
        const TRect inside = area.Intersected(Rect(0, 0, 83, 61));
        const TDibImage part = decoder.Decode(area);
        ASSERT_EQ(part.Width, inside.Width());
        ASSERT_EQ(part.Height, inside.Height());
        EXPECT_EQ(part.Bits, SubImage(full, inside).Bits);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegReadTest,
    testing::Values(TReadCase { Baseline420, 3, jcsYCbCr, 12 },
        TReadCase { { "baseline 4:2:2", fsYCbCr, 2, 1, false, false }, 3, jcsYCbCr, 12 },
        TReadCase { { "baseline 4:4:0", fsYCbCr, 1, 2, false, false }, 3, jcsYCbCr, 12 },
        TReadCase { { "baseline 4:4:4", fsYCbCr, 1, 1, false, false }, 3, jcsYCbCr, 8 },
        TReadCase { { "progressive 4:2:0", fsYCbCr, 2, 2, true, false }, 3, jcsYCbCr, 12 },
        TReadCase { { "grayscale", fsGray, 1, 1, false, false }, 1, jcsGrayscale, 4 },
        TReadCase { { "CMYK with Adobe marker", fsCmyk, 1, 1, false, true }, 4, jcsCMYK, 12 },
        TReadCase { { "CMYK without Adobe marker", fsCmyk, 1, 1, false, false }, 4, jcsCMYK, 12 },
        TReadCase { { "YCCK with Adobe marker", fsYcck, 1, 1, false, true }, 4, jcsYCCK, 12 }),
    [](const testing::TestParamInfo<TReadCase>& param) {
        std::string name;
        for (const char* p = param.param.Kind.Name; *p; ++p)
            if (std::isalnum((unsigned char)*p))
                name += *p;
        return name;
    });

TEST(JpegReadTest, AreaOutsideThePictureIsEmpty)
{
    TJpegDecoder decoder(MakeJpeg(SmoothPicture(20, 10), Baseline420));
    for (const TRect& area : { Rect(20, 0, 30, 10), Rect(-10, -10, 0, 5), Rect(5, 5, 5, 9) }) {
        TDibImage image = decoder.Decode(area);
        EXPECT_TRUE(image.Empty());
        EXPECT_TRUE(image.Bits.empty());
    }
}

// A file cut short is a warning, not an error: the rows that arrived are kept, libjpeg fills in
// the rest, and nothing is printed.
TEST(JpegReadTest, TruncatedScanDecodesSilently)
{
    const std::vector<std::uint8_t> file = MakeJpeg(SmoothPicture(48, 128), Baseline420);
    const TDibImage intact = TJpegDecoder(file).DecodeAll();

    testing::internal::CaptureStderr();
    const TDibImage image = TJpegDecoder(CutInScan(file)).DecodeAll();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(image.Width, 48);
    ASSERT_EQ(image.Height, 128);
    // The cut falls near the middle; the first quarter arrived whole.
    EXPECT_EQ(SubImage(image, Rect(0, 0, 48, 32)).Bits, SubImage(intact, Rect(0, 0, 48, 32)).Bits);
    EXPECT_NE(image.Bits, intact.Bits);
}

// A short file whose header claims a big picture is read as far as the area asks, and the image
// returned is only the area's size.
TEST(JpegReadTest, ShortFileClaimingBigSizeDecodesOnlyTheArea)
{
    TJpegDecoder decoder(CutInScan(WithSize(MakeJpeg(SmoothPicture(32, 32), Baseline420), 20000, 6000)));
    EXPECT_EQ(decoder.Width(), 20000);
    EXPECT_EQ(decoder.Height(), 6000);
    TDibImage image = decoder.Decode(Bounds(9000, 100, 32, 24));
    EXPECT_EQ(image.Width, 32);
    EXPECT_EQ(image.Height, 24);
    EXPECT_EQ(image.Bits.size(), image.Stride() * 24);
}

struct TBadFileCase {
    const char* Name;
    std::vector<std::uint8_t> File;
    int Code; // libjpeg's message number; 0 for a refused size
};

// Every failure is an exception with the library's message number and never ends the process.
TEST(JpegReadTest, BadFilesThrowWithTheLibraryCode)
{
    const std::vector<std::uint8_t> good = MakeJpeg(SmoothPicture(16, 16), Baseline420);
    const std::vector<std::uint8_t> garbage { 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g' };
    const TBadFileCase cases[] = {
        { "empty buffer", {}, JERR_INPUT_EMPTY },
        { "garbage", garbage, JERR_NO_SOI },
        { "SOI alone", { 0xFF, 0xD8 }, JERR_NO_IMAGE },
        { "header cut in a table", { good.begin(), good.begin() + 30 }, JERR_NO_IMAGE },
        { "zero height", WithSize(good, 16, 0), JERR_EMPTY_IMAGE },
        { "beyond libjpeg's dimension limit", WithSize(good, 65535, 16), JERR_IMAGE_TOO_BIG },
        { "absurd size", WithSize(good, 60000, 60000), 0 },
    };
    for (const TBadFileCase& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            TJpegDecoder decoder(c.File);
            ADD_FAILURE() << "accepted";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.ErrorCode(), c.Code);
            EXPECT_EQ(Utf8Message(e), "JPEG エラー #" + std::to_string(c.Code));
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(c.Code, 0);
            EXPECT_EQ(Utf8Message(e), "ビットマップイメージが不正です");
        }
    }
}

// A fault found only when decoding starts comes out of Decode, not the constructor.
TEST(JpegReadTest, MissingQuantTableThrowsFromDecode)
{
    TJpegDecoder decoder(WithoutSegments(MakeJpeg(SmoothPicture(16, 16), Baseline420), 0xDB));
    try {
        decoder.Decode(Rect(0, 0, 4, 4));
        ADD_FAILURE() << "decoded";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.ErrorCode(), JERR_NO_QUANT_TABLE);
    }
}

// Regression: a progressive file of a few hundred bytes claiming 65500 x 2048 pixels used to have
// libjpeg buffer its coefficients for the whole claim, over a gigabyte for four components, and
// every area read did so again. Such claims are now refused up front; a single-scan file claiming
// the same buffers nothing and is still read.
TEST(JpegReadTest, HugeClaimsOfWholeBufferedFilesAreRefused)
{
    const TRgbPicture small = SmoothPicture(16, 16);
    struct TClaimCase {
        const char* Name;
        TFileKind Kind;
        bool Refused;
    };
    const TClaimCase cases[] = {
        { "progressive CMYK", { "", fsCmyk, 1, 1, true, true }, true },
        { "progressive 4:4:4", { "", fsYCbCr, 1, 1, true, false }, true },
        { "baseline CMYK", { "", fsCmyk, 1, 1, false, true }, false },
    };
    for (const TClaimCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<std::uint8_t> file = WithSize(MakeJpeg(small, c.Kind), 65500, 2048);
        if (c.Refused) {
            EXPECT_THROW(TJpegDecoder { file }, EInvalidGraphic);
        } else {
            const TDibImage image = TJpegDecoder(file).Decode(Rect(0, 0, 16, 16));
            EXPECT_EQ(image.Width, 16);
        }
    }
}

namespace {

// The file with its first scan (a DC scan, for a progressive file) sent again `count` more times
// before the end: libjpeg takes each repetition with a warning and passes over the whole picture.
std::vector<std::uint8_t> WithRepeatedFirstScan(const std::vector<std::uint8_t>& f, int count)
{
    std::size_t sos = 2;
    while (sos + 1 < f.size() && !(f[sos] == 0xFF && f[sos + 1] == 0xDA))
        ++sos;
    std::size_t end = sos + 2 + (std::size_t)(f[sos + 2] << 8 | f[sos + 3]);
    while (end + 1 < f.size() && !(f[end] == 0xFF && f[end + 1] != 0 && (f[end + 1] < 0xD0 || f[end + 1] > 0xD7)))
        ++end;
    std::vector<std::uint8_t> out(f.begin(), f.end() - 2); // up to the EOI marker
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), f.begin() + (long)sos, f.begin() + (long)end);
    out.insert(out.end(), f.end() - 2, f.end());
    return out;
}

} // namespace

// Regression: every scan of a progressive file passes over the whole picture, so a 60 KB file
// repeating one scan over a picture it claims to be large used to keep the decoder busy for most
// of a minute. The scans a file may send now shrink as its picture grows; a small picture with
// many repeated scans still decodes.
TEST(JpegReadTest, ScansBeyondTheirBudgetAreRefused)
{
    const TFileKind progressiveGray { "", fsGray, 1, 1, true, false };
    const std::vector<std::uint8_t> file = MakeJpeg(SmoothPicture(16, 16), progressiveGray);

    const TDibImage image = TJpegDecoder(WithRepeatedFirstScan(file, 100)).DecodeAll();
    EXPECT_EQ(image.Width, 16);

    // 4096 x 4096 gray is 2^18 blocks, which leaves 2^26 / 2^18 = 256 scans.
    const TJpegDecoder big(WithSize(WithRepeatedFirstScan(file, 260), 4096, 4096));
    EXPECT_THROW(big.Decode(Rect(0, 0, 8, 8)), EInvalidGraphic);
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

// The tables of the standard's example, in natural (row by row) order.
const int StandardLuminance[64] = {
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99
};
const int StandardChrominance[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99
};

std::vector<int> ScaledTable(const int* base, int quality)
{
    int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    std::vector<int> table(64);
    for (int i = 0; i < 64; ++i)
        table[i] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
    return table;
}

TDibImage SmoothDib(int width, int height)
{
    const TRgbPicture p = SmoothPicture(width, height);
    TDibImage image;
    image.Allocate(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* s = p.At(x, y);
            image.SetPixelWord(x, y, (std::uint32_t)s[0] << 16 | s[1] << 8 | s[2]);
        }
    return image;
}

} // namespace

TEST(JpegWriteTest, WritesBaselineJfifWithQualityTables)
{
    const std::vector<std::uint8_t> file = EncodeJpeg(SmoothDib(45, 29), 80);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xD8);

    const std::vector<TSegment> segments = HeaderSegments(file);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments[0].Marker, 0xE0);
    EXPECT_EQ(std::string(segments[0].Payload.begin(), segments[0].Payload.begin() + 5), std::string("JFIF\0", 5));
    int sofCount = 0;
    for (const TSegment& s : segments) {
        bool sof = s.Marker >= 0xC0 && s.Marker <= 0xCF && s.Marker != 0xC4 && s.Marker != 0xC8 && s.Marker != 0xCC;
        if (!sof)
            continue;
        ++sofCount;
        EXPECT_EQ(s.Marker, 0xC0) << "not baseline sequential";
        ASSERT_GE(s.Payload.size(), 6u);
        EXPECT_EQ(s.Payload[0], 8); // precision
        EXPECT_EQ(s.Payload[1] << 8 | s.Payload[2], 29);
        EXPECT_EQ(s.Payload[3] << 8 | s.Payload[4], 45);
        EXPECT_EQ(s.Payload[5], 3);
    }
    EXPECT_EQ(sofCount, 1);

    jpeg_decompress_struct d {};
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), (unsigned long)file.size());
    ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(d.jpeg_color_space, JCS_YCbCr);
    EXPECT_TRUE(d.saw_JFIF_marker);
    EXPECT_FALSE(d.progressive_mode);
    ASSERT_NE(d.quant_tbl_ptrs[0], nullptr);
    ASSERT_NE(d.quant_tbl_ptrs[1], nullptr);
    std::vector<int> luminance(64), chrominance(64);
    for (int i = 0; i < 64; ++i) {
        luminance[i] = d.quant_tbl_ptrs[0]->quantval[i];
        chrominance[i] = d.quant_tbl_ptrs[1]->quantval[i];
    }
    EXPECT_EQ(luminance, ScaledTable(StandardLuminance, 80));
    EXPECT_EQ(chrominance, ScaledTable(StandardChrominance, 80));
    EXPECT_EQ(d.comp_info[0].quant_tbl_no, 0);
    EXPECT_EQ(d.comp_info[1].quant_tbl_no, 1);
    EXPECT_EQ(d.comp_info[2].quant_tbl_no, 1);
    jpeg_destroy_decompress(&d);
}

// The output is what libjpeg's compressor makes from the same RGB rows with the settings the
// program promises (defaults, floating-point DCT, baseline tables), byte for byte.
TEST(JpegWriteTest, MatchesCompressorWithPromisedSettings)
{
    const TRgbPicture p = SmoothPicture(37, 23);
    TDibImage image;
    image.Allocate(p.Width, p.Height, 24);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            const std::uint8_t* s = p.At(x, y);
            image.SetPixelWord(x, y, (std::uint32_t)s[0] << 16 | s[1] << 8 | s[2]);
        }

    jpeg_compress_struct c {};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    TJpegBuffer out;
    jpeg_mem_dest(&c, &out.Data, &out.Size);
    c.image_width = (JDIMENSION)p.Width;
    c.image_height = (JDIMENSION)p.Height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 80, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < p.Height; ++y) {
        JSAMPROW row = (JSAMPROW)p.At(0, y);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);

    EXPECT_EQ(EncodeJpeg(image, 80), out.Bytes());
}

struct TDepthCase {
    const char* Name;
    int Bpp;
};

// Every depth is turned into the right RGB before compression: the file decodes back to the
// source's pixel words.
TEST(JpegWriteTest, EveryDepthRoundTrips)
{
    const TDepthCase cases[] = { { "24 bits", 24 }, { "32 bits", 32 }, { "8 bits", 8 }, { "4 bits", 4 }, { "1 bit", 1 } };
    const int width = 48, height = 32;
    const TDibImage smooth = SmoothDib(width, height);
    for (const TDepthCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDibImage image;
        if (c.Bpp == 8) // a blue-to-yellow ramp through the palette
            for (unsigned i = 0; i < 256; ++i)
                image.Palette.push_back(i << 16 | i << 8 | (255 - i));
        else if (c.Bpp == 4)
            image.Palette = { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF,
                0x808080, 0x800000, 0x008000, 0x000080, 0x808000, 0x008080, 0x800080, 0xC0C0C0 };
        else if (c.Bpp == 1)
            image.Palette = { 0x000000, 0xFFFFFF };
        image.Allocate(width, height, c.Bpp);
        // The 4- and 1-bit pictures are flat over whole 16-pixel blocks, which compression keeps
        // nearly exact but for the blocks' outer pixels, where the upsampled colour blends.
        const bool blocks = c.Bpp == 4 || c.Bpp == 1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint32_t word = c.Bpp == 8 ? image.Palette[(x * 255) / (width - 1)]
                    : c.Bpp == 4                ? image.Palette[(x / 16 + 3 * (y / 16)) % 16]
                    : c.Bpp == 1                ? image.Palette[(x / 16 + y / 16) % 2]
                                                : smooth.GetPixelWord(x, y);
                image.SetPixelWord(x, y, word);
            }

        const TDibImage back = TJpegDecoder(EncodeJpeg(image, 95)).DecodeAll();
        ASSERT_EQ(back.Width, width);
        ASSERT_EQ(back.Height, height);
        int worst = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (blocks && (x % 16 == 0 || x % 16 == 15 || y % 16 == 0 || y % 16 == 15))
                    continue;
                std::uint32_t a = image.GetPixelWord(x, y), b = back.GetPixelWord(x, y);
                for (int shift = 0; shift < 24; shift += 8)
                    worst = std::max(worst, std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)));
            }
        EXPECT_LE(worst, 16);
    }
}

TEST(JpegWriteTest, EmptyImageIsALibraryError)
{
    try {
        EncodeJpeg(TDibImage {}, 80);
        ADD_FAILURE() << "encoded";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.ErrorCode(), JERR_EMPTY_IMAGE);
    }
}
