#pragma once
// The launcher's icon drawn from a crest bitmap: the key colour (magenta) becomes transparent and
// the picture is scaled to a square icon size by area averaging, so that the ring and the mark
// keep smooth, partly transparent edges at 48 pixels as well as at 256.

#include "platform/graphics/DibImage.h"

#include <cstdint>
#include <vector>

constexpr std::uint32_t IconKeyColour = 0xFF00FF; // pixel word

// size x size pixels as rows of R, G, B, A bytes. Each icon pixel covers its share of the crest;
// its alpha is the part of that share that is not the key colour, its colour the average of those
// crest pixels. The crest must not be empty and size must be positive.
std::vector<std::uint8_t> CrestIcon(const TDibImage& crest, int size);
