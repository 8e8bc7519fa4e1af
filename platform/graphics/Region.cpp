#include "platform/graphics/Region.h"

#include <algorithm>
#include <cassert>
#include <climits>

// Each set operation is a truth table over (in a, in b): bit (a * 2 + b) says whether a pixel
// with that membership belongs to the result. Bit 0 is always clear, so nothing comes from
// outside both operands.
enum class TRegion::TSetOp : unsigned {
    Union = 0b1110,
    Intersect = 0b1000,
    Subtract = 0b0100,
    Xor = 0b0110,
};

// What an operation gives without a sweep.
enum class TRegion::TTrivial { None, Empty, A, B };

namespace {

bool Covers(const TRect& outer, const TRect& inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right
        && inner.Bottom <= outer.Bottom;
}

bool Overlaps(const TRect& a, const TRect& b) { return !a.Intersected(b).IsEmpty(); }

} // namespace

// The bands of a region, the single rectangle included, seen the same way. It may point into
// itself, so it is neither copied nor moved.
struct TRegion::TBandView {
    explicit TBandView(const TRegion& region)
    {
        if (region.IsSingle()) {
            const TRect& r = region.FExtents;
            FOneBand = { r.Top, r.Bottom, 1 };
            FOneSpan = { r.Left, r.Right };
            Bands = &FOneBand;
            Spans = &FOneSpan;
            Count = 1;
        } else {
            Bands = region.FBands.data();
            Spans = region.FSpans.data();
            Count = static_cast<int>(region.FBands.size());
        }
    }
    TBandView(const TBandView&) = delete;
    TBandView& operator=(const TBandView&) = delete;

    const TSpan* Begin(int band) const { return Spans + (band == 0 ? 0 : Bands[band - 1].End); }
    const TSpan* End(int band) const { return Spans + Bands[band].End; }

    const TBand* Bands = nullptr;
    const TSpan* Spans = nullptr;
    int Count = 0;

private:
    TBand FOneBand {};
    TSpan FOneSpan {};
};

TRegion::TRegion(const TRect& rect) { SetRect(rect); }

int TRegion::RectCount() const
{
    if (IsEmpty())
        return 0;
    return IsSingle() ? 1 : static_cast<int>(FSpans.size());
}

std::vector<TRect> TRegion::Rects() const
{
    std::vector<TRect> rects;
    rects.reserve(static_cast<std::size_t>(RectCount()));
    const TBandView view(*this);
    for (int i = 0; i < view.Count; ++i)
        for (const TSpan* s = view.Begin(i); s != view.End(i); ++s)
            rects.push_back({ s->Left, view.Bands[i].Top, s->Right, view.Bands[i].Bottom });
    return rects;
}

int TRegion::Complexity() const
{
    if (IsEmpty())
        return NULLREGION;
    return IsSingle() ? SIMPLEREGION : COMPLEXREGION;
}

bool TRegion::Contains(TPoint p) const
{
    if (!FExtents.Contains(p))
        return false;
    if (IsSingle())
        return true;
    const auto band = std::upper_bound(FBands.begin(), FBands.end(), p.Y,
        [](int y, const TBand& b) { return y < b.Bottom; });
    if (band == FBands.end() || band->Top > p.Y)
        return false;
    const auto first = FSpans.begin() + BandStart(static_cast<std::size_t>(band - FBands.begin()));
    const auto last = FSpans.begin() + band->End;
    const auto span = std::upper_bound(first, last, p.X, [](int x, const TSpan& s) { return x < s.Right; });
    return span != last && span->Left <= p.X;
}

bool TRegion::ContainsRect(const TRect& rect) const
{
    const TRect clipped = rect.Intersected(FExtents);
    if (clipped.IsEmpty())
        return false;
    if (IsSingle())
        return true;
    auto band = std::upper_bound(FBands.begin(), FBands.end(), clipped.Top,
        [](int y, const TBand& b) { return y < b.Bottom; });
    for (; band != FBands.end() && band->Top < clipped.Bottom; ++band) {
        const auto first = FSpans.begin() + BandStart(static_cast<std::size_t>(band - FBands.begin()));
        const auto last = FSpans.begin() + band->End;
        const auto span = std::upper_bound(first, last, clipped.Left,
            [](int x, const TSpan& s) { return x < s.Right; });
        if (span != last && span->Left < clipped.Right)
            return true;
    }
    return false;
}

