#pragma once

#include "scene/picture.h"

#include <cstdint>

namespace tarn::test {

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

} // namespace tarn::test
