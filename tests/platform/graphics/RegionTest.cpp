#include "platform/graphics/Region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using TRects = std::vector<TRect>;

TRegion FromRects(const TRects& rects)
{
    TRegion r;
    for (const TRect& rect : rects)
        r.UnionRect(rect);
    return r;
}

// The plain per-pixel model the region code is checked against.
struct TMask {
    static constexpr int N = 64;
    std::vector<char> Bits = std::vector<char>(N * N, 0);

    bool Get(int x, int y) const { return Bits[y * N + x] != 0; }
    void Set(int x, int y, bool on) { Bits[y * N + x] = on; }
    void Fill(const TRect& r, bool on)
    {
        for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, N); ++y)
            for (int x = std::max(r.Left, 0); x < std::min(r.Right, N); ++x)
                Set(x, y, on);
    }
    bool operator==(const TMask&) const = default;

    // The runs of one row as half-open [left, right) pairs.
    std::vector<std::pair<int, int>> Runs(int y) const
    {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < N;) {
            if (!Get(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < N && Get(x, y))
                ++x;
            runs.push_back({ start, x });
        }
        return runs;
    }

    // How many rectangles the smallest banded form holds: one per run, except that a row whose
    // runs repeat the row above joins that row's band.
    int CanonicalCount() const
    {
        int count = 0;
        std::vector<std::pair<int, int>> above;
        for (int y = 0; y < N; ++y) {
            auto runs = Runs(y);
            if (runs != above)
                count += static_cast<int>(runs.size());
            above = std::move(runs);
        }
        return count;
    }

    // The way every mask scan builds its region: one-row rectangles, rows top to bottom.
    TRegion RowByRow() const
    {
        TRegion r;
        for (int y = 0; y < N; ++y)
            for (auto [left, right] : Runs(y))
                r.UnionRect({ left, y, right, y + 1 });
        return r;
    }
};

TMask MaskOf(const TRegion& r)
{
    TMask m;
    for (const TRect& rect : r.Rects())
        m.Fill(rect, true);
    return m;
}

TMask Combine(const TMask& a, const TMask& b, TCombineMode mode)
{
    TMask m;
    for (std::size_t i = 0; i < m.Bits.size(); ++i) {
        const bool x = a.Bits[i] != 0;
        const bool y = b.Bits[i] != 0;
        switch (mode) {
        case RGN_AND: m.Bits[i] = x && y; break;
        case RGN_OR: m.Bits[i] = x || y; break;
        case RGN_XOR: m.Bits[i] = x != y; break;
        case RGN_DIFF: m.Bits[i] = x && !y; break;
        case RGN_COPY: m.Bits[i] = x; break;
        }
    }
    return m;
}

int ExpectedComplexity(int count) { return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION; }

// Everything a region must satisfy when it stands for the model's pixels.
void ExpectMatches(const TRegion& r, const TMask& model)
{
    ASSERT_TRUE(r.SelfCheck());
    EXPECT_EQ(MaskOf(r), model);
    EXPECT_EQ(r.RectCount(), model.CanonicalCount());
    EXPECT_EQ(r.Rects(), model.RowByRow().Rects());
    for (int y = -1; y <= TMask::N; ++y)
        for (int x = -1; x <= TMask::N; ++x) {
            const bool inside = x >= 0 && y >= 0 && x < TMask::N && y < TMask::N && model.Get(x, y);
            ASSERT_EQ(r.Contains({ x, y }), inside) << x << "," << y;
        }
}

struct TOpCase {
    const char* Name;
    TRects A;
    TRects B;
    TCombineMode Mode;
    TRects Expected;
};

