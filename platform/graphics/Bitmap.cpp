#include "platform/graphics/Bitmap.h"

#include "platform/graphics/BmpCodec.h"

#include "platform/base/CodePage.h"
#include "platform/base/Exception.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/RasterOps.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

PK_CLASS_IMPL(TBitmap, TGraphic, nullptr)

// A bitmap's canvas: whenever it has no context it takes its bitmap's own.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap)
        : FBitmap(bitmap)
    {
    }

protected:
    void CreateHandle() override { SetHandle(&FBitmap.FContext); }

private:
    TBitmap& FBitmap;
};

namespace {

int DepthOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
    case pf24bit:
        return 24;
    default:
        return 32;
    }
}

std::size_t PaletteCapacity(int bpp) { return bpp <= 8 ? std::size_t { 1 } << bpp : 0; }

[[noreturn]] void TooLarge(long long width, long long height)
{
    throw EOutOfResources(IntToStr(width) + " x " + IntToStr(height) + Utf8ToActive(" のビットマップは大きすぎて作成できません"));
}

// Copies the top-left pixels both images share, bit-exact (indices are not remapped).
void CopyTopLeft(const TDibImage& from, TDibImage& to)
{
    int rows = std::min(from.Height, to.Height);
    std::size_t bits = static_cast<std::size_t>(std::min(from.Width, to.Width)) * static_cast<std::size_t>(to.BitsPerPixel);
    std::size_t whole = bits / 8;
    unsigned rest = static_cast<unsigned>(bits % 8);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* s = from.Row(y);
        std::uint8_t* d = to.Row(y);
        std::memcpy(d, s, whole);
        if (rest)
            d[whole] = static_cast<std::uint8_t>(s[whole] & (0xFFu << (8 - rest)));
    }
}

} // namespace

std::vector<std::uint32_t> DefaultPalette(int bpp)
{
    switch (bpp) {
    case 1:
        return { 0x000000, 0xFFFFFF };
    case 4:
        return { 0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
            0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF };
    case 8: {
        std::vector<std::uint32_t> p;
        p.reserve(256);
        for (std::uint32_t r = 0; r < 6; ++r)
            for (std::uint32_t g = 0; g < 6; ++g)
                for (std::uint32_t b = 0; b < 6; ++b)
                    p.push_back((r * 51) << 16 | (g * 51) << 8 | (b * 51));
        for (std::uint32_t k = 1; k <= 40; ++k) {
            std::uint32_t v = (k * 255 + 20) / 41;
            p.push_back(v * 0x010101);
        }
        return p;
    }
    default:
        return {};
    }
}

TBitmap::TBitmap()
    : FContext(&FImage)
{
    FImage.BitsPerPixel = 32;
    FContext.OnChanged = [this] { Changed(this); };
}

TBitmap::~TBitmap() = default;

void TBitmap::LoadFromBytes(std::span<const std::uint8_t> data)
{
    SetImage(ReadBmp(data));
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() const
{
    if (Empty())
        throw EInvalidGraphic();
    return WriteBmp(FImage);
}

void TBitmap::ReplaceImage(TDibImage&& image)
{
    FImage = std::move(image);
    FContext.Surface = &FImage;
    FContext.ResetClip();
}

void TBitmap::Assign(const TPersistent* Source)
{
    if (!Source) {
        TDibImage empty;
        empty.BitsPerPixel = FImage.BitsPerPixel;
        empty.Palette = FImage.Palette;
        ReplaceImage(std::move(empty));
        Changed(this);
        return;
    }
    if (auto* other = dynamic_cast<const TBitmap*>(Source)) {
        if (other == this)
            return;
        TDibImage copy = other->FImage;
        ReplaceImage(std::move(copy));
        FHandleType = other->FHandleType;
        FTransparentColor = other->FTransparentColor;
        StoreTransparent(other->Transparent());
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FImage.Width && height == FImage.Height)
        return;
    if (width > MaxImageDimension || height > MaxImageDimension || (width > 0 && height > 0 && !TDibImage::SizeAcceptable(width, height)))
        TooLarge(width, height);
    TDibImage next;
    next.BitsPerPixel = FImage.BitsPerPixel;
    next.Palette = FImage.Palette;
    next.XPelsPerMeter = FImage.XPelsPerMeter;
    next.YPelsPerMeter = FImage.YPelsPerMeter;
    if (width > 0 && height > 0) {
        try {
            next.Allocate(width, height, next.BitsPerPixel);
        } catch (const std::bad_alloc&) {
            TooLarge(width, height);
        }
        if (!Empty())
            CopyTopLeft(FImage, next);
    } else {
        next.Width = width;
        next.Height = height;
    }
    ReplaceImage(std::move(next));
    Changed(this);
}

TPixelFormat TBitmap::PixelFormat() const
{
    if (FHandleType == bmDDB)
        return pfDevice;
    switch (FImage.BitsPerPixel) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 24:
        return pf24bit;
    case 32:
        return pf32bit;
    default:
        return pfCustom;
    }
}

