#include "scene/pixel_array.h"

#include <climits>
#include <new>

namespace tarn {

namespace {

// Pixel count of a picture whose array (count + 1 elements) an int can index,
// or -1.
long long arrayPixelCount(const Picture& picture) {
    if (picture.isNull())
        return -1;
    const long long count = static_cast<long long>(picture.width()) * picture.height();
    return count < INT_MAX ? count : -1;
}

} // namespace

// An empty picture has no pixels to read and gives -1 with an empty array, so a
// caller never masks or tones an array that belongs to no picture.
int getbits(const Picture& picture, PixelArray& array) {
    const long long count = arrayPixelCount(picture);
    array.clear();
    if (count < 0)
        return -1;
    try {
        array.assign(static_cast<std::size_t>(count) + 1, 0u);
    } catch (const std::bad_alloc&) {
        array.clear();
        return -1;
    }
    const int w = picture.width();
    const int h = picture.height();
    std::uint32_t* out = array.data();
    for (int y = h - 1; y >= 0; --y) { // bottom row first
        const std::uint8_t* p = picture.row(y);
        for (int x = 0; x < w; ++x, p += 3)
            *out++ = static_cast<std::uint32_t>(p[2]) | static_cast<std::uint32_t>(p[1]) << 8 |
                     static_cast<std::uint32_t>(p[0]) << 16;
    }
    return static_cast<int>(count);
}

int setbits(Picture& picture, const PixelArray& array) {
    const long long count = arrayPixelCount(picture);
    if (count < 0 || array.size() < static_cast<std::size_t>(count))
        return -1;
    const int w = picture.width();
    const int h = picture.height();
    const std::uint32_t* in = array.data();
    for (int y = h - 1; y >= 0; --y) {
        std::uint8_t* p = picture.row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const std::uint32_t e = *in++;
            p[0] = static_cast<std::uint8_t>(e >> 16);
            p[1] = static_cast<std::uint8_t>(e >> 8);
            p[2] = static_cast<std::uint8_t>(e);
        }
    }
    return 0;
}

} // namespace tarn