bool TRegion::operator==(const TRegion& other) const
{
    // The form is canonical, so equal pixel sets are equal field by field.
    return FExtents == other.FExtents && FBands == other.FBands && FSpans == other.FSpans;
}

void TRegion::SetRect(const TRect& rect)
{
    FBands.clear();
    FSpans.clear();
    FExtents = rect.IsEmpty() ? TRect {} : rect;
}

// Moves a single rectangle into the vectors so that bands can be added after it.
void TRegion::ExpandSingle()
{
    if (!IsSingle())
        return;
    FBands.push_back({ FExtents.Top, FExtents.Bottom, 1 });
    FSpans.push_back({ FExtents.Left, FExtents.Right });
}

// A region of one rectangle lives in its bounding box alone. The vectors keep their capacity, so
// a build that passes through one rectangle does not allocate again.
void TRegion::DropSingleVectors()
{
    if (FSpans.size() == 1) {
        FBands.clear();
        FSpans.clear();
    }
}

// The row-by-row fast path: a rectangle at or right of the last rectangle of the last band, with
// the band's bottom, or a rectangle below the last band. A rectangle whose top falls inside the
// last band splits the band first: that happens when a row was coalesced into the band above
// before its last rectangles arrived. Returns false when the rectangle needs the general sweep.
bool TRegion::AppendRect(TRect rect)
{
    const int lastTop = IsSingle() ? FExtents.Top : FBands.back().Top;
    const int lastBottom = IsSingle() ? FExtents.Bottom : FBands.back().Bottom;
    const int lastRight = IsSingle() ? FExtents.Right : FSpans.back().Right;
    if (rect.Top >= lastBottom) {
        ExpandSingle();
        FSpans.push_back({ rect.Left, rect.Right });
        FBands.push_back({ rect.Top, rect.Bottom, static_cast<int>(FSpans.size()) });
    } else if (rect.Bottom == lastBottom && rect.Top >= lastTop && rect.Left >= lastRight) {
        ExpandSingle();
        if (rect.Top > lastTop) {
            const int start = BandStart(FBands.size() - 1);
            const int end = FBands.back().End;
            FBands.back().Bottom = rect.Top;
            for (int k = start; k < end; ++k) {
                const TSpan copy = FSpans[static_cast<std::size_t>(k)];
                FSpans.push_back(copy);
            }
            FBands.push_back({ rect.Top, lastBottom, static_cast<int>(FSpans.size()) });
        }
        if (rect.Left == FSpans.back().Right)
            FSpans.back().Right = rect.Right;
        else
            FSpans.push_back({ rect.Left, rect.Right });
        FBands.back().End = static_cast<int>(FSpans.size());
    } else {
        return false;
    }
    FExtents = FExtents.United(rect);
    CoalesceLastBand();
    DropSingleVectors();
    return true;
}

// Appends a region that lies wholly below this one; only its first band can join our last.
void TRegion::AppendBelow(const TRegion& other)
{
    ExpandSingle();
    const TBandView view(other);
    for (int i = 0; i < view.Count; ++i) {
        for (const TSpan* s = view.Begin(i); s != view.End(i); ++s)
            AddSpan(s->Left, s->Right);
        CloseBand(view.Bands[i].Top, view.Bands[i].Bottom);
    }
    FExtents = FExtents.United(other.FExtents);
    DropSingleVectors();
}

// Adds a span to the band being built; spans arrive sorted and never touching.
void TRegion::AddSpan(int left, int right)
{
    assert(left < right);
    assert(FSpans.size() == static_cast<std::size_t>(BandStart(FBands.size())) || FSpans.back().Right < left);
    FSpans.push_back({ left, right });
}

