#pragma once
// Screenshots: a picture written as an 8-bit RGB PNG file through libpng; and pictures with
// transparency (icons) written as 8-bit RGBA.

#include "platform/base/Strings.h"
#include "platform/graphics/DibImage.h"

#include <cstdint>
#include <span>

// Writes the image (any depth) as a PNG file; false when the file cannot be written.
bool WritePng(const TDibImage& image, const AnsiString& path);

// Writes width x height pixels given as rows of bytes R, G, B, A (top row first, no padding) as
// an RGBA PNG file; false when the file cannot be written. rgba must hold exactly
// width * height * 4 bytes and both sides must be positive.
bool WritePngRgba(int width, int height, std::span<const std::uint8_t> rgba, const AnsiString& path);