const TOpCase OpCases[] = {
    { "union overlapping", { { 0, 0, 10, 10 } }, { { 5, 5, 15, 15 } }, RGN_OR,
        { { 0, 0, 10, 5 }, { 0, 5, 15, 10 }, { 5, 10, 15, 15 } } },
    { "union touching sideways", { { 0, 0, 5, 5 } }, { { 5, 0, 10, 5 } }, RGN_OR, { { 0, 0, 10, 5 } } },
    { "union touching below", { { 0, 0, 5, 5 } }, { { 0, 5, 5, 10 } }, RGN_OR, { { 0, 0, 5, 10 } } },
    { "union stacked, wider below", { { 0, 0, 5, 5 } }, { { 0, 5, 8, 10 } }, RGN_OR,
        { { 0, 0, 5, 5 }, { 0, 5, 8, 10 } } },
    { "union disjoint", { { 0, 0, 2, 2 } }, { { 4, 0, 6, 2 } }, RGN_OR, { { 0, 0, 2, 2 }, { 4, 0, 6, 2 } } },
    { "union nested", { { 0, 0, 10, 10 } }, { { 2, 2, 4, 4 } }, RGN_OR, { { 0, 0, 10, 10 } } },
    { "union filling a hole", { { 0, 0, 9, 3 }, { 0, 3, 3, 6 }, { 6, 3, 9, 6 }, { 0, 6, 9, 9 } },
        { { 3, 3, 6, 6 } }, RGN_OR, { { 0, 0, 9, 9 } } },
    { "union of a region just below", { { 0, 0, 4, 2 }, { 6, 0, 8, 2 } }, { { 0, 2, 4, 4 }, { 6, 2, 8, 4 } }, RGN_OR,
        { { 0, 0, 4, 4 }, { 6, 0, 8, 4 } } },
    { "union of a region sharing the last row", { { 0, 0, 4, 2 }, { 6, 0, 8, 2 } }, { { 2, 1, 6, 2 }, { 0, 2, 2, 3 } },
        RGN_OR, { { 0, 0, 4, 1 }, { 6, 0, 8, 1 }, { 0, 1, 8, 2 }, { 0, 2, 2, 3 } } },
    { "union with empty", { { 1, 1, 3, 3 } }, {}, RGN_OR, { { 1, 1, 3, 3 } } },
    { "union of empty", {}, { { 1, 1, 3, 3 } }, RGN_OR, { { 1, 1, 3, 3 } } },
    { "intersect overlapping", { { 0, 0, 10, 10 } }, { { 5, 5, 15, 15 } }, RGN_AND, { { 5, 5, 10, 10 } } },
    { "intersect touching", { { 0, 0, 5, 5 } }, { { 5, 0, 10, 5 } }, RGN_AND, {} },
    { "intersect disjoint", { { 0, 0, 2, 2 } }, { { 4, 4, 6, 6 } }, RGN_AND, {} },
    { "intersect nested", { { 0, 0, 10, 10 } }, { { 2, 2, 4, 4 } }, RGN_AND, { { 2, 2, 4, 4 } } },
    { "intersect across bands", { { 0, 0, 4, 4 }, { 6, 0, 10, 4 }, { 0, 4, 10, 8 } }, { { 2, 2, 8, 6 } }, RGN_AND,
        { { 2, 2, 4, 4 }, { 6, 2, 8, 4 }, { 2, 4, 8, 6 } } },
    { "intersect with empty", { { 0, 0, 10, 10 } }, {}, RGN_AND, {} },
    { "subtract a hole", { { 0, 0, 10, 10 } }, { { 3, 3, 6, 6 } }, RGN_DIFF,
        { { 0, 0, 10, 3 }, { 0, 3, 3, 6 }, { 6, 3, 10, 6 }, { 0, 6, 10, 10 } } },
    { "subtract touching", { { 0, 0, 5, 5 } }, { { 5, 0, 10, 5 } }, RGN_DIFF, { { 0, 0, 5, 5 } } },
    { "subtract covering", { { 2, 2, 4, 4 } }, { { 0, 0, 10, 10 } }, RGN_DIFF, {} },
    { "subtract a middle band", { { 0, 0, 4, 9 } }, { { 0, 3, 4, 6 } }, RGN_DIFF, { { 0, 0, 4, 3 }, { 0, 6, 4, 9 } } },
    { "subtract empty", { { 2, 2, 4, 4 } }, {}, RGN_DIFF, { { 2, 2, 4, 4 } } },
    { "xor overlapping", { { 0, 0, 10, 10 } }, { { 5, 5, 15, 15 } }, RGN_XOR,
        { { 0, 0, 10, 5 }, { 0, 5, 5, 10 }, { 10, 5, 15, 10 }, { 5, 10, 15, 15 } } },
    { "xor touching", { { 0, 0, 5, 5 } }, { { 5, 0, 10, 5 } }, RGN_XOR, { { 0, 0, 10, 5 } } },
    { "xor equal", { { 1, 1, 5, 5 } }, { { 1, 1, 5, 5 } }, RGN_XOR, {} },
    { "xor with empty", {}, { { 1, 1, 5, 5 } }, RGN_XOR, { { 1, 1, 5, 5 } } },
    { "copy", { { 0, 0, 2, 2 }, { 3, 0, 5, 2 } }, { { 9, 9, 10, 10 } }, RGN_COPY, { { 0, 0, 2, 2 }, { 3, 0, 5, 2 } } },
};

} // namespace

