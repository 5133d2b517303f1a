// Composes with the core alone what the end-to-end test builds in the window:
//   compose_scene <out.bmp> <slot 1> .. <slot 5> <object> <x> <y>
// Parts are 24-bit uncompressed BMPs; the object is drawn with the flag "F".
#include "base/file_write.h"
#include "objects/object_list.h"
#include "output/bmp_writer.h"
#include "scene/bmp.h"
#include "scene/compose.h"
#include "scene/mask.h"
#include "scene/terrain_edit.h"

#include <cstdlib>
#include <string>

namespace {

bool readPart(const char* path, tarn::Picture& out) {
    tarn::Bytes bytes;
    return tarn::readWholeFile(path, bytes, UINT64_MAX).ok() && tarn::decodeBmp24(bytes, out).ok();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 10)
        return 2;
    tarn::Scene scene;
    tarn::PixelArray work;
    for (int slot = 1; slot <= tarn::kSlotCount; ++slot) {
        tarn::Picture part;
        if (!readPart(argv[1 + slot], part) ||
            !tarn::chooseTerrainPart(scene, slot, "slot", argv[1 + slot], part, work))
            return 1;
    }
    tarn::Picture object;
    if (!readPart(argv[7], object))
        return 1;
    tarn::ObjectRow row;
    row.shown = row.source = tarn::objectImage(std::move(object));
    row.x = std::atoi(argv[8]);
    row.y = std::atoi(argv[9]);
    scene.objects.push_back(std::move(row));
    tarn::recompose(scene);
    return tarn::saveBmp24(scene.canvas, argv[1]).ok() ? 0 : 1;
}
