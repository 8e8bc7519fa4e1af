#include "platform/graphics/JpegCodec.h"

#include "platform/base/Exception.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// libjpeg's own error_exit ends the process. Ours jumps back to the RunGuarded call that entered
// the library, and only there, back in our own frame, is the C++ exception thrown: nothing is ever
// thrown through libjpeg's C frames.
struct TJpegErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    bool Refused = false; // the jump was ours: a file past the decoder's limits, not a library failure
};

void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(cinfo->err)->Jump, 1);
}

// Warnings (corrupt data, a premature end) are counted as libjpeg does, but never printed.
void EmitMessage(j_common_ptr cinfo, int msgLevel)
{
    if (msgLevel < 0)
        ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) { }

void InstallErrorManager(TJpegErrorManager& errors)
{
    jpeg_std_error(&errors.Pub);
    errors.Pub.error_exit = ErrorExit;
    errors.Pub.emit_message = EmitMessage;
    errors.Pub.output_message = OutputMessage;
}

// Runs body, which calls into libjpeg, with the error jump pointing here. Everything body changes
// lives outside this frame (in the caller's holders), so nothing is left indeterminate by the
// jump; body itself must keep only trivially destructible locals, since its frame is abandoned.
template <typename Body>
void RunGuarded(TJpegErrorManager& errors, Body&& body)
{
    if (setjmp(errors.Jump) != 0) {
        if (errors.Refused)
            throw EInvalidGraphic();
        throw EJPEG(errors.Pub.msg_code);
    }
    body();
}

// A file read in several scans (a progressive one, or a sequential one that sends its components
// one by one) has all its coefficients buffered before the first row comes out, and each scan
// passes over that buffer again. A tiny file claiming a huge picture could otherwise take
// gigabytes, or, repeating its scans, minutes. The buffer is limited to 512 MiB (every 4:2:0
// colour picture the platform holds fits), and the number of scans to 2^26 divided by the blocks
// in the buffer (under a second of passes over empty data), but never to fewer than 16 (a normal
// progressive file has 10 at most).
constexpr std::uint64_t MaxCoefficientBytes = std::uint64_t { 512 } << 20;
constexpr std::uint64_t ScanVisitBudget = std::uint64_t { 1 } << 26;
constexpr int MinScanLimit = 16;

bool BuffersWholePicture(const jpeg_decompress_struct& info)
{
    return info.progressive_mode || info.comps_in_scan < info.num_components;
}

std::uint64_t RoundUp(std::uint64_t value, int multiple)
{
    const auto m = static_cast<std::uint64_t>(multiple);
    return (value + m - 1) / m * m;
}

// The blocks of the coefficient buffer, each component padded to its sampling as libjpeg does.
std::uint64_t CoefficientBlocks(const jpeg_decompress_struct& info)
{
    std::uint64_t blocks = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& c = info.comp_info[i];
        blocks += RoundUp(c.width_in_blocks, c.h_samp_factor) * RoundUp(c.height_in_blocks, c.v_samp_factor);
    }
    return blocks;
}

int ScanLimit(const jpeg_decompress_struct& info)
{
    const std::uint64_t blocks = std::max<std::uint64_t>(1, CoefficientBlocks(info));
    return static_cast<int>(std::clamp<std::uint64_t>(ScanVisitBudget / blocks, MinScanLimit, INT_MAX));
}

// A decompressor over a byte buffer, destroyed with its holder (also after an error, and also
// when it was stopped before the last row). Its progress hook, which libjpeg calls while it takes
// in the scans, ends the decoding once the file has sent more scans than its picture size allows.
struct TDecompressor {
    jpeg_decompress_struct Info {};
    TJpegErrorManager Errors {};
    jpeg_progress_mgr Progress {};
    int MaxScans = INT_MAX;

    TDecompressor()
    {
        Info.err = &Errors.Pub;
        Progress.progress_monitor = CountScans;
    }
    ~TDecompressor() { jpeg_destroy_decompress(&Info); }
    TDecompressor(const TDecompressor&) = delete;
    TDecompressor& operator=(const TDecompressor&) = delete;

    void ReadHeader(const std::vector<std::uint8_t>& data)
    {
        InstallErrorManager(Errors);
        RunGuarded(Errors, [&] {
            jpeg_create_decompress(&Info);
            Info.client_data = this;
            Info.progress = &Progress;
            jpeg_mem_src(&Info, data.data(), static_cast<unsigned long>(data.size()));
            jpeg_read_header(&Info, TRUE);
        });
        MaxScans = ScanLimit(Info);
    }

