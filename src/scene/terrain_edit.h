#pragma once

#include "scene/pixel_array.h"
#include "scene/scene.h"

#include <string>

namespace tarn {

// Puts a freshly loaded part into terrain slot `slot` (1 to 5) and recomposes
// the canvas. The key colour (pixel 0, 0) turns white and the mask is rebuilt
// through two pixel arrays; `work` is the window's reusable array. Returns
// false, leaving the slot and the canvas exactly as they were, for a slot
// outside 1..5, an empty picture, or pixels that cannot be read or written, so
// a slot never holds a picture and a mask that do not belong together.
bool chooseTerrainPart(Scene& scene, int slot, const std::string& name, const std::string& path,
                       const Picture& part, PixelArray& work);

// Empties the name and path of slot `slot` and recomposes; the picture and mask
// stay until the next choice. False (nothing changed) for a slot outside 1..5.
bool clearSlot(Scene& scene, int slot);

// Empties all five slots and recomposes; objects are left alone.
void clearAll(Scene& scene);

} // namespace tarn
