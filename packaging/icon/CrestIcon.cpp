#include "packaging/icon/CrestIcon.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// The source pixels under one icon pixel along one axis, each with the length it overlaps.
struct TCover {
    int First = 0;
    std::vector<double> Weights;
};

TCover CoverOf(int index, int size, int sourceSize)
{
    double scale = static_cast<double>(sourceSize) / size;
    double from = index * scale, to = (index + 1) * scale;
    TCover c;
    c.First = static_cast<int>(std::floor(from));
    int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(to)) - 1);
    for (int s = c.First; s <= last; ++s)
        c.Weights.push_back(std::min<double>(to, s + 1) - std::max<double>(from, s));
    return c;
}

std::uint8_t ToByte(double v)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

std::vector<std::uint8_t> CrestIcon(const TDibImage& crest, int size)
{
    assert(!crest.Empty() && size > 0);
    std::vector<std::uint8_t> out(static_cast<size_t>(size) * static_cast<size_t>(size) * 4, 0);
    std::vector<TCover> columns;
    for (int x = 0; x < size; ++x)
        columns.push_back(CoverOf(x, size, crest.Width));
    for (int y = 0; y < size; ++y) {
        TCover rows = CoverOf(y, size, crest.Height);
        for (int x = 0; x < size; ++x) {
            const TCover& cols = columns[static_cast<size_t>(x)];
            double area = 0, opaque = 0, r = 0, g = 0, b = 0;
            for (size_t j = 0; j < rows.Weights.size(); ++j)
                for (size_t i = 0; i < cols.Weights.size(); ++i) {
                    double w = rows.Weights[j] * cols.Weights[i];
                    area += w;
                    std::uint32_t p = crest.GetPixelWord(cols.First + static_cast<int>(i), rows.First + static_cast<int>(j));
                    if (p == IconKeyColour)
                        continue;
                    opaque += w;
                    r += w * ((p >> 16) & 0xFF);
                    g += w * ((p >> 8) & 0xFF);
                    b += w * (p & 0xFF);
                }
            std::uint8_t* px = out.data() + (static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 4;
            if (opaque <= 0)
                continue; // wholly transparent: colour and alpha stay 0
            px[0] = ToByte(r / opaque);
            px[1] = ToByte(g / opaque);
            px[2] = ToByte(b / opaque);
            px[3] = ToByte(255 * opaque / area);
        }
    }
    return out;
}
