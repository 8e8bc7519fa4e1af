#include "platform/display/x11/PixelLayout.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <initializer_list>

namespace {

struct TChannel {
    int Shift; // position of the mask's lowest bit
    int Bits; // width of the mask
};

TChannel ChannelOf(std::uint32_t mask)
{
    return { std::countr_zero(mask), std::popcount(mask) };
}

bool Contiguous(std::uint32_t mask)
{
    if (mask == 0)
        return false;
    std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// An 8-bit channel value scaled to a channel of the given width.
std::uint32_t Scale(std::uint32_t value, int bits)
{
    if (bits <= 8)
        return value >> (8 - bits);
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < bits) {
        int take = bits - filled < 8 ? bits - filled : 8;
        out = (out << take) | (value >> (8 - take));
        filled += take;
    }
    return out;
}

} // namespace

bool TPixelLayout::Supported() const
{
    if (BytesPerPixel < 2 || BytesPerPixel > 4)
        return false;
    std::uint32_t room = BytesPerPixel == 4 ? 0xFFFFFFFFu : (1u << (8 * BytesPerPixel)) - 1;
    for (std::uint32_t m : { RedMask, GreenMask, BlueMask })
        if (!Contiguous(m) || (m & ~room) != 0)
            return false;
    return (RedMask & GreenMask) == 0 && (RedMask & BlueMask) == 0 && (GreenMask & BlueMask) == 0;
}

bool TPixelLayout::IsPixelWord() const
{
    return BytesPerPixel == 4 && !MsbFirst && RedMask == 0xFF0000 && GreenMask == 0x00FF00 && BlueMask == 0x0000FF;
}

void PackPixelRow(const std::uint8_t* src, int width, const TPixelLayout& layout, std::uint8_t* dst)
{
    assert(layout.Supported());
    if (width <= 0)
        return;
    if (layout.IsPixelWord()) {
        std::memcpy(dst, src, static_cast<std::size_t>(width) * 4);
        return;
    }
    const TChannel r = ChannelOf(layout.RedMask), g = ChannelOf(layout.GreenMask), b = ChannelOf(layout.BlueMask);
    const int n = layout.BytesPerPixel;
    for (int x = 0; x < width; ++x, src += 4, dst += n) {
        std::uint32_t pixel = (Scale(src[2], r.Bits) << r.Shift) | (Scale(src[1], g.Bits) << g.Shift) | (Scale(src[0], b.Bits) << b.Shift);
        for (int i = 0; i < n; ++i) {
            int byte = layout.MsbFirst ? n - 1 - i : i;
            dst[i] = static_cast<std::uint8_t>(pixel >> (8 * byte));
        }
    }
}