TEST(RegionTest, CombineTable)
{
    for (const TOpCase& c : OpCases) {
        SCOPED_TRACE(c.Name);
        const TRegion a = FromRects(c.A);
        const TRegion b = FromRects(c.B);
        const int code = ExpectedComplexity(static_cast<int>(c.Expected.size()));

        TRegion fresh;
        EXPECT_EQ(CombineRgn(fresh, a, b, c.Mode), code);
        TRegion intoA = a;
        EXPECT_EQ(CombineRgn(intoA, intoA, b, c.Mode), code);
        TRegion intoB = b;
        EXPECT_EQ(CombineRgn(intoB, a, intoB, c.Mode), code);
        for (const TRegion* r : { &fresh, &intoA, &intoB }) {
            EXPECT_TRUE(r->SelfCheck());
            EXPECT_EQ(r->Rects(), c.Expected);
            EXPECT_EQ(r->RectCount(), static_cast<int>(c.Expected.size()));
        }
        if (c.Expected.empty()) {
            EXPECT_EQ(fresh.BoundingBox(), TRect {});
        }
    }
}

TEST(RegionTest, PointsOnEdges)
{
    TRegion r(TRect { 0, 0, 10, 10 });
    r.Subtract(TRegion(TRect { 3, 3, 6, 6 }));
    const struct {
        TPoint P;
        bool Inside;
    } points[] = {
        { { 0, 0 }, true }, { { 9, 9 }, true }, { { 10, 5 }, false }, { { 5, 10 }, false },
        { { -1, 0 }, false }, { { 0, -1 }, false }, { { 3, 3 }, false }, { { 5, 5 }, false },
        { { 6, 5 }, true }, { { 5, 6 }, true }, { { 2, 4 }, true }, { { 4, 2 }, true },
    };
    for (const auto& p : points)
        EXPECT_EQ(r.Contains(p.P), p.Inside) << p.P.X << "," << p.P.Y;

    const struct {
        TRect R;
        bool Overlaps;
    } rects[] = {
        { { 10, 0, 12, 2 }, false }, { { 0, 10, 2, 12 }, false }, { { 9, 9, 20, 20 }, true },
        { { 3, 3, 6, 6 }, false }, { { 2, 2, 4, 4 }, true }, { { 5, 5, 7, 6 }, true }, { { 4, 4, 4, 9 }, false },
    };
    for (const auto& c : rects)
        EXPECT_EQ(r.ContainsRect(c.R), c.Overlaps) << c.R.Left << "," << c.R.Top << "," << c.R.Right << "," << c.R.Bottom;
}

