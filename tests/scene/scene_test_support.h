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

// Pixels given row by row, top row first.
inline Picture pictureOf(int width, int height, const std::vector<Rgb>& pixels) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, pixels[static_cast<std::size_t>(y * width + x)]);
    return p;
}

// Every pixel a different colour in every channel, so flipped rows, swapped
// channels and wrong strides all show.
inline Picture distinctPicture(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(10 + x * 20 + y),
                        static_cast<std::uint8_t>(100 + y * 30 + x),
                        static_cast<std::uint8_t>(200 - x * 7 - y * 11)});
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
