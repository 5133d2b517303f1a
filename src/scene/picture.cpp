#include "scene/picture.h"

namespace tarn {

Picture::Picture(int width, int height, Rgb fill) {
    if (width <= 0 || height <= 0)
        return;
    width_ = width;
    height_ = height;
    data_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    this->fill(fill);
}

void Picture::fill(Rgb c) {
    for (std::size_t i = 0; i + 2 < data_.size(); i += 3) {
        data_[i] = c.r;
        data_[i + 1] = c.g;
        data_[i + 2] = c.b;
    }
}

} // namespace tarn
