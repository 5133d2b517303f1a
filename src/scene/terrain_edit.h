#pragma once

#include "scene/pixel_array.h"
#include "scene/scene.h"

#include <string>

namespace tarn {

// The part as a slot composes it: the key colour (pixel 0, 0) turned white and
// the mask built through two pixel arrays; `work` is a reusable array. Null for
// an empty picture or pixels that cannot be read or written; std::bad_alloc
// when memory runs short.
PartImagePtr terrainImage(const Picture& part, PixelArray& work);

// Puts a freshly loaded part into terrain slot `slot` (1 to 5). Returns false,
// leaving the slot exactly as it was, for a slot outside 1..5, an empty picture,
// or pixels that cannot be read or written, so a slot never holds a picture and
// a mask that do not belong together. The canvas is the caller's to rebuild.
bool chooseTerrainPart(Scene& scene, int slot, const std::string& name, const std::string& path,
                       const Picture& part, PixelArray& work);

// Empties the name and path of slot `slot`; the image stays until the next
// choice. False (nothing changed) for a slot outside 1..5.
bool clearSlot(Scene& scene, int slot);

// Empties all five slots; objects are left alone.
void clearAll(Scene& scene);

} // namespace tarn
