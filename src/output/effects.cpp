#include "output/effects.h"

#include <cmath>
#include <cstdint>

namespace tarn {

namespace {

// Element bytes, low to high: blue, green, red, and a fourth byte the effects
// leave as they find it.
struct Channels {
    std::uint32_t b, g, r;
};

Channels channelsOf(std::uint32_t e) {
    return {e & 0xFF, (e >> 8) & 0xFF, (e >> 16) & 0xFF};
}

std::uint32_t withChannels(std::uint32_t e, std::uint32_t b, std::uint32_t g, std::uint32_t r) {
    return (e & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// Rounds half away from zero; the one exact half among the products,
// 250 x 0.494 = 123.5, becomes 124.
std::uint32_t scaled(std::uint32_t channel, double factor) {
    return static_cast<std::uint32_t>(std::lround(channel * factor));
}

template <typename Tone> void tone(Picture& canvas, PixelArray& work, Tone toneElement) {
    const int n = getbits(canvas, work);
    if (n == -1)
        return;
    // 0 to n takes in the spare element too; it is 0 and stays 0.
    for (int k = 0; k <= n; ++k)
        work[k] = toneElement(work[k]);
    setbits(canvas, work);
}

} // namespace

void grayscale(Picture& canvas, PixelArray& work) {
    tone(canvas, work, [](std::uint32_t e) {
        const Channels c = channelsOf(e);
        const std::uint32_t gray = (c.b + c.g + c.r) / 3;
        return withChannels(e, gray, gray, gray);
    });
}

void sepia(Picture& canvas, PixelArray& work) {
    tone(canvas, work, [](std::uint32_t e) {
        const Channels c = channelsOf(e);
        return withChannels(e, scaled(c.b, 0.123), scaled(c.g, 0.383), scaled(c.r, 0.494));
    });
}

} // namespace tarn
