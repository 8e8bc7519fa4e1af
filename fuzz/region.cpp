// The input is a small program of region operations on four regions that stay inside a 64 x 64
// field; each region has a twin in a plain per-pixel model (one 64-bit word per row), and after
// every step the region must hold the model's pixels in the one canonical band form.
//
// A step is an opcode byte followed by its operand bytes (missing bytes read as zero):
//   opcode & 15       what to do (see Step)
//   (opcode >> 4) & 3 the region that changes
//   opcode >> 6       the other region
// The field covers x and y from -16 to 47, so that negative coordinates are exercised too.

#include "fuzz/Finding.h"
#include "platform/graphics/Region.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int FieldOrigin = -16;
constexpr int FieldSize = 64;
constexpr int FieldEnd = FieldOrigin + FieldSize;
constexpr int MaxSteps = 256;

using TRow = std::uint64_t;

// Bits [left, right) of a row, in field coordinates clipped to the field.
TRow Span(int left, int right)
{
    left = std::max(left, FieldOrigin) - FieldOrigin;
    right = std::min(right, FieldEnd) - FieldOrigin;
    if (right <= left)
        return 0;
    const TRow ones = right - left == 64 ? ~TRow { 0 } : ((TRow { 1 } << (right - left)) - 1);
    return ones << left;
}

struct TModel {
    std::array<TRow, FieldSize> Rows {};

    bool operator==(const TModel&) const = default;
    TRow& Row(int y) { return Rows[static_cast<std::size_t>(y - FieldOrigin)]; }
    TRow Row(int y) const { return Rows[static_cast<std::size_t>(y - FieldOrigin)]; }
    bool Get(int x, int y) const
    {
        return x >= FieldOrigin && x < FieldEnd && y >= FieldOrigin && y < FieldEnd && ((Row(y) >> (x - FieldOrigin)) & 1);
    }
    void Fill(const TRect& r)
    {
        if (r.IsEmpty())
            return;
        const TRow bits = Span(r.Left, r.Right);
        for (int y = std::max(r.Top, FieldOrigin); y < std::min(r.Bottom, FieldEnd); ++y)
            Row(y) |= bits;
    }
    bool Any(const TRect& r) const
    {
        if (r.IsEmpty())
            return false;
        const TRow bits = Span(r.Left, r.Right);
        for (int y = std::max(r.Top, FieldOrigin); y < std::min(r.Bottom, FieldEnd); ++y)
            if (Row(y) & bits)
                return true;
        return false;
    }
    TRect Box() const
    {
        TRect box;
        for (int y = FieldOrigin; y < FieldEnd; ++y)
            if (TRow w = Row(y)) {
                const int left = FieldOrigin + std::countr_zero(w);
                const int right = FieldEnd - std::countl_zero(w);
                box = box.United(Rect(left, y, right, y + 1));
            }
        return box;
    }
    // The canonical band form: rows with the same runs stay in one band, each run one rectangle.
    std::vector<TRect> Rects() const
    {
        std::vector<TRect> rects;
        for (int y = FieldOrigin; y < FieldEnd;) {
            const TRow w = Row(y);
            int bottom = y + 1;
            while (bottom < FieldEnd && Row(bottom) == w)
                ++bottom;
            for (TRow rest = w; rest != 0;) {
                const int start = std::countr_zero(rest);
                const int length = std::countr_one(rest >> start);
                rects.push_back(Rect(FieldOrigin + start, y, FieldOrigin + start + length, bottom));
                rest &= ~Span(FieldOrigin + start, FieldOrigin + start + length);
            }
            y = bottom;
        }
        return rects;
    }
};

TModel Combine(const TModel& a, const TModel& b, TCombineMode mode)
{
    TModel m;
    for (std::size_t i = 0; i < m.Rows.size(); ++i) {
        switch (mode) {
        case RGN_AND: m.Rows[i] = a.Rows[i] & b.Rows[i]; break;
        case RGN_OR: m.Rows[i] = a.Rows[i] | b.Rows[i]; break;
        case RGN_XOR: m.Rows[i] = a.Rows[i] ^ b.Rows[i]; break;
        case RGN_DIFF: m.Rows[i] = a.Rows[i] & ~b.Rows[i]; break;
        case RGN_COPY: m.Rows[i] = a.Rows[i]; break;
        }
    }
    return m;
}

