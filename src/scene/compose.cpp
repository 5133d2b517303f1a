#include "scene/compose.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tarn {

namespace {

// canvas := picture XOR (mask AND NOT canvas), the two raster operations fused
// per byte. Fixed-size blocks over non-aliasing spans let the compiler turn the
// inner loop into vector instructions at the usual optimisation level.
void composeSpan(std::uint8_t* __restrict d, const std::uint8_t* __restrict p,
                 const std::uint8_t* __restrict m, std::size_t n) {
    constexpr std::size_t kBlock = 32;
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t j = 0; j < kBlock; ++j)
            d[i + j] = static_cast<std::uint8_t>(p[i + j] ^ (m[i + j] & ~d[i + j]));
    for (; i < n; ++i)
        d[i] = static_cast<std::uint8_t>(p[i] ^ (m[i] & ~d[i]));
}

// maskedCopy within `clip`, which lies inside the canvas.
void maskedCopyWithin(Picture& canvas, const Picture& picture, const Mask& mask, int x, int y,
                      int w, int h, const Rect& clip) {
    // Composing a raster onto itself has no use, and the fused loop assumes the
    // spans do not overlap.
    if (&canvas == &picture || &canvas == &mask)
        return;
    // Never read past the picture or the mask, whatever size the caller gives.
    w = std::min({w, picture.width(), mask.width()});
    h = std::min({h, picture.height(), mask.height()});
    if (w <= 0 || h <= 0)
        return;
    const Rect area =
        Rect::fromEdges(x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)
            .intersected(clip);
    if (area.empty())
        return;
    const std::size_t srcOffset = static_cast<std::size_t>(area.x - x) * 3;
    const std::size_t dstOffset = static_cast<std::size_t>(area.x) * 3;
    const std::size_t spanBytes = static_cast<std::size_t>(area.w) * 3;
    for (int cy = area.y; cy < area.y + area.h; ++cy)
        composeSpan(canvas.row(cy) + dstOffset, picture.row(cy - y) + srcOffset,
                    mask.row(cy - y) + srcOffset, spanBytes);
}

void composeObjects(const Scene& scene, Picture& canvas, Layer layer, const Rect& clip) {
    for (const ObjectRow& row : scene.objects) {
        if (row.layer != layer)
            continue;
        maskedCopyWithin(canvas, row.picture(), row.mask(), row.x, row.y, row.picture().width(),
                         row.picture().height(), clip);
    }
}

} // namespace

void maskedCopy(Picture& canvas, const Picture& picture, const Mask& mask, int x, int y, int w,
                int h) {
    if (!canvas.isNull())
        maskedCopyWithin(canvas, picture, mask, x, y, w, h,
                         {0, 0, canvas.width(), canvas.height()});
}

void recompose(Scene& scene) {
    recompose(scene, kCanvasRect);
}

void recompose(Scene& scene, const Rect& area) {
    compose(scene, scene.canvas, area, kAllLayers);
}

void compose(const Scene& scene, Picture& canvas, const Rect& area, LayerSet layers) {
    Rect clip = area.intersected(kCanvasRect);
    if (canvas.width() != kCanvasWidth || canvas.height() != kCanvasHeight) {
        canvas = Picture(kCanvasWidth, kCanvasHeight, kBlack);
        clip = kCanvasRect;
    } else if (clip.empty()) {
        return;
    } else {
        for (int y = clip.y; y < clip.y + clip.h; ++y)
            std::memset(canvas.row(y) + static_cast<std::size_t>(clip.x) * 3, 0,
                        static_cast<std::size_t>(clip.w) * 3);
    }
    // Slot i is painted as layer i - 1, or i after the objects behind the front walls.
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot& slot = scene.slot(i);
        const auto layer = static_cast<PaintLayer>(i <= 3 ? i - 1 : i);
        if (!slot.name.empty() && (layers & layerBit(layer)) != 0) {
            const Point at = kSlotPlaces[static_cast<std::size_t>(i)];
            maskedCopyWithin(canvas, slot.picture(), slot.mask(), at.x, at.y,
                             slot.picture().width(), slot.picture().height(), clip);
        }
        // Objects behind the front walls, whether or not slot 3 is filled.
        if (i == 3 && (layers & layerBit(PaintLayer::ObjectsBehind)) != 0)
            composeObjects(scene, canvas, Layer::BehindFront, clip);
    }
    if ((layers & layerBit(PaintLayer::ObjectsInFront)) != 0)
        composeObjects(scene, canvas, Layer::InFront, clip);
}

} // namespace tarn