TDibImage TBitmap::Converted(int bpp) const
{
    TDibImage next;
    next.BitsPerPixel = bpp;
    next.XPelsPerMeter = FImage.XPelsPerMeter;
    next.YPelsPerMeter = FImage.YPelsPerMeter;
    if (bpp <= 8) {
        bool fits = !FImage.Palette.empty() && FImage.Palette.size() <= PaletteCapacity(bpp);
        next.Palette = fits ? FImage.Palette : DefaultPalette(bpp);
    }
    if (Empty()) {
        next.Width = FImage.Width;
        next.Height = FImage.Height;
        return next;
    }
    try {
        next.Allocate(FImage.Width, FImage.Height, bpp);
    } catch (const std::bad_alloc&) {
        TooLarge(FImage.Width, FImage.Height);
    }
    TDeviceContext from(const_cast<TDibImage*>(&FImage));
    TDeviceContext to(&next);
    TBlitOptions options;
    options.PaletteColours = true;
    StretchBltEx(&to, 0, 0, next.Width, next.Height, &from, 0, 0, next.Width, next.Height, SRCCOPY, options);
    return next;
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    assert(format != pfCustom && "pfCustom cannot be set");
    if (format == pfCustom)
        return;
    if (format == pfDevice) {
        if (FHandleType == bmDDB)
            return;
        if (FImage.BitsPerPixel != 32)
            ReplaceImage(Converted(32));
        FHandleType = bmDDB;
        Changed(this);
        return;
    }
    int bpp = DepthOf(format);
    if (FHandleType == bmDIB && FImage.BitsPerPixel == bpp)
        return;
    if (FImage.BitsPerPixel != bpp)
        ReplaceImage(Converted(bpp));
    FHandleType = bmDIB;
    Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType type)
{
    if (type == FHandleType)
        return;
    if (type == bmDDB) {
        SetPixelFormat(pfDevice);
        return;
    }
    FHandleType = bmDIB;
    Changed(this);
}

void TBitmap::SetPalette(std::vector<std::uint32_t> palette)
{
    std::size_t capacity = PaletteCapacity(FImage.BitsPerPixel);
    assert((capacity == 0 || palette.size() <= capacity) && "more palette entries than the depth can address");
    if (capacity && palette.size() > capacity)
        palette.resize(capacity);
    for (std::uint32_t& entry : palette)
        entry &= 0xFFFFFF;
    if (palette == FImage.Palette)
        return;
    FImage.Palette = std::move(palette);
    Changed(this);
}

std::uint8_t* TBitmap::ScanLine(int y)
{
    assert(!Empty() && y >= 0 && y < FImage.Height && "scan line out of range");
    return FImage.Row(y);
}

const std::uint8_t* TBitmap::ScanLine(int y) const
{
    assert(!Empty() && y >= 0 && y < FImage.Height && "scan line out of range");
    return FImage.Row(y);
}

void TBitmap::SetImage(TDibImage&& image)
{
    assert(TDibImage::ValidDepth(image.BitsPerPixel) && "unknown depth");
    if (!TDibImage::ValidDepth(image.BitsPerPixel))
        image.BitsPerPixel = 32;
    std::size_t capacity = PaletteCapacity(image.BitsPerPixel);
    if (capacity && image.Palette.size() > capacity)
        image.Palette.resize(capacity);
    if (image.Empty()) {
        image.Bits.clear();
    } else {
        std::size_t needed = image.Stride() * static_cast<std::size_t>(image.Height);
        assert(image.Bits.size() >= needed && "image holds fewer bytes than its size needs");
        image.Bits.resize(needed);
    }
    ReplaceImage(std::move(image));
    FHandleType = bmDIB;
    Changed(this);
}

TCanvas& TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return *FCanvas;
}

TColor TBitmap::TransparentColor() const
{
    TColor c;
    if (FTransparentColor == clDefault)
        c = Empty() ? CLR_INVALID : PixelWordToColor(FImage.GetPixelWord(0, FImage.Height - 1));
    else
        c = ColorToRGB(FTransparentColor);
    return c | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (color == FTransparentColor)
        return;
    FTransparentColor = color;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == TransparentMode())
        return;
    SetTransparentColor(mode == tmAuto ? clDefault : TransparentColor());
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty())
        return;
    HDC dest = canvas.Handle();
    if (!dest)
        return;
    TDeviceContext source(&FImage);
    TBlitOptions options;
    options.PaletteColours = true;
    std::uint32_t rop = canvas.CopyMode();
    if (Transparent()) {
        options.Transparent = true;
        options.TransparentColor = ColorToRGB(TransparentColor()) & 0xFFFFFF;
        rop = SRCCOPY;
    }
    StretchBltEx(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), &source, 0, 0, FImage.Width, FImage.Height, rop, options);
}
