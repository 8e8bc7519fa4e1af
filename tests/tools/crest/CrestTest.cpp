#include "platform/graphics/BmpCodec.h"
#include "tools/crest/CrestDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

struct TEditionCase {
    TCrestEdition Edition;
    const char* File;
    std::size_t PaletteSize;
    unsigned CrestIndex; // ring and mark
    unsigned GroundIndex; // corners and gaps
};

constexpr TEditionCase Editions[] = {
    { ceStandard, "crest-standard.bmp", 3, 2, 1 },
    { ceReverse, "crest-reverse.bmp", 16, 1, 2 },
};

constexpr int N = 600;

TBytes Committed(const char* name)
{
    std::ifstream in(std::string(PAKKORIN_SOURCE_DIR) + "/app/" + name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Get16(const TBytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Get32(const TBytes& b, std::size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

unsigned IndexAt(const TDibImage& image, int x, int y)
{
    std::uint8_t byte = image.Row(y)[x >> 1];
    return (x & 1) ? (byte & 15) : (byte >> 4);
}

// Squared distance of a pixel centre from the centre of the square, in doubled coordinates so
// that it stays an integer: a pixel is ring when 454^2 <= d < 600^2.
long Distance2(int x, int y)
{
    long dx = 2L * x + 1 - N;
    long dy = 2L * y + 1 - N;
    return dx * dx + dy * dy;
}
constexpr long Inner2 = 454L * 454;
constexpr long Outer2 = 600L * 600;

// The crest's pixels (ring and mark) of a committed file, as our own reader decodes it.
struct TShape {
    int Size = 0;
    std::vector<char> Crest;

    bool At(int x, int y) const { return Crest[y * Size + x] != 0; }
};

TShape ShapeOf(const TDibImage& image, unsigned crestIndex)
{
    TShape s { image.Width, std::vector<char>(static_cast<std::size_t>(image.Width) * image.Height) };
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            s.Crest[y * s.Size + x] = IndexAt(image, x, y) == crestIndex;
    return s;
}

// Nearest-neighbour downscale sampling each target pixel's centre, as a stretched picture does.
TShape Downscaled(const TShape& s, int size)
{
    TShape small { size, std::vector<char>(static_cast<std::size_t>(size) * size) };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            small.Crest[y * size + x] = s.At((2 * x + 1) * s.Size / (2 * size), (2 * y + 1) * s.Size / (2 * size));
    return small;
}

// Connected components of the pixels that satisfy `in`, with 4 or 8 neighbours.
int Components(int size, const std::function<bool(int, int)>& in, int neighbours)
{
    std::vector<char> seen(static_cast<std::size_t>(size) * size, 0);
    std::vector<std::pair<int, int>> stack;
    int count = 0;
    for (int y0 = 0; y0 < size; ++y0)
        for (int x0 = 0; x0 < size; ++x0) {
            if (seen[y0 * size + x0] || !in(x0, y0))
                continue;
            ++count;
            seen[y0 * size + x0] = 1;
            stack.push_back({ x0, y0 });
            while (!stack.empty()) {
                auto [x, y] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if ((dx == 0 && dy == 0) || (neighbours == 4 && dx != 0 && dy != 0))
                            continue;
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= size || ny >= size || seen[ny * size + nx] || !in(nx, ny))
                            continue;
                        seen[ny * size + nx] = 1;
                        stack.push_back({ nx, ny });
                    }
            }
        }
    return count;
}

// The ring and the mark must hold together even through a corner-less path, and the gaps must
// stay apart even across a diagonal touch, so each side gets the stricter neighbourhood.
int CrestComponents(const TShape& s)
{
    return Components(s.Size, [&](int x, int y) { return s.At(x, y); }, 4);
}
int GapComponents(const TShape& s)
{
    // The disc of the picture, scaled to s.Size; outside it lie the corners, not gaps.
    auto insideOuter = [&](int x, int y) {
        long dx = 2L * x + 1 - s.Size, dy = 2L * y + 1 - s.Size;
        return dx * dx + dy * dy < long { s.Size } * s.Size;
    };
    return Components(s.Size, [&](int x, int y) { return !s.At(x, y) && insideOuter(x, y); }, 8);
}

TShape CommittedShape(const TEditionCase& c)
{
    TBytes file = Committed(c.File);
    EXPECT_FALSE(file.empty()) << c.File;
    if (file.empty())
        return { N, std::vector<char>(N * N, 0) };
    return ShapeOf(ReadBmp(file), c.CrestIndex);
}

TEST(Crest, CommittedFilesAreWhatTheDrawingGives)
{
    for (const TEditionCase& c : Editions) {
        SCOPED_TRACE(c.File);
        TBytes file = Committed(c.File);
        TBytes drawn = WriteBmp(DrawCrest(c.Edition));
        ASSERT_EQ(file.size(), drawn.size()) << "redraw with: cmake --build build --target crest_bitmaps";
        auto mismatch = std::mismatch(file.begin(), file.end(), drawn.begin());
        EXPECT_TRUE(mismatch.first == file.end()) << "first difference at byte " << (mismatch.first - file.begin())
                                                  << "; redraw with: cmake --build build --target crest_bitmaps";
        EXPECT_STREQ(CrestFileName(c.Edition), c.File);
    }
}

TEST(Crest, HeaderDescribesAFourBitBottomUpPictureWithTheEditionsPalette)
{
    for (const TEditionCase& c : Editions) {
        SCOPED_TRACE(c.File);
        TBytes b = Committed(c.File);
        const std::size_t offBits = 14 + 40 + 4 * c.PaletteSize;
        const std::size_t imageSize = 300 * N; // 600 nibbles a row, already a multiple of 4 bytes
        ASSERT_EQ(b.size(), offBits + imageSize);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(Get32(b, 2), b.size());
        EXPECT_EQ(Get32(b, 10), offBits);
        EXPECT_EQ(Get32(b, 14), 40u);
        EXPECT_EQ(Get32(b, 18), 600u);
        EXPECT_EQ(Get32(b, 22), 600u) << "a positive height stores the rows bottom-up";
        EXPECT_EQ(Get16(b, 26), 1u);
        EXPECT_EQ(Get16(b, 28), 4u);
        EXPECT_EQ(Get32(b, 30), 0u);
        EXPECT_EQ(Get32(b, 34), imageSize);
        EXPECT_EQ(Get32(b, 38), 2834u);
        EXPECT_EQ(Get32(b, 42), 2834u);
        EXPECT_EQ(Get32(b, 46), c.PaletteSize);
        for (std::size_t i = 0; i < c.PaletteSize; ++i) {
            const std::uint32_t expected = i == 0 ? 0xFFFFFF : i == 1 ? 0xFF00FF : 0x000000;
            EXPECT_EQ(Get32(b, 54 + 4 * i), expected) << "palette entry " << i;
        }
    }
}

TEST(Crest, EveryPixelIsRingMarkOrGroundInTheEditionsColours)
{
    std::vector<TShape> shapes;
    for (const TEditionCase& c : Editions) {
        SCOPED_TRACE(c.File);
        TBytes file = Committed(c.File);
        ASSERT_FALSE(file.empty());
        TDibImage image = ReadBmp(file);
        ASSERT_EQ(image.Width, N);
        ASSERT_EQ(image.Height, N);
        int wrong = 0;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                const unsigned index = IndexAt(image, x, y);
                const long d2 = Distance2(x, y);
                const bool ok = d2 >= Outer2 ? index == c.GroundIndex
                    : d2 >= Inner2           ? index == c.CrestIndex
                                             : (index == c.CrestIndex || index == c.GroundIndex);
                if (!ok && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") has index " << index;
            }
        EXPECT_EQ(wrong, 0);
        shapes.push_back(ShapeOf(image, c.CrestIndex));
    }
    EXPECT_TRUE(shapes[0].Crest == shapes[1].Crest) << "both editions draw the same crest";
}

TEST(Crest, RingIsSeventyThreeWideAcrossTheMiddleAndTouchesEverySide)
{
    const TShape s = CommittedShape(Editions[0]);
    // Runs of crest pixels inward from each end of the two middle rows and columns.
    for (int middle : { 299, 300 })
        for (bool alongRow : { true, false })
            for (bool fromStart : { true, false }) {
                SCOPED_TRACE(testing::Message() << (alongRow ? "row " : "column ") << middle << (fromStart ? " from 0" : " from 599"));
                int run = 0;
                for (int i = 0; i < N; ++i) {
                    int along = fromStart ? i : N - 1 - i;
                    if (!(alongRow ? s.At(along, middle) : s.At(middle, along)))
                        break;
                    ++run;
                }
                EXPECT_EQ(run, 73);
            }
}

TEST(Crest, HasTheSquaresMirrorSymmetries)
{
    const TShape s = CommittedShape(Editions[0]);
    int asymmetric = 0;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const bool v = s.At(x, y);
            if (v != s.At(N - 1 - x, y) || v != s.At(x, N - 1 - y) || v != s.At(y, x))
                ++asymmetric;
        }
    EXPECT_EQ(asymmetric, 0);
}

TEST(Crest, MarkIsOneShapeWithTheRingAndLeavesSeparateGaps)
{
    struct TScaleCase {
        int Size;
        double MinMarkShare; // of the pixels inside the ring
    };
    const TScaleCase scales[] = { { 600, 0.4 }, { 100, 0.4 } };
    const TShape full = CommittedShape(Editions[0]);
    for (const TScaleCase& sc : scales) {
        SCOPED_TRACE(testing::Message() << sc.Size << " x " << sc.Size);
        const TShape s = Downscaled(full, sc.Size);
        EXPECT_EQ(CrestComponents(s), 1) << "the mark joins the ring";
        EXPECT_GE(GapComponents(s), 4) << "the mark joins the ring at several places";
        int inside = 0, mark = 0;
        for (int y = 0; y < sc.Size; ++y)
            for (int x = 0; x < sc.Size; ++x) {
                // The source pixel a small pixel shows must lie inside the ring.
                int sx = (2 * x + 1) * N / (2 * sc.Size), sy = (2 * y + 1) * N / (2 * sc.Size);
                if (Distance2(sx, sy) >= Inner2)
                    continue;
                ++inside;
                mark += s.At(x, y);
            }
        ASSERT_GT(inside, 0);
        EXPECT_GE(double(mark) / inside, sc.MinMarkShare);
    }
}

} // namespace
