// Shared drawing helpers of the sample part generator.
#pragma once

#include "scene/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace sample {

using tarn::Picture;
using tarn::Rgb;

// Every sample part keeps this colour at its top-left pixel: its transparent colour.
inline constexpr Rgb kKey{255, 0, 255};

inline double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Deterministic noise in [0, 1) from integer coordinates.
inline double hash01(int a, int b, int c = 0) {
    std::uint32_t h = static_cast<std::uint32_t>(a) * 0x8da6b343u ^
                      static_cast<std::uint32_t>(b) * 0xd8163841u ^
                      static_cast<std::uint32_t>(c) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<double>(h & 0xffffffu) / 16777216.0;
}

// Smooth noise in [0, 1): bilinear blend of lattice values.
inline double valueNoise(double x, double y, int seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = smoothstep(0, 1, x - fx);
    const double ty = smoothstep(0, 1, y - fy);
    const double a = hash01(ix, iy, seed);
    const double b = hash01(ix + 1, iy, seed);
    const double c = hash01(ix, iy + 1, seed);
    const double d = hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Two octaves of value noise, about 0.5 on average.
inline double grain(double x, double y, int seed) {
    return 0.65 * valueNoise(x, y, seed) + 0.35 * valueNoise(x * 2.7, y * 2.7, seed + 17);
}

// A material: its colours from darkness up to full light.
struct Ramp {
    Rgb dark;
    Rgb mid;
    Rgb light;
};

inline Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// Turns brightness into colour. Palette parts use a fixed number of steps per
// material, so a part of three materials stays well inside 256 colours.
struct Shader {
    int levels = 0; // 0: every brightness (24-bit parts)

    Rgb shade(const Ramp& ramp, double brightness) const {
        double b = clamp01(brightness);
        if (levels > 1)
            b = std::round(b * (levels - 1)) / (levels - 1);
        return b < 0.5 ? mix(ramp.dark, ramp.mid, b * 2) : mix(ramp.mid, ramp.light, (b - 0.5) * 2);
    }
};

inline constexpr int kPaletteLevels = 80;

// A w x h part on the key colour; `at` gives the colour at a pixel's centre, or
// nothing where the key shows through.
template <typename At> Picture paint(int w, int h, At at) {
    Picture p(w, h, kKey);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (const std::optional<Rgb> c = at(x + 0.5, y + 0.5))
                p.setPixel(x, y, *c);
    return p;
}

// Writes a part: 24-bit or 8-bit palette BMP. False (with a message) on failure.
bool writePart(const Picture& picture, const std::string& folder, const std::string& name,
               bool palette);

// The object parts, each on the key colour.
bool writeObjects(const std::string& folder);

} // namespace sample
