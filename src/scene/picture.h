#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarn {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// A 24-bit raster with its origin at the top-left pixel. Rows run top-down and
// are packed R, G, B with no padding, so a row is one contiguous span of bytes.
class Picture {
  public:
    Picture() = default;
    // Sizes below 1 give an empty picture.
    Picture(int width, int height, Rgb fill = kBlack);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width_) * 3; }

    Rgb pixel(int x, int y) const {
        const std::uint8_t* p = &data_[offset(x, y)];
        return {p[0], p[1], p[2]};
    }
    void setPixel(int x, int y, Rgb c) {
        std::uint8_t* p = &data_[offset(x, y)];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::uint8_t* row(int y) { return data_.data() + static_cast<std::size_t>(y) * rowBytes(); }
    const std::uint8_t* row(int y) const {
        return data_.data() + static_cast<std::size_t>(y) * rowBytes();
    }
    std::uint8_t* bits() { return data_.data(); }
    const std::uint8_t* bits() const { return data_.data(); }
    std::size_t byteCount() const { return data_.size(); }

    void fill(Rgb c);

    friend bool operator==(const Picture&, const Picture&) = default;

  private:
    std::size_t offset(int x, int y) const {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)) *
               3;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> data_;
};

// White marks transparent pixels, black opaque ones; same size as its Picture.
using Mask = Picture;

} // namespace tarn
