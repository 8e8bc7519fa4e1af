#include "platform/graphics/BmpCodec.h"

#include "platform/base/Exception.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <optional>

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;

enum TBmpCompression : std::uint32_t {
    bcRGB = 0,
    bcRLE8 = 1,
    bcRLE4 = 2,
    bcBitFields = 3,
    bcJPEG = 4,
    bcPNG = 5,
    bcAlphaBitFields = 6,
};

[[noreturn]] void Refuse() { throw EInvalidGraphic(); }

// Little-endian fields of the file; every access is checked against the end of the data.
class TFieldReader {
public:
    explicit TFieldReader(std::span<const std::uint8_t> data) : FData(data) { }

    bool Holds(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= FData.size() && count <= FData.size() - offset;
    }
    std::uint16_t U16(std::size_t offset) const
    {
        if (!Holds(offset, 2))
            Refuse();
        return static_cast<std::uint16_t>(FData[offset] | (FData[offset + 1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const
    {
        if (!Holds(offset, 4))
            Refuse();
        return std::uint32_t { FData[offset] } | (std::uint32_t { FData[offset + 1] } << 8)
            | (std::uint32_t { FData[offset + 2] } << 16) | (std::uint32_t { FData[offset + 3] } << 24);
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

private:
    std::span<const std::uint8_t> FData;
};

// One colour channel of a bit-field pixel, scaled to 8 bits. Narrow channels replicate their
// bits downwards so that full scale stays full scale (5-bit 31 is 255) and zero stays zero.
class TChannel {
public:
    explicit TChannel(std::uint32_t mask)
        : FMask(mask)
    {
        if (mask == 0)
            Refuse();
        FShift = std::countr_zero(mask);
        const std::uint32_t bits = mask >> FShift;
        if ((bits & (bits + 1)) != 0)
            Refuse(); // not contiguous
        FWidth = std::popcount(bits);
        if (FWidth <= 8) {
            for (std::uint32_t v = 0; v <= bits; ++v) {
                const std::uint32_t top = v << (8 - FWidth);
                std::uint32_t out = top;
                for (int filled = FWidth; filled < 8; filled += FWidth)
                    out |= top >> filled;
                FScale[v] = static_cast<std::uint8_t>(out);
            }
        }
    }

    std::uint8_t Get(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel & FMask) >> FShift;
        return FWidth <= 8 ? FScale[v] : static_cast<std::uint8_t>(v >> (FWidth - 8));
    }

private:
    std::uint32_t FMask;
    int FShift = 0;
    int FWidth = 0;
    std::array<std::uint8_t, 256> FScale {};
};

struct TBitFields {
    std::uint32_t Red;
    std::uint32_t Green;
    std::uint32_t Blue;
};

// What the headers say, once checked.
struct TBmpLayout {
    int Width = 0;
    int Height = 0;
    bool TopDown = false;
    int Bpp = 0;
    std::uint32_t Compression = bcRGB;
    TBitFields Masks {};
    std::vector<std::uint32_t> Palette;
    int XPelsPerMeter = 0;
    int YPelsPerMeter = 0;
};

void DecodeIndexedRows(std::span<const std::uint8_t> data, const TBmpLayout& layout, TDibImage& image)
{
    const std::size_t stride = image.Stride();
    const std::size_t used = (static_cast<std::size_t>(layout.Width) * static_cast<std::size_t>(layout.Bpp) + 7) / 8;
    const unsigned spareBits = static_cast<unsigned>(used * 8 - static_cast<std::size_t>(layout.Width) * static_cast<std::size_t>(layout.Bpp));
    // Bits past the right edge are cleared so that equal pictures have equal rows.
    const auto lastMask = static_cast<std::uint8_t>(0xFFu << spareBits);
    for (int r = 0; r < layout.Height; ++r) {
        std::uint8_t* dst = image.Row(layout.TopDown ? r : layout.Height - 1 - r);
        std::memcpy(dst, data.data() + static_cast<std::size_t>(r) * stride, used);
        dst[used - 1] &= lastMask;
    }
}

void DecodeRgbRows(std::span<const std::uint8_t> data, std::size_t fileStride, const TBmpLayout& layout, TDibImage& image)
{
    const std::size_t w = static_cast<std::size_t>(layout.Width);
    const bool fieldsUsed = layout.Bpp == 16 || layout.Compression != bcRGB;
    std::optional<TChannel> red, green, blue;
    if (fieldsUsed) {
        red.emplace(layout.Masks.Red);
        green.emplace(layout.Masks.Green);
        blue.emplace(layout.Masks.Blue);
    }
    for (int r = 0; r < layout.Height; ++r) {
        const std::uint8_t* src = data.data() + static_cast<std::size_t>(r) * fileStride;
        std::uint8_t* dst = image.Row(layout.TopDown ? r : layout.Height - 1 - r);
        if (layout.Bpp == 24) {
            std::memcpy(dst, src, w * 3);
        } else if (layout.Bpp == 16) {
            for (std::size_t x = 0; x < w; ++x, src += 2, dst += 3) {
                const std::uint32_t px = std::uint32_t { src[0] } | (std::uint32_t { src[1] } << 8);
                dst[0] = blue->Get(px);
                dst[1] = green->Get(px);
                dst[2] = red->Get(px);
            }
        } else if (!fieldsUsed) {
            for (std::size_t x = 0; x < w; ++x, src += 4, dst += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 0;
            }
        } else {
            for (std::size_t x = 0; x < w; ++x, src += 4, dst += 4) {
                const std::uint32_t px = std::uint32_t { src[0] } | (std::uint32_t { src[1] } << 8)
                    | (std::uint32_t { src[2] } << 16) | (std::uint32_t { src[3] } << 24);
                dst[0] = blue->Get(px);
                dst[1] = green->Get(px);
                dst[2] = red->Get(px);
                dst[3] = 0;
            }
        }
    }
}

// Run-length data, two bytes a code: a count and a value (an encoded run), or 0 and an escape:
// 0 end of line, 1 end of bitmap, 2 delta (two more bytes: right, up), n >= 3 an absolute run of
// n pixels padded to a 16-bit boundary. Rows count from the bottom. The position may rest on the
// right edge (x == width) or just past the last row at its start, but no pixel is written there.
void DecodeRle(std::span<const std::uint8_t> data, bool fourBit, TDibImage& image)
{
    const int w = image.Width;
    const int h = image.Height;
    int x = 0;
    int y = 0;
    std::size_t p = 0;
    auto put = [&](int px, unsigned index) {
        std::uint8_t* row = image.Row(h - 1 - y);
        if (!fourBit)
            row[px] = static_cast<std::uint8_t>(index);
        else if (px & 1)
            row[px >> 1] = static_cast<std::uint8_t>((row[px >> 1] & 0xF0) | index);
        else
            row[px >> 1] = static_cast<std::uint8_t>((row[px >> 1] & 0x0F) | (index << 4));
    };
    for (;;) {
        if (data.size() - p < 2)
            Refuse();
        const unsigned count = data[p];
        const unsigned value = data[p + 1];
        p += 2;
        if (count > 0) {
            if (y >= h || static_cast<int>(count) > w - x)
                Refuse();
            for (unsigned i = 0; i < count; ++i)
                put(x + static_cast<int>(i), fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
            x += static_cast<int>(count);
        } else if (value == 0) {
            if (y >= h)
                Refuse();
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (data.size() - p < 2)
                Refuse();
            x += data[p];
            y += data[p + 1];
            p += 2;
            if (x > w || y > h || (y == h && x > 0))
                Refuse();
        } else {
            const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t { 1 };
            if (y >= h || static_cast<int>(value) > w - x || data.size() - p < padded)
                Refuse();
            for (unsigned i = 0; i < value; ++i) {
                const unsigned b = data[p + (fourBit ? i / 2 : i)];
                put(x + static_cast<int>(i), fourBit ? ((i & 1) ? b & 15 : b >> 4) : b);
            }
            x += static_cast<int>(value);
            p += padded;
        }
    }
}

bool DepthFits(int bpp, std::uint32_t compression)
{
    switch (compression) {
    case bcRGB:
        return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case bcRLE8:
        return bpp == 8;
    case bcRLE4:
        return bpp == 4;
    case bcBitFields:
    case bcAlphaBitFields:
        return bpp == 16 || bpp == 32;
    default:
        return false; // embedded JPEG or PNG, and anything unknown
    }
}

} // namespace

TDibImage ReadBmp(std::span<const std::uint8_t> file)
{
    const TFieldReader f(file);
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        Refuse();
    const std::uint32_t offBits = f.U32(10);
    const std::uint32_t headerSize = f.U32(14);
    if (headerSize != CoreHeaderSize && headerSize != InfoHeaderSize && headerSize != 52 && headerSize != 56
        && headerSize != 108 && headerSize != 124)
        Refuse();
    if (!f.Holds(FileHeaderSize, headerSize))
        Refuse();

    TBmpLayout layout;
    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned planes = 0;
    std::uint32_t colorsUsed = 0;
    std::size_t paletteEntrySize = 4;
    if (headerSize == CoreHeaderSize) {
        width = f.U16(18);
        height = f.U16(20);
        planes = f.U16(22);
        layout.Bpp = f.U16(24);
        paletteEntrySize = 3;
        if (layout.Bpp != 1 && layout.Bpp != 4 && layout.Bpp != 8 && layout.Bpp != 24)
            Refuse();
    } else {
        width = f.I32(18);
        height = f.I32(22);
        planes = f.U16(26);
        layout.Bpp = f.U16(28);
        layout.Compression = f.U32(30);
        layout.XPelsPerMeter = f.I32(38);
        layout.YPelsPerMeter = f.I32(42);
        colorsUsed = f.U32(46);
    }
    if (planes != 1 || !DepthFits(layout.Bpp, layout.Compression))
        Refuse();
    const bool rle = layout.Compression == bcRLE8 || layout.Compression == bcRLE4;
    layout.TopDown = height < 0;
    height = layout.TopDown ? -height : height;
    if ((layout.TopDown && rle) || !TDibImage::SizeAcceptable(width, height))
        Refuse();
    layout.Width = static_cast<int>(width);
    layout.Height = static_cast<int>(height);

    std::uint64_t pos = FileHeaderSize + headerSize;
    if (layout.Compression == bcBitFields || layout.Compression == bcAlphaBitFields) {
        // A 40-byte header is followed by the masks; the longer headers carry them inside.
        std::size_t at = FileHeaderSize + InfoHeaderSize;
        if (headerSize == InfoHeaderSize)
            pos += layout.Compression == bcAlphaBitFields ? 16 : 12;
        layout.Masks = { f.U32(at), f.U32(at + 4), f.U32(at + 8) };
    } else if (layout.Bpp == 16) {
        layout.Masks = { 0x7C00, 0x03E0, 0x001F };
    }
    if (layout.Bpp == 16) {
        // A mask reaching past the 16 bits of a pixel names bits that do not exist.
        const std::uint32_t all = layout.Masks.Red | layout.Masks.Green | layout.Masks.Blue;
        if (all > 0xFFFF)
            Refuse();
    }

    if (layout.Bpp <= 8) {
        const std::uint32_t addressable = 1u << layout.Bpp;
        if (colorsUsed > 256)
            Refuse();
        const std::uint32_t count = colorsUsed == 0 ? addressable : std::min(colorsUsed, addressable);
        if (!f.Holds(pos, std::uint64_t { count } * paletteEntrySize))
            Refuse();
        layout.Palette.resize(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = file.data() + pos + i * paletteEntrySize;
            layout.Palette[i] = (std::uint32_t { e[2] } << 16) | (std::uint32_t { e[1] } << 8) | e[0];
        }
        pos += std::uint64_t { count } * paletteEntrySize;
    }
    if (offBits < pos || offBits > file.size())
        Refuse();

    const std::span<const std::uint8_t> data = file.subspan(offBits);
    const int outBpp = layout.Bpp == 16 ? 24 : layout.Bpp;
    const std::uint64_t fileStride = TDibImage::StrideFor(layout.Width, layout.Bpp);
    if (!rle && fileStride * static_cast<std::uint64_t>(layout.Height) > data.size())
        Refuse();

    TDibImage image;
    image.Allocate(layout.Width, layout.Height, outBpp);
    image.Palette = std::move(layout.Palette);
    image.XPelsPerMeter = layout.XPelsPerMeter;
    image.YPelsPerMeter = layout.YPelsPerMeter;
    if (rle)
        DecodeRle(data, layout.Compression == bcRLE4, image);
    else if (layout.Bpp <= 8)
        DecodeIndexedRows(data, layout, image);
    else
        DecodeRgbRows(data, fileStride, layout, image);
    return image;
}

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    Put16(out, at, v);
    Put16(out, at + 2, v >> 16);
}

} // namespace

std::vector<std::uint8_t> WriteBmp(const TDibImage& image)
{
    assert(TDibImage::ValidDepth(image.BitsPerPixel));
    assert(!image.Empty());
    assert(image.Bits.size() >= image.Stride() * static_cast<std::size_t>(image.Height));
    assert(image.BitsPerPixel > 8 || (!image.Palette.empty() && image.Palette.size() <= (1u << image.BitsPerPixel)));
    assert(image.Palette.size() <= 256);

    const std::size_t stride = image.Stride();
    const std::size_t imageSize = stride * static_cast<std::size_t>(image.Height);
    const std::size_t offBits = FileHeaderSize + InfoHeaderSize + image.Palette.size() * 4;
    std::vector<std::uint8_t> out(offBits + imageSize, 0);

    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, static_cast<std::uint32_t>(offBits));
    Put32(out, 14, InfoHeaderSize);
    Put32(out, 18, static_cast<std::uint32_t>(image.Width));
    Put32(out, 22, static_cast<std::uint32_t>(image.Height));
    Put16(out, 26, 1);
    Put16(out, 28, static_cast<std::uint32_t>(image.BitsPerPixel));
    Put32(out, 30, bcRGB);
    Put32(out, 34, static_cast<std::uint32_t>(imageSize));
    Put32(out, 38, static_cast<std::uint32_t>(image.XPelsPerMeter));
    Put32(out, 42, static_cast<std::uint32_t>(image.YPelsPerMeter));
    Put32(out, 46, static_cast<std::uint32_t>(image.Palette.size()));
    Put32(out, 50, 0);

    std::size_t at = FileHeaderSize + InfoHeaderSize;
    for (std::uint32_t word : image.Palette) {
        Put32(out, at, word & 0xFFFFFF); // B, G, R, 0
        at += 4;
    }
    for (int y = 0; y < image.Height; ++y)
        std::memcpy(out.data() + offBits + static_cast<std::size_t>(image.Height - 1 - y) * stride, image.Row(y), stride);
    return out;
}
