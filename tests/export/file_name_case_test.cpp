#include "export/area_plan.h"
#include "objects/object_list.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

// The engine's file system takes names that differ only in the case of their
// letters, half- or full-width, Greek or Cyrillic, for one file: two different
// parts so named must not end up in one file, and nothing else may be taken
// for the same name.
TEST(FileNameCase, NamesTheEnginesFileSystemTakesForOneFile) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } names[] = {
        {"Stone_BL.bmp", "stone_bl.bmp", true},
        {"ＷＡＬＬ.bmp", "ｗａｌｌ.bmp", true},
        {"ΘΥΡΑ.bmp", "θυρα.bmp", true},
        {"ДВЕРЬ.bmp", "дверь.bmp", true},
        {"ЁЖ.bmp", "ёж.bmp", true},
        {"ＷＡＬＬ.bmp", "wall.bmp", false}, // full width is not ASCII
        {"扉.bmp", "扉.bmp", true},
        {"ドア.bmp", "どあ.bmp", false},
        {"\x83\x41.bmp", "\x83\x61.bmp", false}, // two Shift-JIS letters, not UTF-8
    };
    for (const auto& n : names)
        EXPECT_EQ(foldedName(n.a) == foldedName(n.b), n.same) << n.a << " / " << n.b;

    Scene scene;
    for (const char* name : {"ＢＯＸ", "ｂｏｘ"}) {
        ObjectRow row;
        row.name = name;
        row.path = std::string("/parts/") + name + ".bmp";
        row.x = 100;
        row.y = 100;
        row.shown = row.source = objectImage(Picture(8, 8, {1, 2, 3}));
        scene.objects.push_back(row);
    }
    const AreaPlan plan = planArea(scene, "");
    ASSERT_EQ(plan.files.size(), 2u);
    EXPECT_NE(foldedName(plan.files[0].fileName), foldedName(plan.files[1].fileName));
}

} // namespace
} // namespace tarn
