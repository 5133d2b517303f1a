#include "scene/mask.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarn {

namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFFu; // blue, green, red; byte 3 is ignored
constexpr std::uint32_t kWhiteElement = 0x00FFFFFFu;
constexpr std::uint32_t kBlackElement = 0u;

bool sameRgb(const std::uint8_t* a, const std::uint8_t* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

void mirrorRowInPlace(std::uint8_t* row, int width) {
    for (int l = 0, r = width - 1; l < r; ++l, --r)
        std::swap_ranges(row + l * 3, row + l * 3 + 3, row + r * 3);
}

} // namespace

// Every pixel is read once and written once, with the key taken before the
// first write, so the pair can be built in place: there is no working raster
// to fail, and a picture is never left half masked.
void makemask(Picture& picture, Mask& mask, int width, int height) {
    const int w = std::min(width, picture.width());
    const int h = std::min(height, picture.height());
    if (w <= 0 || h <= 0)
        return;
    std::uint8_t key[3];
    std::memcpy(key, picture.row(0), 3);
    // A mask of the wrong size is written only where it exists.
    const int maskW = std::clamp(mask.width(), 0, w);
    const int maskH = std::clamp(mask.height(), 0, h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = picture.row(y);
        std::uint8_t* m = y < maskH ? mask.row(y) : nullptr;
        for (int x = 0; x < w; ++x, p += 3) {
            const bool isKey = sameRgb(p, key);
            if (isKey)
                std::memset(p, 0xFF, 3);
            if (m && x < maskW)
                std::memset(m + x * 3, isKey ? 0xFF : 0x00, 3);
        }
    }
}

void maskbits(PixelArray& p, PixelArray& m, int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (p.size() <= count || m.size() <= count)
        return; // not a pair read by getbits for this size
    const std::uint32_t key = p[count - static_cast<std::size_t>(width)] & kColourBits;
    for (std::size_t e = 0; e <= count; ++e) {
        if ((p[e] & kColourBits) == key) {
            p[e] = kWhiteElement;
            m[e] = kWhiteElement;
        } else {
            m[e] = kBlackElement;
        }
    }
}

// A block reaching past the source is refused rather than clipped: clipping
// would move the mirror axis and silently give a wrong picture.
void flippic(const Picture& source, int width, int height, Picture& destination,
             std::int16_t type) {
    if (type != 1 && type != 2)
        return;
    if (width <= 0 || height <= 0 || width > source.width() || height > source.height())
        return;
    const std::size_t spanBytes = static_cast<std::size_t>(width) * 3;
    if (&source == &destination) {
        if (type == 1) {
            for (int y = 0; y < height; ++y)
                mirrorRowInPlace(destination.row(y), width);
        } else {
            for (int t = 0, b = height - 1; t < b; ++t, --b)
                std::swap_ranges(destination.row(t), destination.row(t) + spanBytes,
                                 destination.row(b));
        }
        return;
    }
    // A smaller destination takes what fits at its top-left corner.
    const int dw = std::min(width, destination.width());
    const int dh = std::min(height, destination.height());
    for (int y = 0; y < dh; ++y) {
        std::uint8_t* d = destination.row(y);
        if (type == 1) {
            const std::uint8_t* s = source.row(y);
            for (int x = 0; x < dw; ++x)
                std::memcpy(d + x * 3, s + (width - 1 - x) * 3, 3);
        } else {
            std::memcpy(d, source.row(height - 1 - y), static_cast<std::size_t>(dw) * 3);
        }
    }
}

} // namespace tarn
