#pragma once

#include "scene/picture.h"

#include <cstdint>
#include <vector>

namespace tarn {

// W x H + 1 elements; element k is column k mod W of row k div W counted from the
// bottom; bytes blue, green, red, 0 (low to high); the last element is spare.
using PixelArray = std::vector<std::uint32_t>;

// Returns W x H, or -1 when the pixels cannot be read.
int getbits(const Picture& picture, PixelArray& array);
// Returns 0, or -1 when the pixels cannot be written (picture left as it was).
int setbits(Picture& picture, const PixelArray& array);

} // namespace tarn
