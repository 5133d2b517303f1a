#include "objects/bmp_reader.h"
#include "objects/object_list.h"
#include "output/bmp_writer.h"
#include "output/little_endian.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace tarn {
namespace {

// A damaged or short file is refused and the target keeps its picture: each row
// is a way for a reader to go past its input or to show garbage.
TEST(BmpReader, RefusesDamagedAndShortFiles) {
    const std::uint32_t big = kMaxPartSide;
    const struct {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint32_t>> fields; // 32-bit values at offsets
        BmpError error;
    } rows[] = {
        {"signature \"AM\"", {{0, 0x4D41}}, BmpError::NotBmp},
        {"file shorter than its size field", {{2, 71}}, BmpError::Truncated},
        {"pixels inside the headers", {{10, 0}}, BmpError::BadFileHeader},
        {"pixels cut short by the offset", {{10, 58}}, BmpError::Truncated},
        {"8 bits", {{26, 0x80001}}, BmpError::UnsupportedFormat},
        {"most negative height", {{22, 0x80000000u}}, BmpError::BadSize},
        {"wider than a part may be", {{18, big + 1}}, BmpError::BadSize},
        {"largest sizes on a tiny file", {{18, big}, {22, big}, {34, 0}}, BmpError::Truncated},
    };
    const Bytes good = encodeBmp24(test::patterned(2, 2));
    const Picture kept = test::patterned(3, 2);
    for (const auto& row : rows) {
        Bytes b = good;
        for (const auto& [at, value] : row.fields)
            putU32le(b, at, value);
        Picture out = kept;
        EXPECT_EQ(decodeBmp24(b, out).error, row.error) << row.what;
        EXPECT_EQ(out, kept) << row.what;
    }
}

// Each object keeps its texts, picture and mask whether or not the exchange files
// can be written; only a press that recorded a row leads to one exchange.
TEST(ObjectList, DeleteAndDragKeepEachObjectWhole) {
    enum Step { Press, Release, Delete };
    const struct {
        std::vector<std::pair<Step, int>> steps;
        std::vector<int> order; // former row of each row afterwards
    } gestures[] = {
        {{{Delete, 0}}, {1, 2, 3}},
        {{{Delete, 1}, {Delete, 2}, {Delete, 0}, {Delete, 0}}, {}},
        {{{Press, 0}, {Release, 3}}, {3, 1, 2, 0}},
        {{{Press, 1}, {Release, -1}}, {0, 1, 2, 3}},
        {{{Release, 2}}, {0, 1, 2, 3}},
        {{{Press, 0}, {Release, 1}, {Press, -1}, {Release, 3}}, {1, 0, 2, 3}},
        {{{Press, 0}, {Release, 1}, {Release, 2}}, {1, 0, 2, 3}},
        {{{Press, 2}, {Delete, 0}, {Release, 0}}, {1, 2, 3}},
    };
    const auto fields = [](const ObjectRow& r) {
        return std::tie(r.name, r.x, r.y, r.flag, r.path, r.picture, r.mask);
    };
    for (const std::string folder : {"present", "missing", "a file"}) { // MySystem
        for (const auto& g : gestures) {
            SCOPED_TRACE(::testing::Message() << folder << ", row " << &g - gestures);
            test::TempFolder program;
            if (folder == "present")
                std::filesystem::create_directory(program.file("MySystem"));
            if (folder == "a file")
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
            const std::vector<ObjectRow> former = scene.objects;
            for (const auto& [step, row] : g.steps) {
                const int last = list.count() - 1;
                if (step == Press)
                    list.recordDragOrigin(row);
                else if (step == Release)
                    list.finishDragExchange(row);
                else
                    EXPECT_EQ(list.remove(row), row < last ? row : -1);
            }
            ASSERT_EQ(list.count(), static_cast<int>(g.order.size()));
            for (std::size_t k = 0; k < g.order.size(); ++k)
                EXPECT_TRUE(fields(list.row(int(k))) == fields(former[std::size_t(g.order[k])]));
        }
    }
}

// Left-right, then top-bottom, is a half turn of picture and mask alike.
TEST(ObjectList, MirrorsTurnPictureAndMaskTogether) {
    test::TempFolder program;
    Scene scene;
    ObjectList list(scene, program.path().string());
    ASSERT_EQ(list.insert("a", "/p/", "a.bmp", test::part(6, 5, 1)), InsertResult::Added);
    const ObjectRow before = list.row(0);
    EXPECT_FALSE(list.mirror(0, 0) || list.mirror(0, 3) || list.mirror(1, 1));
    ASSERT_TRUE(list.mirror(0, 1) && list.mirror(0, 2));
    const ObjectRow& now = list.row(0);
    for (int i = 0; i < 30; ++i) { // pixel (i % 6, i / 6) comes from the opposite corner
        EXPECT_EQ(now.picture.pixel(i % 6, i / 6), before.picture.pixel(5 - i % 6, 4 - i / 6));
        EXPECT_EQ(now.mask.pixel(i % 6, i / 6), before.mask.pixel(5 - i % 6, 4 - i / 6));
    }
}

} // namespace
} // namespace tarn
