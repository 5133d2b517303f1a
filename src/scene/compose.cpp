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

void composeObjects(Scene& scene, Layer layer) {
    for (const ObjectRow& row : scene.objects) {
        if (row.layer != layer)
            continue;
        maskedCopy(scene.canvas, row.picture(), row.mask(), row.x, row.y, row.picture().width(),
                   row.picture().height());
    }
}

} // namespace

void maskedCopy(Picture& canvas, const Picture& picture, const Mask& mask, int x, int y, int w,
                int h) {
    // Composing a raster onto itself has no use, and the fused loop assumes the
    // spans do not overlap.
    if (&canvas == &picture || &canvas == &mask)
        return;
    // Never read past the picture or the mask, whatever size the caller gives.
    w = std::min({w, picture.width(), mask.width()});
    h = std::min({h, picture.height(), mask.height()});
    if (w <= 0 || h <= 0 || canvas.isNull())
        return;
    // 64-bit edges so positions near the int limits cannot overflow.
    const long long left = std::max<long long>(x, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + w, canvas.width());
    const long long top = std::max<long long>(y, 0);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + h, canvas.height());
    if (left >= right || top >= bottom)
        return;
    const std::size_t srcOffset = static_cast<std::size_t>(left - x) * 3;
    const std::size_t dstOffset = static_cast<std::size_t>(left) * 3;
    const std::size_t spanBytes = static_cast<std::size_t>(right - left) * 3;
    for (long long cy = top; cy < bottom; ++cy) {
        const int v = static_cast<int>(cy - y);
        composeSpan(canvas.row(static_cast<int>(cy)) + dstOffset, picture.row(v) + srcOffset,
                    mask.row(v) + srcOffset, spanBytes);
    }
}

void recompose(Scene& scene) {
    Picture& canvas = scene.canvas;
    if (canvas.width() == kCanvasWidth && canvas.height() == kCanvasHeight)
        std::memset(canvas.bits(), 0, canvas.byteCount());
    else
        canvas = Picture(kCanvasWidth, kCanvasHeight, kBlack);
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot& slot = scene.slot(i);
        if (!slot.name.empty()) {
            const Point at = kSlotPlaces[static_cast<std::size_t>(i)];
            maskedCopy(canvas, slot.picture(), slot.mask(), at.x, at.y, slot.picture().width(),
                       slot.picture().height());
        }
        if (i == 3) // objects behind the front walls, whether or not slot 3 is filled
            composeObjects(scene, Layer::BehindFront);
    }
    composeObjects(scene, Layer::InFront);
}

} // namespace tarn
