#pragma once
// Geometry value types. Rectangles are half-open: Right and Bottom are exclusive, so a
// rectangle (0, 0, 1, 1) holds exactly one pixel and Width() == Right - Left.

#include <algorithm>
#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
    constexpr TPoint operator+(TPoint o) const { return { X + o.X, Y + o.Y }; }
    constexpr TPoint operator-(TPoint o) const { return { X - o.X, Y - o.Y }; }
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    constexpr TPoint TopLeft() const { return { Left, Top }; }
    constexpr bool operator==(const TRect&) const = default;

    constexpr void Offset(int dx, int dy)
    {
        Left += dx;
        Right += dx;
        Top += dy;
        Bottom += dy;
    }
    [[nodiscard]] constexpr TRect Offsetted(int dx, int dy) const
    {
        TRect r = *this;
        r.Offset(dx, dy);
        return r;
    }
    // Shrinks this rectangle to its intersection with o (empty, at o's or this origin, when none).
    constexpr void Intersect(const TRect& o)
    {
        Left = std::max(Left, o.Left);
        Top = std::max(Top, o.Top);
        Right = std::min(Right, o.Right);
        Bottom = std::min(Bottom, o.Bottom);
        if (IsEmpty())
            *this = {};
    }
    [[nodiscard]] constexpr TRect Intersected(const TRect& o) const
    {
        TRect r = *this;
        r.Intersect(o);
        return r;
    }
    // The smallest rectangle holding both (an empty one does not count).
    [[nodiscard]] constexpr TRect United(const TRect& o) const
    {
        if (IsEmpty())
            return o;
        if (o.IsEmpty())
            return *this;
        return { std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right), std::max(Bottom, o.Bottom) };
    }
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return { left, top, right, bottom }; }
constexpr TRect Bounds(int left, int top, int width, int height) { return { left, top, left + width, top + height }; }
constexpr TPoint Point(int x, int y) { return { x, y }; }

// Integer division by 2 that truncates toward zero (-3 halved is -1), the system's halving.
constexpr int Halved(int v) { return v / 2; }