TEST(RegionTest, BoundingBoxAndOffset)
{
    TRect box { 1, 1, 1, 1 };
    EXPECT_EQ(GetRgnBox(TRegion(TRect { 5, 5, 5, 9 }), box), NULLREGION);
    EXPECT_EQ(box, TRect {});

    TRegion r = FromRects({ { 0, 0, 4, 2 }, { 6, 0, 8, 2 }, { 2, 2, 10, 3 } });
    EXPECT_EQ(GetRgnBox(r, box), COMPLEXREGION);
    EXPECT_EQ(box, (TRect { 0, 0, 10, 3 }));

    EXPECT_EQ(OffsetRgn(r, -5, 7), COMPLEXREGION);
    EXPECT_TRUE(r.SelfCheck());
    EXPECT_EQ(r.BoundingBox(), (TRect { -5, 7, 5, 10 }));
    EXPECT_EQ(r.Rects(), (TRects { { -5, 7, -1, 9 }, { 1, 7, 3, 9 }, { -3, 9, 5, 10 } }));
    EXPECT_EQ(r.Offsetted(5, -7), FromRects({ { 0, 0, 4, 2 }, { 6, 0, 8, 2 }, { 2, 2, 10, 3 } }));

    // A region emptied by an operation keeps no stale box.
    r.Subtract(TRegion(TRect { -100, -100, 100, 100 }));
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.BoundingBox(), TRect {});
    EXPECT_EQ(r, TRegion());
}

TEST(RegionTest, SamePixelsGiveSameRects)
{
    // A plus sign, built in ways that reach it through different paths.
    const TRects plus = { { 4, 0, 8, 4 }, { 0, 4, 12, 8 }, { 4, 8, 8, 12 } };
    const TRegion reference = FromRects(plus);

    TRegion pixels;
    std::vector<TPoint> points;
    for (const TRect& r : plus)
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                points.push_back({ x, y });
    std::shuffle(points.begin(), points.end(), std::mt19937(7));
    for (TPoint p : points)
        pixels.UnionRect({ p.X, p.Y, p.X + 1, p.Y + 1 });

    TRegion columns;
    for (int x = 11; x >= 0; --x)
        columns.UnionRect(x >= 4 && x < 8 ? TRect { x, 0, x + 1, 12 } : TRect { x, 4, x + 1, 8 });

    TRegion carved(TRect { 0, 0, 12, 12 });
    for (const TRect& corner : TRects { { 0, 0, 4, 4 }, { 8, 8, 12, 12 }, { 8, 0, 12, 4 }, { 0, 8, 4, 12 } })
        carved.Subtract(TRegion(corner));

    TRegion overlapping = FromRects({ { 4, 0, 8, 12 }, { 0, 4, 12, 8 }, { 5, 3, 7, 9 } });

    for (const TRegion* r : { &pixels, &columns, &carved, &overlapping }) {
        EXPECT_TRUE(r->SelfCheck());
        EXPECT_EQ(r->Rects(), plus);
        EXPECT_EQ(*r, reference);
    }
}

TEST(RegionTest, RowLongerThanTheBandAboveSplitsIt)
{
    // Row 1 first repeats row 0, which joins it to row 0's band; its second run must then split
    // that band again instead of widening both rows.
    TRegion r;
    r.UnionRect({ 0, 0, 4, 1 });
    r.UnionRect({ 0, 1, 4, 2 });
    EXPECT_EQ(r.RectCount(), 1);
    r.UnionRect({ 6, 1, 8, 2 });
    EXPECT_TRUE(r.SelfCheck());
    EXPECT_EQ(r.Rects(), (TRects { { 0, 0, 4, 1 }, { 0, 1, 4, 2 }, { 6, 1, 8, 2 } }));
    // A touching run on the split row extends it and leaves row 0 alone.
    r.UnionRect({ 8, 1, 9, 2 });
    EXPECT_EQ(r.Rects(), (TRects { { 0, 0, 4, 1 }, { 0, 1, 4, 2 }, { 6, 1, 9, 2 } }));
    // Row 2 repeats row 1 and joins it.
    r.UnionRect({ 0, 2, 4, 3 });
    r.UnionRect({ 6, 2, 9, 3 });
    EXPECT_EQ(r.Rects(), (TRects { { 0, 0, 4, 1 }, { 0, 1, 4, 3 }, { 6, 1, 9, 3 } }));
    EXPECT_TRUE(r.SelfCheck());
}

