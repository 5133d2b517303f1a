#include "scene/terrain_edit.h"

#include "scene/mask.h"

#include <memory>

namespace tarn {

namespace {

bool isTerrainSlot(int slot) {
    return slot >= 1 && slot <= kSlotCount;
}

} // namespace

PartImagePtr terrainImage(const Picture& part, PixelArray& work) {
    if (part.isNull())
        return nullptr;
    const int width = part.width();
    const int height = part.height();
    // Masked on copies so that a failure half way changes nothing.
    auto image =
        std::make_shared<PartImage>(PartImage{part, Mask(width, height), part.pixel(0, 0)});
    PixelArray maskArray;
    // Taken here, so that a shortage of memory is thrown as one rather than
    // read by getbits as pixels that cannot be read.
    const std::size_t elements = static_cast<std::size_t>(width) * height + 1;
    work.reserve(elements);
    maskArray.reserve(elements);
    if (getbits(image->picture, work) < 0 || getbits(image->picture, maskArray) < 0)
        return nullptr;
    maskbits(work, maskArray, width, height);
    if (setbits(image->picture, work) != 0 || setbits(image->mask, maskArray) != 0)
        return nullptr;
    return image;
}

bool chooseTerrainPart(Scene& scene, int slot, const std::string& name, const std::string& path,
                       const Picture& part, PixelArray& work) {
    if (!isTerrainSlot(slot))
        return false;
    PartImagePtr image = terrainImage(part, work);
    if (!image)
        return false;
    Slot& target = scene.slot(slot);
    target.name = name;
    target.path = path;
    target.image = std::move(image);
    return true;
}

bool clearSlot(Scene& scene, int slot) {
    if (!isTerrainSlot(slot))
        return false;
    Slot& target = scene.slot(slot);
    target.name.clear();
    target.path.clear();
    return true;
}

void clearAll(Scene& scene) {
    for (int slot = 1; slot <= kSlotCount; ++slot)
        clearSlot(scene, slot);
}

} // namespace tarn
