#pragma once
// TBitmap: a picture held as pixels in a TDibImage, with a canvas that draws into them.
//
// Forms. A new bitmap is a device-dependent bitmap (HandleType bmDDB) in the display's native
// form: PixelFormat pfDevice, held as 32 bits per pixel (pixel words 0x00RRGGBB). Setting any
// other PixelFormat makes it a device-independent bitmap (bmDIB) of that depth: 1, 4, 8, 24 and 32
// bits are held as such; pf15bit and pf16bit are held (and then reported) as pf24bit. Setting
// HandleType to bmDDB is setting pfDevice; setting bmDIB on a DDB keeps its pixels as pf32bit.
// Setting the form it already has changes nothing and reports nothing.
//
// Conversion keeps the picture. Going up is exact (an indexed picture keeps its palette when it
// goes to a deeper indexed form). Going down to 1, 4 or 8 bits maps every pixel to the nearest
// entry of the palette: the bitmap's own when it has one that the new depth can address, else the
// default palette of that depth (DefaultPalette). 24- and 32-bit forms hold no palette after a
// conversion; one set with SetPalette is kept there for a later reduction.
//
// Size. A new size keeps the old pixels at the top left; new pixels are 0 (black, or palette
// index 0). A side of 0 or less leaves no pixels (the bitmap is Empty; the other side is kept as
// given). Sizes that TDibImage cannot hold throw EOutOfResources.
//
// Transparency. TransparentColor is, as the system reports it, ORed with 0x02000000: in tmAuto
// (the default, TransparentColor clDefault) the colour of the bottom-left pixel, in tmFixed the
// colour set, resolved; clients mask it with 0x00FFFFFF. Setting a colour sets tmFixed (clDefault
// sets tmAuto back). A Transparent bitmap draws every pixel but those whose colour equals the
// transparent colour resolved and masked to 24 bits.
//
// Changes. OnChange fires once for every change made through the bitmap or its canvas: size,
// form, palette, transparency settings, assignment, each canvas primitive and each raw raster
// call on the canvas's Handle(). Reading pixels, ScanLine and Image() report nothing; whoever
// writes through them calls SetModified(true) afterwards.
//
// Ownership. The bitmap owns its pixels, its device context and its canvas (created on first
// use; it always draws on this bitmap's own context). Assign copies another bitmap deeply.

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/DibImage.h"
#include "platform/graphics/Graphic.h"

#include <cstdint>
#include <memory>
#include <vector>

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

// The palette (pixel words) a picture reduced to bpp bits gets when it has none that fits:
// 1 bit black and white; 4 bits the 16 VGA colours in the system's order (black, maroon, green,
// olive, navy, purple, teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white); 8 bits
// the 6 x 6 x 6 cube of the levels 0, 51, ..., 255 (index 36 r + 6 g + b, so index 0 is black
// and 215 white) followed by 40 greys between the cube's own, (k * 255 + 20) / 41 for k = 1..40.
std::vector<std::uint32_t> DefaultPalette(int bpp);

class TCanvas;

class TBitmap : public TGraphic {
    PK_CLASS(TBitmap)
public:
    TBitmap();
    ~TBitmap() override;

    // Another bitmap: a deep copy of pixels, palette, form and transparency. Null: empty.
    void Assign(const TPersistent* Source) override;

    bool Empty() const override { return FImage.Width <= 0 || FImage.Height <= 0; }
    int Width() const override { return FImage.Width; }
    int Height() const override { return FImage.Height; }
    void SetWidth(int width) override { SetSize(width, FImage.Height); }
    void SetHeight(int height) override { SetSize(FImage.Width, height); }
    // Windows bitmap file data: read with the platform's own reader (EInvalidGraphic for anything
    // malformed), written as an uncompressed file of the bitmap's depth.
    void LoadFromBytes(std::span<const std::uint8_t> data) override;
    std::vector<std::uint8_t> SaveToBytes() const override;
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType type);

    const std::vector<std::uint32_t>& Palette() const { return FImage.Palette; }
    // At most 2^bpp entries on an indexed form.
    void SetPalette(std::vector<std::uint32_t> palette);

    // Row y from the top, laid out as TDibImage describes; y must lie within the picture.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    TDibImage& Image() { return FImage; }
    const TDibImage& Image() const { return FImage; }
    // Takes over a decoded picture: a DIB of the image's depth (an image with an unknown depth
    // or too few bytes is a programmer error).
    void SetImage(TDibImage&& image);

    TCanvas& Canvas();

    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentColor == clDefault ? tmAuto : tmFixed; }
    void SetTransparentMode(TTransparentMode mode);

    void Draw(TCanvas& canvas, const TRect& rect) override;

private:
    friend class TBitmapCanvas;
    void ReplaceImage(TDibImage&& image);
    TDibImage Converted(int bpp) const;

    TDibImage FImage;
    TBitmapHandleType FHandleType = bmDDB;
    TColor FTransparentColor = clDefault;
    TDeviceContext FContext;
    std::unique_ptr<TCanvas> FCanvas;
};
