// Composes a scene with the core alone, for the end-to-end test to compare
// with what the window shows:
//   compose_scene <out.bmp> <slot 1> .. <slot 5> [<object> <x> <y> <flag>]...
// Parts are 24-bit uncompressed BMPs ("-" leaves a slot empty); objects are
// added in row order at their positions.
#include "objects/bmp_reader.h"
#include "output/bmp_writer.h"
#include "output/file_write.h"
#include "scene/compose.h"
#include "scene/mask.h"
#include "scene/terrain_edit.h"

#include <cstdio>
#include <string>

namespace {

bool readPart(const std::string& path, tarn::Picture& out) {
    tarn::Bytes bytes;
    if (!tarn::readWholeFile(path, bytes).ok() || !tarn::decodeBmp24(bytes, out).ok()) {
        std::fprintf(stderr, "compose_scene: cannot read %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 7 || (argc - 7) % 4 != 0) {
        std::fprintf(stderr, "usage: compose_scene out.bmp slot1..slot5 [object x y flag]...\n");
        return 2;
    }
    tarn::Scene scene;
    tarn::PixelArray work;
    for (int slot = 1; slot <= tarn::kSlotCount; ++slot) {
        const std::string path = argv[1 + slot];
        tarn::Picture part;
        if (path == "-")
            continue;
        if (!readPart(path, part) ||
            !tarn::chooseTerrainPart(scene, slot, "slot" + std::to_string(slot), path, part, work))
            return 1;
    }
    for (int a = 7; a < argc; a += 4) {
        tarn::ObjectRow row;
        if (!readPart(argv[a], row.picture))
            return 1;
        row.mask = tarn::Mask(row.picture.width(), row.picture.height());
        tarn::makemask(row.picture, row.mask, row.picture.width(), row.picture.height());
        row.x = argv[a + 1];
        row.y = argv[a + 2];
        row.flag = argv[a + 3];
        scene.objects.push_back(std::move(row));
    }
    tarn::recompose(scene);
    if (!tarn::saveBmp24(scene.canvas, argv[1]).ok()) {
        std::fprintf(stderr, "compose_scene: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
