#pragma once
// TRegion: a set of pixels, kept as y-x bands of half-open rectangles.
//
//        x: 0    4    8   12   16
//   y 0     ┌────┐    ┌────┐          band [0, 2):  spans [0, 4)  [8, 12)
//     2     ├────┴────┴────┤          band [2, 3):  span  [0, 12)
//     3     └──────────────┘
//     5          ┌───────────────┐    band [5, 7):  span  [4, 16)
//     7          └───────────────┘
//
// Invariants (checked by SelfCheck):
//   - bands are sorted by Top and never overlap: a band's Bottom is at most the next band's Top;
//   - every band holds at least one span, and every span is non-empty;
//   - within a band, spans are sorted and neither touch nor overlap (Right < next Left);
//   - two bands that touch vertically never hold identical spans (they would have been one band);
//   - the bounding box is exact; an empty region has the box (0, 0, 0, 0).
// Together these make the form canonical: one pixel set has exactly one band list, so equal
// sets compare equal field by field and give the same rectangle count.
//
// Storage: the empty region and a single rectangle live in the bounding box alone and allocate
// nothing; from two rectangles on, FBands holds the bands and FSpans their x-spans, band i
// owning FSpans[FBands[i-1].End, FBands[i].End). Each span of a band is one rectangle.

#include "platform/graphics/Types.h"

#include <cstddef>
#include <vector>

enum TCombineMode { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// Region complexity, as the combine and box functions report it.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// A copyable, movable value. Every set operation is one sweep over the bands of both operands,
// after the trivial cases (an empty operand, disjoint boxes, a rectangle that covers the other
// side). The in-place Union and UnionRect append in constant amortised time when the rectangle
// lands in the last band (same top and bottom, at or right of its last rectangle) or below it,
// which is how mask scans build regions row by row; the returning twins always build a new value.
class TRegion {
public:
    TRegion() = default;
    explicit TRegion(const TRect& rect);

    bool IsEmpty() const { return FExtents.IsEmpty(); }
    TRect BoundingBox() const { return FExtents; }
    int RectCount() const;
    std::vector<TRect> Rects() const; // band order: top to bottom, left to right
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;

    bool Contains(TPoint p) const;
    // True when any pixel of rect is in the region.
    bool ContainsRect(const TRect& rect) const;
    bool operator==(const TRegion& other) const;

    void Union(const TRegion& other);
    void UnionRect(const TRect& rect);
    void Intersect(const TRegion& other);
    void Subtract(const TRegion& other);
    void Xor(const TRegion& other);
    void Offset(int dx, int dy);

    [[nodiscard]] TRegion United(const TRegion& other) const;
    [[nodiscard]] TRegion Intersected(const TRegion& other) const;
    [[nodiscard]] TRegion Subtracted(const TRegion& other) const;
    [[nodiscard]] TRegion Xored(const TRegion& other) const;
    [[nodiscard]] TRegion Offsetted(int dx, int dy) const;

    // True when every invariant above holds.
    bool SelfCheck() const;

private:
    struct TSpan {
        int Left;
        int Right;
        bool operator==(const TSpan&) const = default;
    };
    struct TBand {
        int Top;
        int Bottom;
        int End; // one past the band's last span in FSpans
        bool operator==(const TBand&) const = default;
    };
    struct TBandView;
    enum class TSetOp : unsigned;
    enum class TTrivial;

    bool IsSingle() const { return FBands.empty() && !IsEmpty(); }
    int BandStart(std::size_t band) const { return band == 0 ? 0 : FBands[band - 1].End; }
    void SetRect(const TRect& rect);
    void ExpandSingle();
    void DropSingleVectors();
    bool AppendRect(TRect rect);
    void AppendBelow(const TRegion& other);
    void AddSpan(int left, int right);
    void CloseBand(int top, int bottom);
    bool BandsMatch(std::size_t above, std::size_t below) const;
    void CoalesceLastBand();
    TRect BandExtents() const;
    void FinishBuild();
    void CombineInPlace(const TRegion& other, TSetOp op);
    TRegion Combined(const TRegion& other, TSetOp op) const;
    static TTrivial TrivialCase(const TRegion& a, const TRegion& b, TSetOp op);
    static TRegion Sweep(const TRegion& a, const TRegion& b, TSetOp op);

    TRect FExtents;
    std::vector<TBand> FBands;
    std::vector<TSpan> FSpans;
};

// dest = a <mode> b (RGN_COPY: dest = a); dest may be a or b. Returns dest's complexity.
int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, TCombineMode mode);
// The bounding box into box; returns the region's complexity.
int GetRgnBox(const TRegion& region, TRect& box);
// Moves the region; returns its complexity.
int OffsetRgn(TRegion& region, int dx, int dy);
