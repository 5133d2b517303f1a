#pragma once

#include "scene/scene.h"

#include <cstdint>

namespace tarn {

// canvas := mask AND NOT canvas, then canvas := picture XOR canvas, per channel,
// over w x h at (x, y); whatever falls outside the canvas is skipped.
void maskedCopy(Picture& canvas, const Picture& picture, const Mask& mask, int x, int y, int w,
                int h);

// The canvas's layers in the order they are painted: slots 1-3, objects
// flagged "F", slots 4-5, objects flagged "T".
enum class PaintLayer : std::uint8_t {
    Floor,
    FarLeft,
    FarRight,
    ObjectsBehind,
    NearLeft,
    NearRight,
    ObjectsInFront,
};
inline constexpr int kPaintLayerCount = 7;
// A set of layers: bit i for the layer numbered i above.
using LayerSet = std::uint8_t;
inline constexpr LayerSet kAllLayers = (1u << kPaintLayerCount) - 1;
constexpr LayerSet layerBit(PaintLayer layer) {
    return static_cast<LayerSet>(1u << static_cast<int>(layer));
}

// Clears `canvas` to black within `area` and composes there the scene's
// layers that are in `layers`; a canvas of another size is made anew, whole.
void compose(const Scene& scene, Picture& canvas, const Rect& area, LayerSet layers);

// Clears the canvas to black and composes the scene in the painter's order:
// slots 1-3, objects flagged "F", slots 4-5, objects flagged "T".
void recompose(Scene& scene);
// The same within `area` only, leaving the rest of the canvas as it is: what
// an edit that touches only part of the canvas needs.
void recompose(Scene& scene, const Rect& area);

} // namespace tarn
