#pragma once
// Screenshots: a picture written as an 8-bit RGB PNG file through libpng.

#include "platform/base/Strings.h"
#include "platform/graphics/DibImage.h"

// Writes the image (any depth) as a PNG file; false when the file cannot be written.
bool WritePng(const TDibImage& image, const AnsiString& path);
