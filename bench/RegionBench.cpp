// Building a window region from a crest-like mask, the way every mask scan does it: each run of
// set pixels becomes a one-row rectangle added with UnionRect, rows top to bottom. The reference
// is the naive build that unites the whole region with each rectangle through the general sweep.
// BM_CrestRowByRow reports naive_ratio: how many times faster than that reference it is, and
// scan_ms, the part of both builds that only walks the mask.

#include "platform/graphics/Region.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// A thick ring touching all four sides (73/600 of the size wide) and a bold X joining it.
const std::vector<std::uint8_t>& CrestMask(int size)
{
    static std::map<int, std::vector<std::uint8_t>> masks;
    auto& mask = masks[size];
    if (!mask.empty())
        return mask;
    mask.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
    const double centre = size / 2.0;
    const double outer = size / 2.0;
    const double width = size * 73.0 / 600.0;
    const double inner = outer - width;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - centre;
            const double dy = y + 0.5 - centre;
            const double d = std::hypot(dx, dy);
            const bool ring = d <= outer && d >= inner;
            const bool bar = d <= inner + width / 2
                && (std::abs(dx - dy) <= width / std::sqrt(2.0) || std::abs(dx + dy) <= width / std::sqrt(2.0));
            mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] = ring || bar;
        }
    return mask;
}

// Calls add(rect) for every run of set pixels, as one-row rectangles.
template <class Add>
void ScanRuns(const std::vector<std::uint8_t>& mask, int size, Add add)
{
    for (int y = 0; y < size; ++y) {
        const std::uint8_t* row = mask.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(size);
        const std::uint8_t* const end = row + size;
        for (const std::uint8_t* p = std::find(row, end, 1); p != end;) {
            const std::uint8_t* const runEnd = std::find(p, end, 0);
            add(TRect { static_cast<int>(p - row), y, static_cast<int>(runEnd - row), y + 1 });
            p = std::find(runEnd, end, 1);
        }
    }
}

TRegion BuildRowByRow(const std::vector<std::uint8_t>& mask, int size)
{
    TRegion region;
    ScanRuns(mask, size, [&region](const TRect& r) { region.UnionRect(r); });
    return region;
}

TRegion BuildNaively(const std::vector<std::uint8_t>& mask, int size)
{
    TRegion region;
    ScanRuns(mask, size, [&region](const TRect& r) { region = region.United(TRegion(r)); });
    return region;
}

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// The naive build by size: seconds per build and its result, kept by BM_CrestNaiveUnion, which
// is registered first, so that the reference is not built again for the ratio.
struct TNaiveRun {
    double Seconds = 0;
    TRegion Region;
};

std::map<int, TNaiveRun>& NaiveRuns()
{
    static std::map<int, TNaiveRun> runs;
    return runs;
}

void BM_CrestNaiveUnion(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const auto& mask = CrestMask(size);
    TRegion region;
    const TClock::time_point start = TClock::now();
    for (auto _ : state) {
        region = BuildNaively(mask, size);
        benchmark::DoNotOptimize(region);
    }
    const double seconds = SecondsSince(start) / static_cast<double>(state.iterations());
    state.counters["rects"] = region.RectCount();
    NaiveRuns()[size] = { seconds, std::move(region) };
}

void BM_CrestRowByRow(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const auto& mask = CrestMask(size);
    if (!NaiveRuns().contains(size)) {
        // Run on its own (filtered): measure the reference once here.
        const TClock::time_point start = TClock::now();
        TRegion region = BuildNaively(mask, size);
        NaiveRuns()[size] = { SecondsSince(start), std::move(region) };
    }
    const TNaiveRun& naive = NaiveRuns()[size];
    TRegion region;
    const TClock::time_point start = TClock::now();
    for (auto _ : state) {
        region = BuildRowByRow(mask, size);
        benchmark::DoNotOptimize(region);
    }
    const double seconds = SecondsSince(start) / static_cast<double>(state.iterations());
    if (!(region == naive.Region)) {
        state.SkipWithError("the row-by-row build differs from the naive one");
        return;
    }
    // The mask scan alone, so that the share of the region work can be read off.
    const TClock::time_point scanStart = TClock::now();
    int runs = 0;
    for (int i = 0; i < 3; ++i)
        ScanRuns(mask, size, [&runs](const TRect&) { ++runs; });
    benchmark::DoNotOptimize(runs);
    state.counters["scan_ms"] = SecondsSince(scanStart) / 3 * 1e3;
    state.counters["rects"] = region.RectCount();
    state.counters["naive_ms"] = naive.Seconds * 1e3;
    state.counters["fast_ms"] = seconds * 1e3;
    state.counters["naive_ratio"] = naive.Seconds / seconds;
}

} // namespace

BENCHMARK(BM_CrestNaiveUnion)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrestNaiveUnion)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrestRowByRow)->Arg(600)->Arg(4096)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