TEST(RegionTest, RingMaskBuiltRowByRowEqualsItsPixels)
{
    TMask ring;
    for (int y = 0; y < TMask::N; ++y)
        for (int x = 0; x < TMask::N; ++x) {
            const int dx = 2 * x + 1 - TMask::N;
            const int dy = 2 * y + 1 - TMask::N;
            const int d = dx * dx + dy * dy;
            ring.Set(x, y, d <= TMask::N * TMask::N && d >= 40 * 40);
        }
    // The bar through the middle joins the ring, as the crest's mark does.
    ring.Fill({ 28, 0, 36, TMask::N }, true);

    const TRegion built = ring.RowByRow();
    ExpectMatches(built, ring);

    // The same pieces through CombineRgn into the region itself, and through the general sweep.
    TRegion combined;
    TRegion swept;
    for (int y = 0; y < TMask::N; ++y)
        for (auto [left, right] : ring.Runs(y)) {
            const TRegion piece(TRect { left, y, right, y + 1 });
            CombineRgn(combined, combined, piece, RGN_OR);
            swept = swept.United(piece);
        }
    EXPECT_EQ(combined, built);
    EXPECT_EQ(swept, built);
}

namespace {

TRect RandomRect(std::mt19937& rng)
{
    std::uniform_int_distribution<int> coord(0, TMask::N);
    int l = coord(rng), r = coord(rng), t = coord(rng), b = coord(rng);
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    return { l, t, r, b };
}

// A region and its model from a few random unions and holes.
std::pair<TRegion, TMask> RandomRegion(std::mt19937& rng)
{
    TRegion r;
    TMask m;
    const int steps = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < steps; ++i) {
        const TRect rect = RandomRect(rng);
        const bool hole = i > 0 && rng() % 3 == 0;
        if (hole)
            r.Subtract(TRegion(rect));
        else
            r.UnionRect(rect);
        m.Fill(rect, !hole);
    }
    return { r, m };
}

} // namespace

TEST(RegionTest, RandomOperationsMatchPixelModel)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const auto [a, ma] = RandomRegion(rng);
        const auto [b, mb] = RandomRegion(rng);
        ExpectMatches(a, ma);
        for (TCombineMode mode : { RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF }) {
            SCOPED_TRACE(mode);
            const TMask expected = Combine(ma, mb, mode);
            TRegion fresh;
            TRegion inPlace = a;
            CombineRgn(fresh, a, b, mode);
            CombineRgn(inPlace, inPlace, b, mode);
            ExpectMatches(fresh, expected);
            EXPECT_EQ(inPlace, fresh);
        }
        for (int i = 0; i < 8; ++i) {
            const TRect probe = RandomRect(rng);
            bool expected = false;
            for (int y = probe.Top; y < probe.Bottom && !expected; ++y)
                for (int x = probe.Left; x < probe.Right && !expected; ++x)
                    expected = ma.Get(x, y);
            EXPECT_EQ(a.ContainsRect(probe), expected);
        }
    }
}

TEST(RegionTest, RandomAppendsMatchPixelModel)
{
    // Rectangles that mostly land in or below the last band, so that every branch of the append
    // path (new band, same band, touching, band split, fall back to the sweep) is taken.
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        TRegion r;
        TMask m;
        for (int step = 0; step < 30; ++step) {
            TRect rect = RandomRect(rng);
            if (!r.IsEmpty() && rng() % 4 != 0) {
                const TRect last = r.Rects().back();
                std::uniform_int_distribution<int> small(0, 3);
                int top = last.Top;
                int bottom = last.Bottom;
                switch (rng() % 3) {
                case 0: // into the last band
                    break;
                case 1: // into the last band's lower rows
                    top += small(rng) % last.Height();
                    break;
                default: // below the last band, touching it or not
                    top = last.Bottom + small(rng) % 2;
                    bottom = top + 1 + small(rng);
                    break;
                }
                // Mostly right of the last rectangle or touching it, sometimes overlapping it.
                const int left = last.Right + small(rng) - (rng() % 5 == 0 ? 2 : 0);
                rect = { left, top, left + 1 + small(rng), bottom };
                if (rect.Left < 0 || rect.Right > TMask::N || rect.Bottom > TMask::N)
                    continue;
            }
            r.UnionRect(rect);
            m.Fill(rect, true);
            ASSERT_TRUE(r.SelfCheck()) << step;
        }
        ExpectMatches(r, m);
    }
}
