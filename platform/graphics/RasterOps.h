#pragma once
// The system's block transfers on device contexts: BitBlt, StretchBlt and PatBlt with ternary
// raster operations, and the row-level painting that the canvas shares with them.
//
// A raster operation code carries its 8-bit truth table in bits 16-23: bit (P*4 + S*2 + D) of
// that byte is the result for pattern bit P, source bit S and destination bit D. Every operation
// applies the table to each of the 24 colour bits of a pixel, so any code works, not only the
// named ones. P is the destination context's BrushColor.
//
// Depths meet as the system has them meet:
//   - a 1-bit source on a colour destination gives TextColor for its 0 bits and BkColor for its 1
//     bits (the destination context's colours);
//   - a colour source on a 1-bit destination gives 1 where the pixel equals the SOURCE context's
//     BkColor and 0 elsewhere; the brush becomes the bit of its nearest palette entry, and the
//     operation works on the bits;
//   - 4- and 8-bit pixels are read through their palette; results written to a 4- or 8-bit
//     destination take the nearest palette entry.
//
// Coordinates are logical: each context's Origin applies. Writes are limited to the destination
// clip; reads to the source surface (its SourceSurface(), so a window context reads what the
// window shows). Pixels whose sample falls outside the source are left alone. Source and
// destination may be the same surface and may overlap. Stretching samples the nearest source
// pixel and never blends: destination column dx (counted from the destination rectangle's left
// edge) takes source column sx + floor(dx * sw / w), and rows alike. Extents that are zero or
// negative transfer nothing (PatBlt alone turns a negative extent around, as the system does).
// Each call reports the change to the destination once (TDeviceContext::Changed).

#include "platform/graphics/DeviceContext.h"

#include <cstdint>
#include <span>

constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t SRCERASE = 0x00440328;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
constexpr std::uint32_t MERGECOPY = 0x00C000CA;
constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t PATPAINT = 0x00FB0A09;
constexpr std::uint32_t PATINVERT = 0x005A0049;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// The truth-table byte of a raster operation code.
constexpr std::uint8_t RopIndex(std::uint32_t rop) { return static_cast<std::uint8_t>((rop >> 16) & 0xFF); }
// Whether the result depends on the source (S), the pattern (P) or the destination (D).
constexpr bool RopIndexUsesSource(std::uint8_t index) { return (((index >> 2) ^ index) & 0x33) != 0; }
constexpr bool RopIndexUsesPattern(std::uint8_t index) { return (((index >> 4) ^ index) & 0x0F) != 0; }
constexpr bool RopIndexUsesDest(std::uint8_t index) { return (((index >> 1) ^ index) & 0x55) != 0; }

// Returns false when a context is missing: no destination, or no source for an operation that
// reads one.
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop);
bool PatBlt(HDC dest, int x, int y, int w, int h, std::uint32_t rop);

// How the canvas draws pictures: every depth is read through its palette (a 1-bit picture shows
// its own two colours, not the context's text and background colours), results go to a palette
// destination as its nearest entry, and with Transparent the source pixels whose colour equals
// TransparentColor (a plain 0x00BBGGRR colour) are left out; the others are copied.
struct TBlitOptions {
    bool PaletteColours = false;
    bool Transparent = false;
    TColor TransparentColor = 0;
};
bool StretchBltEx(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, std::uint32_t rop,
    const TBlitOptions& options);

// Row-level painting for pens and brushes: applies a raster operation that reads only P and D
// (P = color) to spans of one row each, in surface coordinates; each span is limited to the
// context's clip. Works on colours (nearest palette entry on palette surfaces). The caller reports
// the change.
struct TSurfaceSpan {
    int Y = 0;
    int Left = 0;
    int Right = 0; // exclusive
};
void PaintSurfaceSpans(TDeviceContext& dc, std::span<const TSurfaceSpan> spans, TColor color, std::uint8_t ropIndex);
void PaintSurfaceRect(TDeviceContext& dc, const TRect& surfaceRect, TColor color, std::uint8_t ropIndex);
