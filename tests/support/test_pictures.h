#pragma once

#include "scene/picture.h"

#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

namespace tarn {

// Readable failure messages for colours.
inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

namespace test {

inline constexpr Rgb kKey{255, 0, 255};

// Every pixel different and no channel symmetric, so a flipped row order, a
// swapped channel or a wrong stride all show. `seed` tells pictures apart.
inline Picture patterned(int w, int h, int seed = 0) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(x * 7 + 1 + seed * 40),
                        static_cast<std::uint8_t>(y * 13 + 2 + seed),
                        static_cast<std::uint8_t>(x * 3 + y * 5 + 100 + seed * 17)});
    return p;
}

// A part as it comes from disk: key colour at (0, 0) and along the right
// column, so the mask has a transparent L-shape that shows any mirroring.
inline Picture part(int w, int h, int seed) {
    Picture p = patterned(w, h, seed);
    for (int y = 0; y < h; ++y)
        p.setPixel(w - 1, y, kKey);
    p.setPixel(0, 0, kKey);
    return p;
}

// Pixels given row by row, top row first.
inline Picture pictureOf(int width, int height, const std::vector<Rgb>& pixels) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, pixels[static_cast<std::size_t>(y * width + x)]);
    return p;
}

inline Picture randomPicture(int width, int height, std::mt19937& rng) {
    Picture p(width, height);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < p.byteCount(); ++i)
        p.bits()[i] = static_cast<std::uint8_t>(byte(rng));
    return p;
}

} // namespace test
} // namespace tarn
