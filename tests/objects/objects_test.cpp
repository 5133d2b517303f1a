#include "objects/object_list.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tarn {
namespace {

// A press that records a row leads to at most one exchange: a release over no
// row or over another row ends it, and so does a delete. Each object keeps its
// texts, picture and mask, mirrored or not, even where MySystem is a file, so
// that no exchange file can be written.
TEST(ObjectList, RowsStayWholeOneExchangePerPress) {
    enum Step { Press, Release, Delete };
    const struct {
        std::vector<std::pair<Step, int>> steps;
        std::vector<int> order; // former row of each row afterwards
    } gestures[] = {
        {{{Release, 2}, {Press, 0}, {Release, 1}, {Press, -1}, {Release, 3}}, {1, 0, 2, 3}},
        {{{Press, 1}, {Release, -1}, {Release, 3}}, {0, 1, 2, 3}},
        {{{Press, 2}, {Delete, 0}, {Release, 0}}, {1, 2, 3}},
    };
    const auto fields = [](const ObjectRow& r) {
        return std::tie(r.name, r.x, r.y, r.layer, r.path, r.picture(), r.mask());
    };
    for (const auto& g : gestures) {
        SCOPED_TRACE(&g - gestures);
        test::TempFolder program;
        writeFileAtomically(program.file("MySystem"), test::bytesOf("x"));
        Scene scene;
        ObjectList list(scene, program.path().string());
        for (int k = 0; k < 4; ++k) { // each its own size, pixels, place and flag
            const std::string name = "obj" + std::to_string(k);
            list.insert(name, "/parts/", name + ".bmp", test::part(5 + 3 * k, 4 + k, k));
            list.move(k, 10 * k - 5, 7 * k);
            if (k % 2 == 1)
                list.toggleFlag(k);
        }
        // Left-right, then top-bottom: a half turn of picture and mask alike.
        const ObjectRow plain = list.row(3); // 14 x 7
        ASSERT_TRUE(list.mirror(3, 1) && list.mirror(3, 2) && !list.mirror(3, 3));
        for (int i = 0; i < 14 * 7; ++i) {
            const int x = i % 14, y = i / 14;
            EXPECT_EQ(list.row(3).picture().pixel(x, y), plain.picture().pixel(13 - x, 6 - y));
            EXPECT_EQ(list.row(3).mask().pixel(x, y), plain.mask().pixel(13 - x, 6 - y));
        }
        const std::vector<ObjectRow> former = scene.objects;
        for (const auto& [step, row] : g.steps) {
            if (step == Press)
                list.recordDragOrigin(row);
            else if (step == Release)
                list.finishDragExchange(row);
            else
                EXPECT_EQ(list.remove(row), row);
        }
        ASSERT_EQ(list.count(), static_cast<int>(g.order.size()));
        for (std::size_t k = 0; k < g.order.size(); ++k)
            EXPECT_TRUE(fields(list.row(int(k))) == fields(former[std::size_t(g.order[k])]));
    }
}

} // namespace
} // namespace tarn
