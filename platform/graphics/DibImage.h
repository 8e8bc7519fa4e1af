#pragma once
// TDibImage: the pixel store behind every bitmap, the codecs' common currency.
//
//   Bits:  Height rows, top row first, each Stride() bytes (rows padded to 4 bytes).
//   1, 4, 8 bits:  palette indices, most significant bits first within a byte;
//                  Palette holds the colours as pixel words 0x00RRGGBB.
//   24 bits:       three bytes per pixel in the order blue, green, red.
//   32 bits:       one little-endian pixel word 0x00RRGGBB per pixel (bytes B, G, R, 0).
//
// Sizes are checked against the limits below before any memory is taken, so that a file header
// that claims an absurd picture is refused instead of exhausting memory.

#include <cstddef>
#include <cstdint>
#include <vector>

// The largest picture the platform holds: each side at most 65535 pixels and at most
// 128 Mi pixels in all (512 MiB at 32 bits per pixel).
constexpr int MaxImageDimension = 65535;
constexpr std::int64_t MaxImagePixels = std::int64_t { 1 } << 27;

struct TDibImage {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 24; // 1, 4, 8, 24 or 32
    std::vector<std::uint32_t> Palette; // pixel words 0x00RRGGBB, for 1, 4 and 8 bits
    std::vector<std::uint8_t> Bits;
    int XPelsPerMeter = 0;
    int YPelsPerMeter = 0;

    static bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }
    // True when a picture of that size can be held (both sides > 0 and within the limits).
    static bool SizeAcceptable(std::int64_t width, std::int64_t height)
    {
        return width > 0 && height > 0 && width <= MaxImageDimension && height <= MaxImageDimension
            && width * height <= MaxImagePixels;
    }
    static std::size_t StrideFor(int width, int bpp)
    {
        return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 31) / 32) * 4;
    }

    std::size_t Stride() const { return StrideFor(Width, BitsPerPixel); }
    bool Empty() const { return Width <= 0 || Height <= 0; }
    std::uint8_t* Row(int y) { return Bits.data() + static_cast<std::size_t>(y) * Stride(); }
    const std::uint8_t* Row(int y) const { return Bits.data() + static_cast<std::size_t>(y) * Stride(); }

    // Allocates zeroed rows for the given size and depth (the palette is left as it is).
    // The caller checks SizeAcceptable first; an unacceptable size yields an empty image.
    void Allocate(int width, int height, int bpp)
    {
        BitsPerPixel = bpp;
        if (!SizeAcceptable(width, height)) {
            Width = Height = 0;
            Bits.clear();
            return;
        }
        Width = width;
        Height = height;
        Bits.assign(Stride() * static_cast<std::size_t>(height), 0);
    }

    // The pixel word 0x00RRGGBB of a pixel (palette looked up; an index past the palette is black).
    std::uint32_t GetPixelWord(int x, int y) const
    {
        const std::uint8_t* row = Row(y);
        switch (BitsPerPixel) {
        case 1:
            return PaletteWord((row[x >> 3] >> (7 - (x & 7))) & 1);
        case 4:
            return PaletteWord((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
        case 8:
            return PaletteWord(row[x]);
        case 24: {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            return (std::uint32_t { p[2] } << 16) | (std::uint32_t { p[1] } << 8) | p[0];
        }
        default: {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
            return (std::uint32_t { p[2] } << 16) | (std::uint32_t { p[1] } << 8) | p[0];
        }
        }
    }

    // Writes a pixel word; for palette depths the nearest palette entry is stored.
    void SetPixelWord(int x, int y, std::uint32_t word)
    {
        std::uint8_t* row = Row(y);
        switch (BitsPerPixel) {
        case 1: {
            unsigned bit = 7 - static_cast<unsigned>(x & 7);
            row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1u << bit)) | (NearestIndex(word) << bit));
            break;
        }
        case 4: {
            unsigned shift = (x & 1) ? 0 : 4;
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(15u << shift)) | (NearestIndex(word) << shift));
            break;
        }
        case 8:
            row[x] = static_cast<std::uint8_t>(NearestIndex(word));
            break;
        case 24: {
            std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>(word);
            p[1] = static_cast<std::uint8_t>(word >> 8);
            p[2] = static_cast<std::uint8_t>(word >> 16);
            break;
        }
        default: {
            std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
            p[0] = static_cast<std::uint8_t>(word);
            p[1] = static_cast<std::uint8_t>(word >> 8);
            p[2] = static_cast<std::uint8_t>(word >> 16);
            p[3] = 0;
            break;
        }
        }
    }

    std::uint32_t PaletteWord(unsigned index) const { return index < Palette.size() ? (Palette[index] & 0xFFFFFF) : 0; }

    // The palette entry closest to a pixel word (squared distance; the first of equals wins).
    unsigned NearestIndex(std::uint32_t word) const
    {
        unsigned best = 0;
        long bestDistance = -1;
        for (unsigned i = 0; i < Palette.size(); ++i) {
            std::uint32_t p = Palette[i];
            long dr = static_cast<long>((p >> 16) & 0xFF) - static_cast<long>((word >> 16) & 0xFF);
            long dg = static_cast<long>((p >> 8) & 0xFF) - static_cast<long>((word >> 8) & 0xFF);
            long db = static_cast<long>(p & 0xFF) - static_cast<long>(word & 0xFF);
            long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
                if (d == 0)
                    break;
            }
        }
        return best;
    }
};