// Ends the band being built; a band without spans is no band.
void TRegion::CloseBand(int top, int bottom)
{
    if (FSpans.size() == static_cast<std::size_t>(BandStart(FBands.size())))
        return;
    FBands.push_back({ top, bottom, static_cast<int>(FSpans.size()) });
    CoalesceLastBand();
}

// True when band `below` sits right under band `above` and holds the same spans. The last spans
// are compared first: while a row grows they differ, so the full comparison runs about once per
// row and the row-by-row build stays linear.
bool TRegion::BandsMatch(std::size_t above, std::size_t below) const
{
    const TBand& a = FBands[above];
    const TBand& b = FBands[below];
    const int aStart = BandStart(above);
    const int bStart = BandStart(below);
    if (a.Bottom != b.Top || a.End - aStart != b.End - bStart)
        return false;
    const auto spans = FSpans.begin();
    return spans[a.End - 1] == spans[b.End - 1] && std::equal(spans + aStart, spans + a.End - 1, spans + bStart);
}

// Joins the last band to the one above it when they hold the same spans.
void TRegion::CoalesceLastBand()
{
    const std::size_t n = FBands.size();
    if (n < 2 || !BandsMatch(n - 2, n - 1))
        return;
    FBands[n - 2].Bottom = FBands[n - 1].Bottom;
    FSpans.resize(static_cast<std::size_t>(FBands[n - 2].End));
    FBands.pop_back();
}

// The bounding box of the bands.
TRect TRegion::BandExtents() const
{
    int left = INT_MAX;
    int right = INT_MIN;
    for (std::size_t i = 0; i < FBands.size(); ++i) {
        left = std::min(left, FSpans[static_cast<std::size_t>(BandStart(i))].Left);
        right = std::max(right, FSpans[static_cast<std::size_t>(FBands[i].End - 1)].Right);
    }
    return { left, FBands.front().Top, right, FBands.back().Bottom };
}

// Sets the bounding box once the bands are built.
void TRegion::FinishBuild()
{
    if (FSpans.empty()) {
        SetRect({});
        return;
    }
    FExtents = BandExtents();
    DropSingleVectors();
}

TRegion::TTrivial TRegion::TrivialCase(const TRegion& a, const TRegion& b, TSetOp op)
{
    switch (op) {
    case TSetOp::Union:
        if (b.IsEmpty() || (a.IsSingle() && Covers(a.FExtents, b.FExtents)))
            return TTrivial::A;
        if (a.IsEmpty() || (b.IsSingle() && Covers(b.FExtents, a.FExtents)))
            return TTrivial::B;
        break;
    case TSetOp::Intersect:
        if (!Overlaps(a.FExtents, b.FExtents))
            return TTrivial::Empty;
        if (b.IsSingle() && Covers(b.FExtents, a.FExtents))
            return TTrivial::A;
        if (a.IsSingle() && Covers(a.FExtents, b.FExtents))
            return TTrivial::B;
        break;
    case TSetOp::Subtract:
        if (!Overlaps(a.FExtents, b.FExtents))
            return TTrivial::A;
        if (b.IsSingle() && Covers(b.FExtents, a.FExtents))
            return TTrivial::Empty;
        break;
    case TSetOp::Xor:
        if (b.IsEmpty())
            return TTrivial::A;
        if (a.IsEmpty())
            return TTrivial::B;
        break;
    }
    return TTrivial::None;
}

namespace {

// Boundary k of a sorted span list: the Left of span k / 2 when k is even, else its Right.
template <class Span>
int Boundary(const Span* spans, int k)
{
    return (k & 1) ? spans[k >> 1].Right : spans[k >> 1].Left;
}

} // namespace

