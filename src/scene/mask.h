#pragma once

#include "scene/picture.h"
#include "scene/pixel_array.h"

#include <cstdint>

namespace tarn {

// Key colour = pixel (0, 0). Key pixels turn white in picture and mask; all other
// pixels keep their colour in the picture and turn black in the mask. The mask
// must already have the picture's size.
void makemask(Picture& picture, Mask& mask, int width, int height);

// The same rule on two pixel arrays read by getbits (spare element included).
void maskbits(PixelArray& p, PixelArray& m, int width, int height);

// type 1 mirrors left-right, 2 top-bottom; source and destination may be the same.
void flippic(const Picture& source, int width, int height, Picture& destination, std::int16_t type);

} // namespace tarn
