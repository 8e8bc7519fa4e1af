#pragma once
// The JPEG reader and writer of the platform, over libjpeg.
//
// TJpegDecoder keeps its own copy of the compressed bytes and reads the header when it is
// constructed, so the picture's size and kind are known before any pixel is decoded. Every
// Decode runs a fresh decompressor over the kept bytes with libjpeg's default decompression
// parameters, so the decoder can be asked for several areas, each decoded on its own. Pixels come
// out as 24-bit TDibImage rows (blue, green, red; top row first) whatever the file's colour space:
// grayscale is expanded to three equal channels, and CMYK or YCCK becomes R = C * K / 255,
// G = M * K / 255, B = Y * K / 255 (rounded) on inverted values (255 = no ink), which is how files
// with an Adobe marker store them; plain CMYK is inverted first. A libjpeg failure is thrown as
// EJPEG with the library's message number; a header claiming a picture larger than TDibImage holds
// is refused with EInvalidGraphic before anything is allocated. Warnings (corrupt or missing data)
// are not failures: libjpeg fills in what is missing and nothing is printed. Nothing in here ever
// ends the process. An area read of a sequential file decodes only down to the area's last row;
// a progressive file is always read whole, since libjpeg buffers its coefficients for the whole
// picture before the first row comes out. That buffer bounds what such a file (progressive, or
// sequential with one scan per component) may claim: one needing more than 512 MiB of
// coefficients is refused with EInvalidGraphic when constructed, and so is, when decoded, one
// sending more scans than 2^26 divided by its blocks of 8 x 8 samples (16 are always allowed).

#include "platform/graphics/DibImage.h"
#include "platform/graphics/Types.h"

#include <cstdint>
#include <vector>

// The colour space the file declares (what libjpeg derives from its markers).
enum TJpegColorSpace { jcsUnknown, jcsGrayscale, jcsRGB, jcsYCbCr, jcsCMYK, jcsYCCK };

class TJpegDecoder {
public:
    // Throws EJPEG when the header cannot be read, EInvalidGraphic when its size is unacceptable.
    explicit TJpegDecoder(std::vector<std::uint8_t> data);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Components() const { return FComponents; }
    TJpegColorSpace JpegColorSpace() const { return FColorSpace; }
    bool Progressive() const { return FProgressive; }
    // True when the file carries an Adobe marker (its CMYK values are then stored inverted).
    bool SawAdobeMarker() const { return FSawAdobeMarker; }

    // The pixels inside area, clipped to the picture, as a 24-bit image of the clipped size; an
    // area outside the picture gives an empty image. The pixels are exactly those DecodeAll gives
    // at the same places; only the rows down to the area's bottom are decoded.
    TDibImage Decode(const TRect& area) const;
    TDibImage DecodeAll() const;

private:
    std::vector<std::uint8_t> FData;
    int FWidth = 0;
    int FHeight = 0;
    int FComponents = 0;
    TJpegColorSpace FColorSpace = jcsUnknown;
    bool FProgressive = false;
    bool FSawAdobeMarker = false;
};

// Compresses an image of any depth as a baseline colour JFIF file: 3 RGB components, libjpeg's
// defaults with the floating-point DCT and baseline-limited tables at the given quality (0..100).
// Throws EJPEG on a library failure (an empty image is one).
std::vector<std::uint8_t> EncodeJpeg(const TDibImage& image, int quality);
