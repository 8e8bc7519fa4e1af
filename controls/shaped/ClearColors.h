#pragma once
// Colour arithmetic of the ClearCtrl kit: the lightened hot look, the darker pressed ring, the grey
// disabled look, and reading a pixel of a 24-bit row as a colour for comparison with a key colour.
// Channels are clamped, never wrapped; system colours are resolved to their current value first.

#include "platform/graphics/Colors.h"

#include <cstdint>

// Each channel raised by n, at most 255.
TColor LightenColor(TColor color, int n);
// Each channel lowered by n, at least 0.
TColor DarkenColor(TColor color, int n);
// The channels' mean (truncated), held within 128..192, in all three channels.
TColor GrayColor(TColor color);

// The pixel whose three bytes (blue, green, red, as 24-bit rows store them) start at p, as 0x00BBGGRR.
constexpr TColor ScanPixelColor(const std::uint8_t* p)
{
    return (TColor { p[0] } << 16) | (TColor { p[1] } << 8) | TColor { p[2] };
}