    static void CountScans(j_common_ptr cinfo)
    {
        const auto* self = static_cast<const TDecompressor*>(cinfo->client_data);
        if (cinfo->is_decompressor && self->Info.input_scan_number > self->MaxScans) {
            auto* errors = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
            errors->Refused = true;
            std::longjmp(errors->Jump, 1);
        }
    }
};

struct TCompressor {
    jpeg_compress_struct Info {};
    TJpegErrorManager Errors {};
    unsigned char* Buffer = nullptr; // libjpeg's malloc'ed output, grown as it writes
    unsigned long Size = 0;

    TCompressor()
    {
        InstallErrorManager(Errors);
        Info.err = &Errors.Pub;
    }
    ~TCompressor()
    {
        jpeg_destroy_compress(&Info);
        std::free(Buffer);
    }
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;
};

TJpegColorSpace ColorSpaceOf(J_COLOR_SPACE space)
{
    switch (space) {
    case JCS_GRAYSCALE:
        return jcsGrayscale;
    case JCS_RGB:
        return jcsRGB;
    case JCS_YCbCr:
        return jcsYCbCr;
    case JCS_CMYK:
        return jcsCMYK;
    case JCS_YCCK:
        return jcsYCCK;
    default:
        return jcsUnknown;
    }
}

// Product of two 0..255 values scaled back to 0..255, rounded to nearest.
inline std::uint8_t Scale255(unsigned a, unsigned b)
{
    unsigned t = a * b + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

// CMYK samples to B, G, R. With the values "inverted" (255 = no ink, as files with an Adobe marker
// store them and as libjpeg hands them over), R = C * K / 255, G = M * K / 255, B = Y * K / 255;
// plain CMYK (255 = full ink) is inverted first.
void CmykRowToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, int count, bool inverted)
{
    const unsigned flip = inverted ? 0 : 255;
    for (int i = 0; i < count; ++i, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
        bgr[0] = Scale255(y, k);
        bgr[1] = Scale255(m, k);
        bgr[2] = Scale255(c, k);
    }
}

// The source row and libjpeg's row never overlap; saying so lets the compiler vectorise the swap.
void BgrRowToRgb(const std::uint8_t* __restrict bgr, JSAMPLE* __restrict rgb, int count)
{
    for (int i = 0; i < count * 3; i += 3) {
        rgb[i] = bgr[i + 2];
        rgb[i + 1] = bgr[i + 1];
        rgb[i + 2] = bgr[i];
    }
}

} // namespace

TJpegDecoder::TJpegDecoder(std::vector<std::uint8_t> data)
    : FData(std::move(data))
{
    TDecompressor decompressor;
    decompressor.ReadHeader(FData);
    const jpeg_decompress_struct& info = decompressor.Info;
    if (!TDibImage::SizeAcceptable(info.image_width, info.image_height))
        throw EInvalidGraphic();
    if (BuffersWholePicture(info) && CoefficientBlocks(info) * sizeof(JBLOCK) > MaxCoefficientBytes)
        throw EInvalidGraphic();
    FWidth = static_cast<int>(info.image_width);
    FHeight = static_cast<int>(info.image_height);
    FComponents = info.num_components;
    FColorSpace = ColorSpaceOf(info.jpeg_color_space);
    FProgressive = info.progressive_mode;
    FSawAdobeMarker = info.saw_Adobe_marker;
}

TDibImage TJpegDecoder::DecodeAll() const
{
    return Decode(Rect(0, 0, FWidth, FHeight));
}

