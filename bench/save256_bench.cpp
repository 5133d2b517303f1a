#include "output/bmp_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// A full canvas using 236 colours, neighbours always different: the worst case
// for the palette search, and exactly what fits with the reservation on.
tarn::Picture canvasOf236Colours() {
    tarn::Picture p(478, 278);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const int c = (x * 7 + y * 13) % 236;
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(255 - c),
                        static_cast<std::uint8_t>(c * 7)});
        }
    return p;
}

// The palette search as first described: each pixel compared with the used
// entries in order until one matches.
int linearScanEncode256(const tarn::Picture& p, bool reserve, tarn::Bytes& out) {
    const int first = reserve ? 10 : 0;
    const int last = reserve ? 245 : 255;
    const std::size_t stride = (static_cast<std::size_t>(p.width()) + 3) / 4 * 4;
    out.assign(1078 + stride * p.height(), 0);
    std::uint8_t* palette = out.data() + 54;
    int used = first - 1;
    for (int y = 0; y < p.height(); ++y) {
        std::uint8_t* row = out.data() + 1078 + (p.height() - 1 - y) * stride;
        for (int x = 0; x < p.width(); ++x) {
            const tarn::Rgb c = p.pixel(x, y);
            int e = first;
            for (; e <= used; ++e) {
                const std::uint8_t* entry = palette + 4 * e;
                if (entry[0] == c.b && entry[1] == c.g && entry[2] == c.r)
                    break;
            }
            if (e > used) {
                if (++used > last)
                    return 3;
                palette[4 * e] = c.b;
                palette[4 * e + 1] = c.g;
                palette[4 * e + 2] = c.r;
            }
            row[x] = static_cast<std::uint8_t>(e);
        }
    }
    return 0;
}

void BM_Encode256(benchmark::State& state) {
    const tarn::Picture canvas = canvasOf236Colours();
    tarn::Bytes out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarn::encode256(canvas, true, out));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Encode256)->Unit(benchmark::kMicrosecond);

void BM_Encode256LinearScan(benchmark::State& state) {
    const tarn::Picture canvas = canvasOf236Colours();
    tarn::Bytes expected, out;
    // Both must give the same palette and indices, or the comparison means nothing.
    if (tarn::encode256(canvas, true, expected) != 0 ||
        linearScanEncode256(canvas, true, out) != 0 ||
        !std::equal(expected.begin() + 54, expected.end(), out.begin() + 54)) {
        state.SkipWithError("table lookup and linear scan disagree");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(linearScanEncode256(canvas, true, out));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Encode256LinearScan)->Unit(benchmark::kMicrosecond);

} // namespace
