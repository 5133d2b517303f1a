// recompose beside two yardsticks: the same composition done one pixel at a
// time through bounds-checked accessors, and a plain memcpy of as many bytes as
// the composition reads from the pictures and masks.
#include "interleaved.h"
#include "scene/compose.h"
#include "scene/mask.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tarn;

// A part with a gradient body and a key-coloured area around an ellipse, as a
// drawn wall or object has; masked the way the program masks it.
PartImagePtr makePart(int w, int h, int seed) {
    const Rgb key{255, 0, 255};
    Picture picture(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
            const bool inside = dx * dx + dy * dy < 0.9;
            picture.setPixel(x, y,
                             inside ? Rgb{static_cast<std::uint8_t>(x * 3 + seed),
                                          static_cast<std::uint8_t>(y * 5 + seed * 7),
                                          static_cast<std::uint8_t>(x + y + seed * 13)}
                                    : key);
        }
    Mask mask(w, h);
    makemask(picture, mask, w, h);
    return std::make_shared<PartImage>(PartImage{std::move(picture), std::move(mask)});
}

struct Item {
    const Picture* picture;
    const Mask* mask;
    int x, y;
};

struct BenchScene {
    Scene scene;
    std::vector<Item> order; // the painter's order, for the reference
    std::size_t bytesRead = 0;

    BenchScene() {
        const int sizes[6][2] = {{0, 0},     {320, 160}, {240, 160},
                                 {240, 160}, {240, 200}, {240, 200}};
        for (int i = 1; i <= kSlotCount; ++i) {
            Slot& s = scene.slot(i);
            s.name = "part" + std::to_string(i);
            s.image = makePart(sizes[i][0], sizes[i][1], i);
        }
        for (int k = 0; k < kMaxObjects; ++k) {
            ObjectRow row;
            row.x = 20 + k * 43;
            row.y = 60 + (k % 3) * 50;
            row.layer = k % 2 ? Layer::InFront : Layer::BehindFront;
            row.shown = row.source = makePart(64, 80, 20 + k);
            scene.objects.push_back(row);
        }
        for (int i = 1; i <= kSlotCount; ++i) {
            const Slot& s = scene.slot(i);
            add(s.picture(), s.mask(), kSlotPlaces[static_cast<std::size_t>(i)].x,
                kSlotPlaces[static_cast<std::size_t>(i)].y);
            if (i == 3)
                addObjects(Layer::BehindFront);
        }
        addObjects(Layer::InFront);
    }

    void addObjects(Layer layer) {
        for (const ObjectRow& row : scene.objects)
            if (row.layer == layer)
                add(row.picture(), row.mask(), row.x, row.y);
    }

    void add(const Picture& p, const Mask& m, int x, int y) {
        order.push_back({&p, &m, x, y});
        const int w = std::max(0, std::min(x + p.width(), kCanvasWidth) - std::max(x, 0));
        const int h = std::max(0, std::min(y + p.height(), kCanvasHeight) - std::max(y, 0));
        bytesRead += static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3 * 2;
    }
};

BenchScene& benchScene() {
    static BenchScene s;
    return s;
}

std::uint8_t byteOf(int v) {
    return static_cast<std::uint8_t>(v);
}

// The two raster operations over the whole rectangle, one pixel at a time.
void perPixelCopy(Picture& d, const Item& item) {
    for (int pass = 0; pass < 2; ++pass)
        for (int v = 0; v < item.picture->height(); ++v)
            for (int u = 0; u < item.picture->width(); ++u) {
                const int cx = item.x + u, cy = item.y + v;
                if (!d.contains(cx, cy))
                    continue;
                const Rgb dst = d.pixel(cx, cy);
                if (pass == 0) {
                    const Rgb m = item.mask->pixel(u, v);
                    d.setPixel(cx, cy,
                               {byteOf(m.r & ~dst.r), byteOf(m.g & ~dst.g), byteOf(m.b & ~dst.b)});
                } else {
                    const Rgb p = item.picture->pixel(u, v);
                    d.setPixel(cx, cy,
                               {byteOf(p.r ^ dst.r), byteOf(p.g ^ dst.g), byteOf(p.b ^ dst.b)});
                }
            }
}

void recomposeOnce(BenchScene& b) {
    recompose(b.scene);
    benchmark::DoNotOptimize(b.scene.canvas.bits());
    benchmark::ClobberMemory();
}

void BM_RecomposeVsPerPixel(benchmark::State& state) {
    BenchScene& b = benchScene();
    Picture canvas(kCanvasWidth, kCanvasHeight);
    tarn::bench::interleave(
        state, [&] { recomposeOnce(b); },
        [&] {
            canvas.fill(kBlack);
            for (const Item& item : b.order)
                perPixelCopy(canvas, item);
            benchmark::DoNotOptimize(canvas.bits());
            benchmark::ClobberMemory();
        });
    if (!(canvas == b.scene.canvas))
        state.SkipWithError("reference and recompose disagree");
}
BENCHMARK(BM_RecomposeVsPerPixel)->MinTime(0.05)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RecomposeVsMemcpyFloor(benchmark::State& state) {
    BenchScene& b = benchScene();
    const std::size_t n = b.bytesRead;
    std::vector<std::uint8_t> source(n, 0x5A), target(n);
    tarn::bench::interleave(
        state, [&] { recomposeOnce(b); },
        [&] {
            std::memcpy(target.data(), source.data(), n);
            benchmark::DoNotOptimize(target.data());
            benchmark::ClobberMemory();
        },
        tarn::bench::RatioIs::AboveFloor);
    state.counters["bytes"] = static_cast<double>(n);
}
BENCHMARK(BM_RecomposeVsMemcpyFloor)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