// Decoding an area:
//
//   picture  +-------------------------------+   rows above the window: skipped (entropy
//            |        window (area + margin, |   decoding only); rows below: never read
//            |   +-----------------------+   |
//            |   |      area             |   |   columns: libjpeg's crop, which starts at an
//            |   |                       |   |   iMCU boundary at or left of the window
//            |   +-----------------------+   |
//            +-------------------------------+
//
// libjpeg treats the sides of a cropped window like picture edges: with fancy upsampling the
// outermost columns of a crop take replicated chroma instead of their neighbours'. The window is
// therefore widened by one iMCU on each side where the picture goes on, and only the inner area,
// which then comes out exactly as in a full decode, is copied. Skipping rows is exact in the
// library we build on, but the same margin is kept above the area too: skipping has been the
// fragile part of the library before, and a few extra rows cost little.
TDibImage TJpegDecoder::Decode(const TRect& area) const
{
    const TRect clipped = area.Intersected(Rect(0, 0, FWidth, FHeight));
    TDibImage image;
    if (clipped.IsEmpty())
        return image;
    image.Allocate(clipped.Width(), clipped.Height(), 24);

    TDecompressor decompressor;
    decompressor.ReadHeader(FData);
    jpeg_decompress_struct& info = decompressor.Info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool inverted = info.saw_Adobe_marker;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    // One output row of the whole picture's width at most (the window never exceeds it).
    std::vector<JSAMPLE> row(static_cast<std::size_t>(FWidth) * (cmyk ? 4 : 3));

    RunGuarded(decompressor.Errors, [&] {
        jpeg_start_decompress(&info);
        const int marginX = info.max_h_samp_factor * DCTSIZE;
        const int marginY = info.max_v_samp_factor * DCTSIZE;
        JDIMENSION xoffset = static_cast<JDIMENSION>(std::max(0, clipped.Left - marginX));
        JDIMENSION width = static_cast<JDIMENSION>(std::min(FWidth, clipped.Right + marginX)) - xoffset;
        if (width < info.output_width)
            jpeg_crop_scanline(&info, &xoffset, &width);
        const JDIMENSION firstRow = static_cast<JDIMENSION>(std::max(0, clipped.Top - marginY));
        while (info.output_scanline < firstRow)
            if (jpeg_skip_scanlines(&info, firstRow - info.output_scanline) == 0)
                break;
        const std::size_t pixelSize = cmyk ? 4 : 3;
        const std::size_t skipBytes = static_cast<std::size_t>(clipped.Left - static_cast<int>(xoffset)) * pixelSize;
        // When the window is the area itself (a full-width read), rows go straight into the image.
        const bool direct = !cmyk && skipBytes == 0 && info.output_width == static_cast<JDIMENSION>(clipped.Width());
        while (info.output_scanline < static_cast<JDIMENSION>(clipped.Bottom)) {
            const int y = static_cast<int>(info.output_scanline);
            std::uint8_t* target = y >= clipped.Top ? image.Row(y - clipped.Top) : nullptr;
            JSAMPROW rows[1] = { direct && target ? target : row.data() };
            if (jpeg_read_scanlines(&info, rows, 1) != 1)
                break;
            if (!target || direct)
                continue;
            if (cmyk)
                CmykRowToBgr(row.data() + skipBytes, target, clipped.Width(), inverted);
            else
                std::memcpy(target, row.data() + skipBytes, static_cast<std::size_t>(clipped.Width()) * 3);
        }
        // The rows below the area are not wanted: stop here instead of finishing.
        jpeg_abort_decompress(&info);
    });
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const TDibImage& image, int quality)
{
    assert(image.Empty() || image.Bits.size() >= image.Stride() * static_cast<std::size_t>(image.Height));
    TCompressor compressor;
    jpeg_compress_struct& info = compressor.Info;
    const int width = image.Empty() ? 0 : image.Width;
    const int height = image.Empty() ? 0 : image.Height;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);

    RunGuarded(compressor.Errors, [&] {
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &compressor.Buffer, &compressor.Size);
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        info.dct_method = JDCT_FLOAT;
        jpeg_set_quality(&info, quality, TRUE);
        jpeg_start_compress(&info, TRUE);
        for (int y = 0; y < height; ++y) {
            JSAMPLE* out = row.data();
            if (image.BitsPerPixel == 24) {
                BgrRowToRgb(image.Row(y), out, width);
            } else {
                for (int x = 0; x < width; ++x, out += 3) {
                    const std::uint32_t word = image.GetPixelWord(x, y);
                    out[0] = static_cast<JSAMPLE>(word >> 16);
                    out[1] = static_cast<JSAMPLE>(word >> 8);
                    out[2] = static_cast<JSAMPLE>(word);
                }
            }
            JSAMPROW rows[1] = { row.data() };
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
    });
    return std::vector<std::uint8_t>(compressor.Buffer, compressor.Buffer + compressor.Size);
}