TRegion TRegion::Sweep(const TRegion& a, const TRegion& b, TSetOp op)
{
    const unsigned table = static_cast<unsigned>(op);
    const bool keepA = (table & 0b0100) != 0;
    const bool keepB = (table & 0b0010) != 0;
    const TBandView va(a);
    const TBandView vb(b);
    TRegion out;
    out.FSpans.reserve(a.FSpans.size() + b.FSpans.size() + 2);
    out.FBands.reserve(a.FBands.size() + b.FBands.size() + 2);

    const auto copyBand = [&out](const TBandView& v, int band, int top, int bottom) {
        for (const TSpan* s = v.Begin(band); s != v.End(band); ++s)
            out.AddSpan(s->Left, s->Right);
        out.CloseBand(top, bottom);
    };
    // Both bands cover [top, bottom): walk the boundaries of both span lists in x order and
    // emit a span wherever the table's answer turns on and off.
    const auto mergeBands = [&out, table, &va, &vb](int ia, int ib, int top, int bottom) {
        const TSpan* sa = va.Begin(ia);
        const TSpan* sb = vb.Begin(ib);
        const int na = 2 * static_cast<int>(va.End(ia) - sa);
        const int nb = 2 * static_cast<int>(vb.End(ib) - sb);
        int ka = 0;
        int kb = 0;
        bool on = false;
        int start = 0;
        while (ka < na || kb < nb) {
            const int x = (kb >= nb || (ka < na && Boundary(sa, ka) <= Boundary(sb, kb))) ? Boundary(sa, ka)
                                                                                          : Boundary(sb, kb);
            if (ka < na && Boundary(sa, ka) == x)
                ++ka;
            if (kb < nb && Boundary(sb, kb) == x)
                ++kb;
            const bool in = ((table >> (((ka & 1) << 1) | (kb & 1))) & 1) != 0;
            if (in != on) {
                if (in)
                    start = x;
                else
                    out.AddSpan(start, x);
                on = in;
            }
        }
        out.CloseBand(top, bottom);
    };

    // y is the scan line: everything above it has been emitted.
    int y = std::min(va.Count ? va.Bands[0].Top : INT_MAX, vb.Count ? vb.Bands[0].Top : INT_MAX);
    int ia = 0;
    int ib = 0;
    while (ia < va.Count && ib < vb.Count) {
        const TBand& ba = va.Bands[ia];
        const TBand& bb = vb.Bands[ib];
        const int topA = std::max(ba.Top, y);
        const int topB = std::max(bb.Top, y);
        int bottom;
        if (topA < topB) {
            bottom = std::min(ba.Bottom, topB);
            if (keepA)
                copyBand(va, ia, topA, bottom);
        } else if (topB < topA) {
            bottom = std::min(bb.Bottom, topA);
            if (keepB)
                copyBand(vb, ib, topB, bottom);
        } else {
            bottom = std::min(ba.Bottom, bb.Bottom);
            mergeBands(ia, ib, topA, bottom);
        }
        y = bottom;
        if (ba.Bottom == y)
            ++ia;
        if (bb.Bottom == y)
            ++ib;
    }
    for (; keepA && ia < va.Count; ++ia)
        copyBand(va, ia, std::max(va.Bands[ia].Top, y), va.Bands[ia].Bottom);
    for (; keepB && ib < vb.Count; ++ib)
        copyBand(vb, ib, std::max(vb.Bands[ib].Top, y), vb.Bands[ib].Bottom);
    out.FinishBuild();
    return out;
}

TRegion TRegion::Combined(const TRegion& other, TSetOp op) const
{
    switch (TrivialCase(*this, other, op)) {
    case TTrivial::Empty:
        return {};
    case TTrivial::A:
        return *this;
    case TTrivial::B:
        return other;
    case TTrivial::None:
        break;
    }
    return Sweep(*this, other, op);
}

void TRegion::CombineInPlace(const TRegion& other, TSetOp op)
{
    switch (TrivialCase(*this, other, op)) {
    case TTrivial::Empty:
        SetRect({});
        return;
    case TTrivial::A:
        return;
    case TTrivial::B:
        *this = other;
        return;
    case TTrivial::None:
        break;
    }
    *this = Sweep(*this, other, op);
}

void TRegion::Union(const TRegion& other)
{
    if (other.IsSingle()) {
        UnionRect(other.FExtents);
        return;
    }
    if (!IsEmpty() && !other.IsEmpty() && other.FExtents.Top >= FExtents.Bottom) {
        AppendBelow(other);
        return;
    }
    CombineInPlace(other, TSetOp::Union);
}