bool InField(const TRect& r)
{
    return r.Left >= FieldOrigin && r.Top >= FieldOrigin && r.Right <= FieldEnd && r.Bottom <= FieldEnd;
}

// A move that keeps the model's pixels inside the field (the caller has checked that).
TModel Moved(const TModel& m, int dx, int dy)
{
    TModel out;
    for (int y = FieldOrigin; y < FieldEnd; ++y)
        if (TRow w = m.Row(y))
            out.Row(y + dy) = dx >= 0 ? w << dx : w >> -dx;
    return out;
}

void Check(const TRegion& region, const TModel& model)
{
    Require(region.SelfCheck(), "SelfCheck fails");
    const std::vector<TRect> rects = region.Rects();
    TModel drawn;
    for (const TRect& r : rects) {
        Require(!r.IsEmpty() && InField(r), "a rectangle is empty or outside the field");
        drawn.Fill(r);
    }
    Require(drawn == model, "pixels differ from the model");
    const std::vector<TRect> canonical = model.Rects();
    Require(rects == canonical, "rectangles are not the canonical band form");
    Require(region.RectCount() == static_cast<int>(canonical.size()), "RectCount");
    Require(region.IsEmpty() == canonical.empty(), "IsEmpty");
    const int complexity = canonical.empty() ? NULLREGION : canonical.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
    Require(region.Complexity() == complexity, "Complexity");
    TRect box;
    Require(GetRgnBox(region, box) == complexity && box == model.Box() && region.BoundingBox() == box, "bounding box");
    // Points on and just outside each rectangle's corners are where an off-by-one shows.
    for (const TRect& r : canonical)
        for (int x : { r.Left - 1, r.Left, r.Right - 1, r.Right })
            for (int y : { r.Top - 1, r.Top, r.Bottom - 1, r.Bottom })
                Require(region.Contains(Point(x, y)) == model.Get(x, y), "Contains");
}

class TProgram {
public:
    TProgram(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) { }

