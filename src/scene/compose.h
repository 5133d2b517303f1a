#pragma once

#include "scene/scene.h"

namespace tarn {

// canvas := mask AND NOT canvas, then canvas := picture XOR canvas, per channel,
// over w x h at (x, y); whatever falls outside the canvas is skipped.
void maskedCopy(Picture& canvas, const Picture& picture, const Mask& mask, int x, int y, int w,
                int h);

// Clears the canvas to black and composes the scene in the painter's order:
// slots 1-3, objects flagged "F", slots 4-5, objects flagged "T".
void recompose(Scene& scene);
// The same within `area` only, leaving the rest of the canvas as it is: what
// an edit that touches only part of the canvas needs.
void recompose(Scene& scene, const Rect& area);

} // namespace tarn