void TRegion::UnionRect(const TRect& rect)
{
    if (rect.IsEmpty())
        return;
    if (!IsEmpty() && AppendRect(rect))
        return;
    CombineInPlace(TRegion(rect), TSetOp::Union);
}

void TRegion::Intersect(const TRegion& other) { CombineInPlace(other, TSetOp::Intersect); }
void TRegion::Subtract(const TRegion& other) { CombineInPlace(other, TSetOp::Subtract); }
void TRegion::Xor(const TRegion& other) { CombineInPlace(other, TSetOp::Xor); }

void TRegion::Offset(int dx, int dy)
{
    if (IsEmpty() || (dx == 0 && dy == 0))
        return;
    // Moving a region off the coordinate range is a caller's mistake.
    assert(static_cast<long long>(FExtents.Left) + dx >= INT_MIN && static_cast<long long>(FExtents.Right) + dx <= INT_MAX);
    assert(static_cast<long long>(FExtents.Top) + dy >= INT_MIN && static_cast<long long>(FExtents.Bottom) + dy <= INT_MAX);
    FExtents.Offset(dx, dy);
    for (TBand& band : FBands) {
        band.Top += dy;
        band.Bottom += dy;
    }
    for (TSpan& span : FSpans) {
        span.Left += dx;
        span.Right += dx;
    }
}

TRegion TRegion::United(const TRegion& other) const { return Combined(other, TSetOp::Union); }
TRegion TRegion::Intersected(const TRegion& other) const { return Combined(other, TSetOp::Intersect); }
TRegion TRegion::Subtracted(const TRegion& other) const { return Combined(other, TSetOp::Subtract); }
TRegion TRegion::Xored(const TRegion& other) const { return Combined(other, TSetOp::Xor); }

TRegion TRegion::Offsetted(int dx, int dy) const
{
    TRegion r = *this;
    r.Offset(dx, dy);
    return r;
}

bool TRegion::SelfCheck() const
{
    if (FBands.empty())
        return FSpans.empty() && (FExtents == TRect {} || !FExtents.IsEmpty());
    if (FSpans.size() < 2 || FBands.back().End != static_cast<int>(FSpans.size()))
        return false;
    for (std::size_t i = 0; i < FBands.size(); ++i) {
        const TBand& band = FBands[i];
        const int start = BandStart(i);
        if (band.End <= start || band.Top >= band.Bottom)
            return false;
        if (i > 0 && (FBands[i - 1].Bottom > band.Top || BandsMatch(i - 1, i)))
            return false;
        for (int k = start; k < band.End; ++k) {
            const TSpan& s = FSpans[static_cast<std::size_t>(k)];
            if (s.Left >= s.Right || (k > start && FSpans[static_cast<std::size_t>(k - 1)].Right >= s.Left))
                return false;
        }
    }
    return FExtents == BandExtents();
}

int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, TCombineMode mode)
{
    // Combining into the first operand works in place, so that building a region by
    // CombineRgn(r, r, piece, RGN_OR) keeps the row-by-row fast path.
    const bool inPlace = &dest == &a;
    switch (mode) {
    case RGN_AND:
        if (inPlace)
            dest.Intersect(b);
        else
            dest = a.Intersected(b);
        break;
    case RGN_OR:
        if (inPlace)
            dest.Union(b);
        else
            dest = a.United(b);
        break;
    case RGN_XOR:
        if (inPlace)
            dest.Xor(b);
        else
            dest = a.Xored(b);
        break;
    case RGN_DIFF:
        if (inPlace)
            dest.Subtract(b);
        else
            dest = a.Subtracted(b);
        break;
    case RGN_COPY:
        if (!inPlace)
            dest = a;
        break;
    default:
        assert(!"unknown combine mode");
        return RGN_ERROR;
    }
    return dest.Complexity();
}

int GetRgnBox(const TRegion& region, TRect& box)
{
    box = region.BoundingBox();
    return region.Complexity();
}

int OffsetRgn(TRegion& region, int dx, int dy)
{
    region.Offset(dx, dy);
    return region.Complexity();
}
