// How much of a big photo's decoding an area read saves, and what the stamp encoder costs.
// Each figure is a ratio against a reference measured in the same run: a full decode of the same
// file, and libjpeg's compressor fed ready RGB rows with the same settings.

#include "platform/graphics/JpegCodec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// Smooth gradients, a few soft waves and a little fine texture, which compresses like a photo
// rather than like a flat test card.
TDibImage PhotoLike(int width, int height)
{
    TDibImage image;
    image.Allocate(width, height, 24);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image.Row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 29) - 4;
            const double wave = std::sin(x / 97.0) * std::cos(y / 61.0);
            const int r = static_cast<int>(90 + 80.0 * x / width + 40 * wave) + grain;
            const int g = static_cast<int>(70 + 100.0 * y / height + 30 * std::sin((x + y) / 45.0)) + grain;
            const int b = static_cast<int>(120 + 60 * wave - 30.0 * y / height) + grain;
            p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
        }
    }
    return image;
}

const std::vector<std::uint8_t>& BigPhoto()
{
    static const std::vector<std::uint8_t> file = EncodeJpeg(PhotoLike(6000, 4000), 80);
    return file;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_DecodeCentredAreaVsAll(benchmark::State& state)
{
    const TJpegDecoder decoder(BigPhoto());
    const TRect area = Bounds((decoder.Width() - 600) / 2, (decoder.Height() - 600) / 2, 600, 600);
    double areaTotal = 0, allTotal = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        TDibImage part = decoder.Decode(area);
        const auto t1 = std::chrono::steady_clock::now();
        TDibImage all = decoder.DecodeAll();
        const auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(part.Bits.data());
        benchmark::DoNotOptimize(all.Bits.data());
        areaTotal += Seconds(t1 - t0);
        allTotal += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["area_ms"] = 1000 * areaTotal / n;
    state.counters["all_ms"] = 1000 * allTotal / n;
    state.counters["area_over_all"] = areaTotal / allTotal;
    state.counters["file_MB"] = static_cast<double>(BigPhoto().size()) / 1e6;
}
BENCHMARK(BM_DecodeCentredAreaVsAll)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// libjpeg's compressor on rows that are already RGB, with the settings EncodeJpeg promises.
std::size_t ReferenceEncode(const std::vector<JSAMPLE>& rgb, int width, int height)
{
    jpeg_compress_struct c {};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 80, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<std::size_t>(y) * width * 3);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return size;
}

void BM_EncodeStamp(benchmark::State& state)
{
    const TDibImage stamp = PhotoLike(600, 600);
    std::vector<JSAMPLE> rgb(600 * 600 * 3);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x) {
            const std::uint8_t* p = stamp.Row(y) + x * 3;
            JSAMPLE* q = rgb.data() + (static_cast<std::size_t>(y) * 600 + x) * 3;
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    double oursTotal = 0, referenceTotal = 0;
    std::size_t bytes = 0;
    bool referenceFirst = false;
    for (auto _ : state) {
        // Alternating which runs first keeps cache warmth from favouring either side.
        double reference = 0;
        if (referenceFirst) {
            const auto t0 = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(ReferenceEncode(rgb, 600, 600));
            reference = Seconds(std::chrono::steady_clock::now() - t0);
        }
        const auto t0 = std::chrono::steady_clock::now();
        std::vector<std::uint8_t> file = EncodeJpeg(stamp, 80);
        const double ours = Seconds(std::chrono::steady_clock::now() - t0);
        if (!referenceFirst) {
            const auto t1 = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(ReferenceEncode(rgb, 600, 600));
            reference = Seconds(std::chrono::steady_clock::now() - t1);
        }
        referenceFirst = !referenceFirst;
        bytes = file.size();
        oursTotal += ours;
        referenceTotal += reference;
        state.SetIterationTime(ours);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["encode_ms"] = 1000 * oursTotal / n;
    state.counters["reference_ms"] = 1000 * referenceTotal / n;
    state.counters["over_reference"] = oursTotal / referenceTotal;
    state.counters["file_KB"] = static_cast<double>(bytes) / 1e3;
}
BENCHMARK(BM_EncodeStamp)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
