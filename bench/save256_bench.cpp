// The 256-colour encoder beside a linear palette scan, on a composed view of
// the sample parts reduced to 224 colours: short runs of equal pixels broken
// by texture and edges, as a saved dungeon view has them.
#include "interleaved.h"
#include "output/bmp_writer.h"
#include "scene/compose.h"
#include "scene/mask.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using tarn::Picture;

std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// A sample part as the build writes it (bottom-up, 8 bits with a palette or
// 24 bits), read from the program folder.
bool addPart(Picture& canvas, const std::string& file, int x, int y) {
    std::ifstream in(std::string(TARN_SAMPLE_FOLDER) + "/" + file, std::ios::binary);
    const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    if (b.size() < 54)
        return false;
    const int w = static_cast<int>(u32At(b, 18)), h = static_cast<int>(u32At(b, 22));
    const int bits = b[28];
    const std::size_t stride = (static_cast<std::size_t>(w) * bits / 8 + 3) / 4 * 4;
    const std::size_t pixels = u32At(b, 10);
    if ((bits != 8 && bits != 24) || b.size() < pixels + stride * static_cast<std::size_t>(h))
        return false;
    Picture part(w, h);
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u) {
            const std::uint8_t* row = &b[pixels + static_cast<std::size_t>(h - 1 - v) * stride];
            const std::uint8_t* bgr = bits == 24 ? row + 3 * u : &b[54 + 4 * std::size_t{row[u]}];
            part.setPixel(u, v, {bgr[2], bgr[1], bgr[0]});
        }
    tarn::Mask mask(part.width(), part.height());
    tarn::makemask(part, mask, part.width(), part.height());
    tarn::maskedCopy(canvas, part, mask, x, y, part.width(), part.height());
    return true;
}

std::uint32_t key(tarn::Rgb c) {
    return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

// The 224 most frequent colours, every pixel replaced by the nearest of them.
void reduceTo224Colours(Picture& p) {
    std::map<std::uint32_t, int> counts;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            ++counts[key(p.pixel(x, y))];
    std::vector<std::pair<int, std::uint32_t>> byCount;
    for (const auto& [colour, n] : counts)
        byCount.emplace_back(-n, colour);
    std::sort(byCount.begin(), byCount.end());
    byCount.resize(std::min<std::size_t>(byCount.size(), 224));
    std::map<std::uint32_t, tarn::Rgb> nearest;
    for (const auto& [colour, n] : counts) {
        int best = 1 << 30;
        for (const auto& [m, kept] : byCount) {
            int d = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int c =
                    static_cast<int>(colour >> shift & 255) - static_cast<int>(kept >> shift & 255);
                d += c * c;
            }
            if (d < best) {
                best = d;
                nearest[colour] = {static_cast<std::uint8_t>(kept >> 16),
                                   static_cast<std::uint8_t>(kept >> 8),
                                   static_cast<std::uint8_t>(kept)};
            }
        }
    }
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            p.setPixel(x, y, nearest[key(p.pixel(x, y))]);
}

// The sample dungeon view with five objects, reduced to at most 224 colours.
Picture realisticCanvas() {
    Picture canvas(tarn::kCanvasWidth, tarn::kCanvasHeight);
    const char* const terrain[] = {"stone_ug.bmp", "stone_bl.bmp", "stone_br.bmp", "stone_fl.bmp",
                                   "stone_fr.bmp"};
    bool ok = true;
    for (std::size_t i = 1; i <= 5; ++i)
        ok = ok && addPart(canvas, terrain[i - 1], tarn::kSlotPlaces[i].x, tarn::kSlotPlaces[i].y);
    const char* const objects[] = {"ob_door.bmp", "ob_barrel.bmp", "ob_chest.BMP", "ob_torch.bmp",
                                   "dungeon_ob_statue.bmp"};
    for (int k = 0; k < 5; ++k)
        ok = ok && addPart(canvas, objects[k], 30 + k * 90, 120 + (k % 2) * 40);
    if (!ok)
        return {};
    reduceTo224Colours(canvas);
    return canvas;
}

int colourCount(const Picture& p) {
    if (p.isNull())
        return 0;
    std::set<std::uint32_t> colours;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            colours.insert(key(p.pixel(x, y)));
    return static_cast<int>(colours.size());
}

// The palette search as first described: each pixel compared with the used
// entries in order until one matches.
int linearScanEncode256(const Picture& p, bool reserve, tarn::Bytes& out) {
    const int first = reserve ? 10 : 0;
    const int last = reserve ? 245 : 255;
    const std::size_t stride = (static_cast<std::size_t>(p.width()) + 3) / 4 * 4;
    out.assign(1078 + stride * static_cast<std::size_t>(p.height()), 0);
    std::uint8_t* palette = out.data() + 54;
    int used = first - 1;
    for (int y = 0; y < p.height(); ++y) {
        std::uint8_t* row =
            out.data() + 1078 + static_cast<std::size_t>(p.height() - 1 - y) * stride;
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

void BM_Encode256VsLinearScan(benchmark::State& state) {
    const Picture canvas = realisticCanvas();
    const int colours = colourCount(canvas);
    tarn::Bytes expected, out;
    // Both must give the same palette and indices, or the comparison means nothing.
    if (colours < 200 || colours > 236 || tarn::encode256(canvas, true, expected) != 0 ||
        linearScanEncode256(canvas, true, out) != 0 ||
        !std::equal(expected.begin() + 54, expected.end(), out.begin() + 54)) {
        state.SkipWithError(("the picture or the two encoders are not as expected, colours " +
                             std::to_string(colours))
                                .c_str());
        return;
    }
    tarn::bench::interleave(
        state,
        [&] {
            benchmark::DoNotOptimize(tarn::encode256(canvas, true, out));
            benchmark::DoNotOptimize(out.data());
        },
        [&] {
            benchmark::DoNotOptimize(linearScanEncode256(canvas, true, out));
            benchmark::DoNotOptimize(out.data());
        });
    state.counters["colours"] = colours;
}
// The reference is 20-60 times slower: a short target time keeps the run short.
BENCHMARK(BM_Encode256VsLinearScan)->MinTime(0.02)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
