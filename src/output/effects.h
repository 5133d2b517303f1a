#pragma once

#include "scene/picture.h"
#include "scene/pixel_array.h"

namespace tarn {

// Both tone the canvas through the working pixel array; gray is (b+g+r) div 3,
// sepia scales red, green and blue by 0.494, 0.383 and 0.123, rounded.
void grayscale(Picture& canvas, PixelArray& work);
void sepia(Picture& canvas, PixelArray& work);

} // namespace tarn