    bool AtEnd() const { return FAt >= FSize; }
    std::uint8_t Next() { return FAt < FSize ? FData[FAt++] : 0; }
    // A coordinate on the field's edges or inside, and so rectangles that are often empty or
    // inverted, which must leave regions alone.
    int Coordinate() { return FieldOrigin + Next() % (FieldSize + 1); }
    TRect AnyRect()
    {
        const int left = Coordinate();
        const int top = Coordinate();
        return Rect(left, top, Coordinate(), Coordinate());
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FAt = 0;
};

struct TState {
    std::array<TRegion, 4> Regions;
    std::array<TModel, 4> Models;
};

// A rectangle that continues a region the way a row-by-row scan does: further right in the last
// band, below the last band, or from inside the last band down to its bottom (which splits it).
std::optional<TRect> RowOrderRect(const TModel& model, TProgram& p)
{
    const std::vector<TRect> rects = model.Rects();
    const std::uint8_t how = p.Next();
    const std::uint8_t a = p.Next();
    const std::uint8_t b = p.Next();
    if (rects.empty())
        return std::nullopt;
    const TRect last = rects.back();
    TRect r;
    switch (how % 3) {
    case 0:
        r = Bounds(last.Right + a % 3, last.Top, 1 + b % 8, last.Height());
        break;
    case 1:
        r = Bounds(FieldOrigin + b % FieldSize, last.Bottom + a % 3, 1 + (b >> 6) * 5, 1 + (a >> 4) % 4);
        break;
    default:
        if (last.Height() < 2)
            return std::nullopt;
        r = Rect(last.Right + b % 3, last.Top + 1 + a % (last.Height() - 1), last.Right + b % 3 + 1 + (b >> 4), last.Bottom);
        break;
    }
    if (!InField(r))
        return std::nullopt;
    return r;
}

void Step(TState& s, TProgram& p)
{
    const std::uint8_t op = p.Next();
    const std::size_t d = (op >> 4) & 3;
    const std::size_t o = op >> 6;
    TRegion& dst = s.Regions[d];
    TModel& model = s.Models[d];
    const TRegion& other = s.Regions[o];
    const TModel& otherModel = s.Models[o];
    switch (op & 15) {
    case 0: {
        const TRect r = p.AnyRect();
        dst = TRegion(r);
        model = TModel {};
        model.Fill(r);
        break;
    }
    case 1: { // anywhere: before, inside or across what is there
        const TRect r = p.AnyRect();
        dst.UnionRect(r);
        model.Fill(r);
        break;
    }
    case 2:
        if (const std::optional<TRect> r = RowOrderRect(model, p)) {
            dst.UnionRect(*r);
            model.Fill(*r);
        }
        break;
    case 3: // the in-place operations, the other operand possibly the region itself
        dst.Union(other);
        model = Combine(model, otherModel, RGN_OR);
        break;
    case 4:
        dst.Intersect(other);
        model = Combine(model, otherModel, RGN_AND);
        break;
    case 5:
        dst.Subtract(other);
        model = Combine(model, otherModel, RGN_DIFF);
        break;
    case 6:
        dst.Xor(other);
        model = Combine(model, otherModel, RGN_XOR);
        break;
    case 7: { // the returning twins, in either operand order
        const std::uint8_t how = p.Next();
        const bool swap = how & 4;
        const TRegion& a = swap ? other : dst;
        const TRegion& b = swap ? dst : other;
        const TModel& ma = swap ? otherModel : model;
        const TModel& mb = swap ? model : otherModel;
        static constexpr TCombineMode modes[] = { RGN_OR, RGN_AND, RGN_DIFF, RGN_XOR };
        const TCombineMode mode = modes[how & 3];
        TRegion result = mode == RGN_OR ? a.United(b) : mode == RGN_AND ? a.Intersected(b) : mode == RGN_DIFF ? a.Subtracted(b) : a.Xored(b);
        TModel expected = Combine(ma, mb, mode);
        dst = std::move(result);
        model = expected;
        break;
    }
    case 8:
    case 9: {
        const int dx = p.Next() % 33 - 16;
        const int dy = p.Next() % 33 - 16;
        const TModel& source = (op & 15) == 8 ? model : otherModel;
        const TRect box = source.Box();
        if (!box.IsEmpty() && !InField(box.Offsetted(dx, dy)))
            break;
        const TModel moved = box.IsEmpty() ? TModel {} : Moved(source, dx, dy);
        if ((op & 15) == 8)
            Require(OffsetRgn(dst, dx, dy) == dst.Complexity(), "OffsetRgn's complexity");
        else
            dst = other.Offsetted(dx, dy);
        model = moved;
        break;
    }
    case 10: { // CombineRgn with any aliasing of destination and operands
        const std::uint8_t how = p.Next();
        const std::size_t ia = how & 3;
        const std::size_t ib = (how >> 2) & 3;
        const auto mode = static_cast<TCombineMode>(1 + (how >> 4) % 5);
        const TModel expected = Combine(s.Models[ia], s.Models[ib], mode);
        const int complexity = CombineRgn(dst, s.Regions[ia], s.Regions[ib], mode);
        Require(complexity == dst.Complexity(), "CombineRgn's complexity");
        model = expected;
        break;
    }
    case 11:
        if (p.Next() & 1) {
            dst = other;
        } else {
            TRegion copy = other;
            dst = std::move(copy);
        }
        model = otherModel;
        break;
    case 12:
        dst = TRegion();
        model = TModel {};
        break;
    case 13: {
        const TRect r = p.AnyRect();
        Require(dst.ContainsRect(r) == model.Any(r), "ContainsRect");
        break;
    }
    case 14: { // the same pixels built the way a mask scan does must give an equal value
        TRegion built;
        for (const TRect& r : model.Rects())
            for (int y = r.Top; y < r.Bottom; ++y)
                built.UnionRect(Rect(r.Left, y, r.Right, y + 1));
        Require(built == dst, "a row-by-row build differs from the same pixels");
        break;
    }
    default:
        Require((dst == other) == (model == otherModel), "operator== disagrees with the pixels");
        break;
    }
    Check(dst, model);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TState state;
    TProgram program(data, size);
    for (int step = 0; step < MaxSteps && !program.AtEnd(); ++step)
        Step(state, program);
    for (std::size_t i = 0; i < state.Regions.size(); ++i)
        Check(state.Regions[i], state.Models[i]);
    return 0;
}
