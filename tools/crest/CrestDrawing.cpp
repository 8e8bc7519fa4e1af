#include "tools/crest/CrestDrawing.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

// Palette indices shared by both editions; entry 0, white, is there but never drawn.
constexpr unsigned MagentaIndex = 1;
constexpr unsigned BlackIndex = 2;

constexpr int PelsPerMeter = 2834;

// Radii in pixels around the centre of the square (a pixel edge, so the picture is symmetric).
constexpr int RingOuterRadius = CrestSize / 2;
constexpr int RingInnerRadius = 227;
// The star's notches lie on the axes and the diagonals, its points halfway between: a notch on
// each axis leaves the ring its own 73 pixels across the middle row and column. The points reach
// well into the ring so that each one joins it along a wide edge, not at a tip, and the joins
// survive the crest being shrunk to a small window.
constexpr double StarNotchRadius = 120;
constexpr double StarPointRadius = 262;

// True when q lies on the left of, or on, the line from a to b (x right, y up).
bool OnLeft(double ax, double ay, double bx, double by, double qx, double qy)
{
    return (bx - ax) * (qy - ay) - (by - ay) * (qx - ax) >= 0;
}

// The star has the square's eight symmetries, so the point is folded into the octant between the
// positive x axis and the diagonal; that octant holds one point of the star between two notches,
// a convex piece bounded by the two edges through the point. Folding also keeps the picture
// exactly symmetric whatever the rounding does. The angles are 22.5 and 45 degrees, whose cosines
// and sines come out of square roots, which round the same everywhere.
bool InStar(double dx, double dy)
{
    double x = std::fabs(dx);
    double y = std::fabs(dy);
    if (y > x)
        std::swap(x, y);
    const double cos22 = std::sqrt(2 + std::sqrt(2.0)) / 2;
    const double sin22 = std::sqrt(2 - std::sqrt(2.0)) / 2;
    const double cos45 = std::sqrt(0.5);
    const double notchAx = StarNotchRadius;
    const double notchAy = 0;
    const double pointX = StarPointRadius * cos22;
    const double pointY = StarPointRadius * sin22;
    const double notchBx = StarNotchRadius * cos45;
    const double notchBy = StarNotchRadius * cos45;
    // Notch, point, notch run counterclockwise, so the star lies on the left of both edges.
    return OnLeft(notchAx, notchAy, pointX, pointY, x, y) && OnLeft(pointX, pointY, notchBx, notchBy, x, y);
}

void SetIndex(TDibImage& image, int x, int y, unsigned index)
{
    std::uint8_t& byte = image.Row(y)[x >> 1];
    byte = (x & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | index) : static_cast<std::uint8_t>((byte & 0x0F) | (index << 4));
}

} // namespace

TCrestPart CrestPartAt(int x, int y)
{
    assert(x >= 0 && x < CrestSize && y >= 0 && y < CrestSize);
    // Doubled coordinates put the pixel centre (x + 0.5, y + 0.5) on integers, so the ring test
    // is exact.
    const long dx2 = 2L * x + 1 - CrestSize;
    const long dy2 = 2L * y + 1 - CrestSize;
    const long d2 = dx2 * dx2 + dy2 * dy2;
    constexpr long outer2 = 4L * RingOuterRadius * RingOuterRadius;
    constexpr long inner2 = 4L * RingInnerRadius * RingInnerRadius;
    if (d2 >= outer2)
        return cpGround;
    if (d2 >= inner2)
        return cpRing;
    return InStar(dx2 / 2.0, dy2 / 2.0) ? cpMark : cpGround;
}

TDibImage DrawCrest(TCrestEdition edition)
{
    TDibImage image;
    image.Palette = { 0xFFFFFF, 0xFF00FF, 0x000000 };
    if (edition == ceReverse)
        image.Palette.resize(16, 0x000000);
    image.Allocate(CrestSize, CrestSize, 4);
    image.XPelsPerMeter = PelsPerMeter;
    image.YPelsPerMeter = PelsPerMeter;

    const unsigned crestIndex = edition == ceStandard ? BlackIndex : MagentaIndex;
    const unsigned groundIndex = edition == ceStandard ? MagentaIndex : BlackIndex;
    for (int y = 0; y < CrestSize; ++y)
        for (int x = 0; x < CrestSize; ++x)
            SetIndex(image, x, y, CrestPartAt(x, y) == cpGround ? groundIndex : crestIndex);
    return image;
}

const char* CrestFileName(TCrestEdition edition)
{
    return edition == ceStandard ? "crest-standard.bmp" : "crest-reverse.bmp";
}
