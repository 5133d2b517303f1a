#include "scene/terrain_edit.h"

#include "scene/compose.h"
#include "scene/mask.h"

#include <utility>

namespace tarn {

namespace {

bool isTerrainSlot(int slot) {
    return slot >= 1 && slot <= kSlotCount;
}

} // namespace

bool chooseTerrainPart(Scene& scene, int slot, const std::string& name, const std::string& path,
                       const Picture& part, PixelArray& work) {
    if (!isTerrainSlot(slot) || part.isNull())
        return false;
    const int width = part.width();
    const int height = part.height();

    // Masked on copies so that a failure half way leaves the slot untouched.
    Picture picture = part;
    Mask mask(width, height);
    PixelArray maskArray;
    if (getbits(picture, work) < 0 || getbits(picture, maskArray) < 0)
        return false;
    maskbits(work, maskArray, width, height);
    if (setbits(picture, work) != 0 || setbits(mask, maskArray) != 0)
        return false;

    Slot& target = scene.slot(slot);
    target.name = name;
    target.path = path;
    target.picture = std::move(picture);
    target.mask = std::move(mask);
    recompose(scene);
    return true;
}

bool clearSlot(Scene& scene, int slot) {
    if (!isTerrainSlot(slot))
        return false;
    Slot& target = scene.slot(slot);
    target.name.clear();
    target.path.clear();
    scene.canvas.fill(kBlack);
    recompose(scene);
    return true;
}

void clearAll(Scene& scene) {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        scene.slot(slot).name.clear();
        scene.slot(slot).path.clear();
    }
    scene.canvas.fill(kBlack);
    recompose(scene);
}

} // namespace tarn
