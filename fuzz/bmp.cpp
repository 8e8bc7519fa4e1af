// Any bytes given to the bitmap reader either come back as a well-formed image that survives a
// write and a second read unchanged, or are refused with the platform's bitmap error.

#include "fuzz/Finding.h"
#include "platform/base/Exception.h"
#include "platform/graphics/BmpCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// Run-length files may claim pictures far larger than themselves; rewriting those costs time and
// memory without reaching code the small ones do not.
constexpr std::size_t MaxRoundTripBytes = std::size_t { 16 } << 20;

bool SameImage(const TDibImage& a, const TDibImage& b)
{
    return a.Width == b.Width && a.Height == b.Height && a.BitsPerPixel == b.BitsPerPixel
        && a.Palette == b.Palette && a.Bits == b.Bits && a.XPelsPerMeter == b.XPelsPerMeter
        && a.YPelsPerMeter == b.YPelsPerMeter;
}

void CheckWellFormed(const TDibImage& image)
{
    Require(TDibImage::ValidDepth(image.BitsPerPixel), "image depth");
    Require(TDibImage::SizeAcceptable(image.Width, image.Height), "image size within the platform's limits");
    Require(image.Bits.size() == image.Stride() * static_cast<std::size_t>(image.Height), "row storage");
    if (image.BitsPerPixel <= 8)
        Require(!image.Palette.empty() && image.Palette.size() <= (std::size_t { 1 } << image.BitsPerPixel),
            "palette fits the depth");
    else
        Require(image.Palette.empty(), "no palette above 8 bits");
    for (std::uint32_t word : image.Palette)
        Require(word <= 0xFFFFFF, "palette entries are pixel words");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const AnsiString invalidText = EInvalidGraphic().Message();
    TDibImage image;
    try {
        image = ReadBmp(std::span(data, size));
    } catch (const EInvalidGraphic& e) {
        Require(e.Message() == invalidText, "the refusal carries the bitmap error text");
        return 0;
    }
    CheckWellFormed(image);
    if (image.Bits.size() > MaxRoundTripBytes)
        return 0;

    const std::vector<std::uint8_t> written = WriteBmp(image);
    TDibImage again;
    try {
        again = ReadBmp(written);
    } catch (const EInvalidGraphic&) {
        Finding("a written bitmap is refused when read back");
    }
    Require(SameImage(image, again), "round trip changes the image");
    return 0;
}
