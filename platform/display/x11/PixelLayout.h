#pragma once
// TPixelLayout: how an X TrueColor visual stores one pixel of an image row, and the conversion of
// the window system's pixel words (0x00RRGGBB, stored as the bytes B, G, R, 0) into it.
//
// A layout is three channel masks, the bytes a pixel takes (2, 3 or 4) and the byte order of those
// bytes. The common 24-bit visual with 32-bit pixels, masks 0xFF0000/0xFF00/0xFF and the least
// significant byte first is the pixel word itself, so its rows are copied as they are; any other
// layout places each channel under its mask, dropping low bits of a narrower channel and
// repeating high bits into a wider one.

#include <cstdint>

struct TPixelLayout {
    std::uint32_t RedMask = 0xFF0000;
    std::uint32_t GreenMask = 0x00FF00;
    std::uint32_t BlueMask = 0x0000FF;
    int BytesPerPixel = 4;
    bool MsbFirst = false;

    // True when the masks are contiguous, non-empty, fit the pixel and the size is 2, 3 or 4.
    bool Supported() const;
    // True when a row of pixel words is already a row of this layout.
    bool IsPixelWord() const;
};

// Writes width pixels of a 32-bit row (src) into dst in the given layout (dst holds at least
// width * layout.BytesPerPixel bytes). The layout must be Supported().
void PackPixelRow(const std::uint8_t* src, int width, const TPixelLayout& layout, std::uint8_t* dst);
