// Any bytes given to the JPEG decoder either are refused with the platform's JPEG or bitmap error,
// or give areas of exactly the requested, clipped size; when the picture is small enough to decode
// whole, every area must equal the same place of the full decode.

#include "fuzz/Finding.h"
#include "platform/base/Exception.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/Picture.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Full decodes only up to this many pixels, so that a header claiming a huge picture costs no
// more than the areas asked of it.
constexpr std::int64_t MaxFullDecodePixels = 1024 * 1024;

// The areas asked for: a few derived from the last bytes of the input (which the fuzzer mutates
// like any others), together with empty, outside and overflowing ones. Once clipped, none is
// larger than 510 x 510 pixels or a full-width strip of 24 rows, except the whole picture when
// that is small.
std::vector<TRect> AreasFor(const std::uint8_t* data, std::size_t size, int width, int height, bool small)
{
    std::array<std::uint8_t, 12> t {};
    for (std::size_t i = 0; i < t.size() && i < size; ++i)
        t[i] = data[size - 1 - i];
    const auto pick = [](std::uint8_t b, int extent) {
        return static_cast<int>(static_cast<std::int64_t>(b) * (extent + 32) / 256) - 16;
    };
    const int left = pick(t[0], width);
    const int top = pick(t[1], height);
    std::vector<TRect> areas {
        Rect(INT_MIN, INT_MIN, 1 + t[10] % 40, 1 + t[11] % 40), // never empty
        Bounds(left, top, t[2] % 97, t[3] % 97),
        Bounds(pick(t[4], width), pick(t[5], height), 2 * t[6], 2 * t[7]),
        Rect(0, top, width, top + 1 + t[8] % 24), // full width: rows go straight into the image
        Rect(left, top, left, top + 10), // empty
        Rect(width + t[9], 0, width + t[9] + 10, 10), // right of the picture
        Rect(-20, -20, -(t[10] % 20), 5), // left of and above it
        Rect(width - 1 - t[11] % 40, height - 1 - t[9] % 40, INT_MAX, INT_MAX),
    };
    if (small)
        areas.push_back(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    return areas;
}

bool SamePixels(const TDibImage& part, const TDibImage& full, const TRect& at)
{
    for (int y = 0; y < at.Height(); ++y)
        if (std::memcmp(part.Row(y), full.Row(at.Top + y) + static_cast<std::size_t>(at.Left) * 3,
                static_cast<std::size_t>(at.Width()) * 3)
            != 0)
            return false;
    return true;
}

void CheckShape(const TDibImage& image, const TRect& clipped)
{
    if (clipped.IsEmpty()) {
        Require(image.Empty() && image.Bits.empty(), "an area outside the picture gives an empty image");
        return;
    }
    Require(image.Width == clipped.Width() && image.Height == clipped.Height(), "area image has the clipped size");
    Require(image.BitsPerPixel == 24, "area image is 24 bits");
    Require(image.Bits.size() == image.Stride() * static_cast<std::size_t>(image.Height), "area image rows");
}

void CheckGray(const TDibImage& image)
{
    for (int y = 0; y < image.Height; ++y) {
        const std::uint8_t* p = image.Row(y);
        for (int x = 0; x < image.Width; ++x, p += 3)
            Require(p[0] == p[1] && p[1] == p[2], "grayscale comes out as three equal channels");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::optional<TJpegDecoder> decoder;
    try {
        decoder.emplace(std::vector<std::uint8_t>(data, data + size));
    } catch (const EJPEG&) {
        return 0;
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    const int width = decoder->Width();
    const int height = decoder->Height();
    Require(TDibImage::SizeAcceptable(width, height), "accepted size within the platform's limits");
    const bool gray = decoder->JpegColorSpace() == jcsGrayscale;
    const bool small = std::int64_t { width } * height <= MaxFullDecodePixels;

    std::optional<TDibImage> full;
    if (small) {
        try {
            full = decoder->DecodeAll();
        } catch (const EJPEG&) {
        } catch (const EInvalidGraphic&) {
        }
        if (full) {
            CheckShape(*full, Rect(0, 0, width, height));
            if (gray)
                CheckGray(*full);
        }
    }

    std::vector<TRect> areas = AreasFor(data, size, width, height, small);
    // A large progressive picture is read whole for every area; two areas show as much as eight.
    if (!small && decoder->Progressive())
        areas.resize(2);
    for (const TRect& area : areas) {
        const TRect clipped = area.Intersected(Rect(0, 0, width, height));
        TDibImage part;
        try {
            part = decoder->Decode(area);
        } catch (const EJPEG&) {
            Require(!full, "an area of a picture that decodes whole fails");
            continue;
        } catch (const EInvalidGraphic&) {
            // Refusing a file past the decoder's limits does not depend on the area.
            Require(!full, "an area of a picture that decodes whole is refused");
            break;
        }
        CheckShape(part, clipped);
        if (full && !clipped.IsEmpty())
            Require(SamePixels(part, *full, clipped), "area differs from the same place of the full decode");
        if (gray)
            CheckGray(part);
    }

    // The same data through the picture object the program draws with: its size comes from the
    // header alone, and a draw that shows part of it decodes only that part, with the pixels a
    // full decode gives there.
    TJPEGImage image;
    try {
        image.LoadFromBytes(std::span<const std::uint8_t>(data, size));
    } catch (const Exception&) {
        Finding("the picture object refuses data the decoder read");
    }
    Require(image.Width() == width && image.Height() == height, "the picture object's size is the header's");
    const TRect shown = areas.empty() ? TRect {} : areas.front().Intersected(Rect(0, 0, width, height));
    if (!shown.IsEmpty() && shown.Width() <= 1024 && shown.Height() <= 1024) {
        TBitmap target;
        target.SetSize(shown.Width(), shown.Height());
        bool drawn = true;
        try {
            target.Canvas().Draw(-shown.Left, -shown.Top, image);
        } catch (const EJPEG&) {
            drawn = false;
        } catch (const EInvalidGraphic&) {
            drawn = false;
        }
        Require(drawn || !full, "a cropped draw of a picture that decodes whole fails");
        if (drawn && full)
            for (int y = 0; y < shown.Height(); ++y)
                for (int x = 0; x < shown.Width(); ++x)
                    Require(target.Image().GetPixelWord(x, y) == full->GetPixelWord(shown.Left + x, shown.Top + y),
                        "a cropped draw differs from the full decode");
    }
    return 0;
}
