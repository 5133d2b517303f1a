#include "objects/object_list.h"
#include "output/file_write.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarn {
namespace {

using test::part;
using test::TempFolder;

enum class Folder { Present, Missing, IsAFile };

const char* describe(Folder f) {
    switch (f) {
    case Folder::Present:
        return "MySystem present";
    case Folder::Missing:
        return "MySystem missing";
    case Folder::IsAFile:
        return "MySystem is a file";
    }
    return "";
}

void expectSameRow(const ObjectRow& actual, const ObjectRow& expected) {
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.x, expected.x) << expected.name;
    EXPECT_EQ(actual.y, expected.y) << expected.name;
    EXPECT_EQ(actual.flag, expected.flag) << expected.name;
    EXPECT_EQ(actual.path, expected.path) << expected.name;
    EXPECT_EQ(actual.picture, expected.picture) << expected.name;
    EXPECT_EQ(actual.mask, expected.mask) << expected.name;
}

// The exchange files hold exactly these rows' pictures and masks.
void expectRecord(const ExchangeFiles& files, const ObjectRow& old, const ObjectRow& now) {
    const std::pair<ExchangeFile, const Picture*> expected[] = {
        {ExchangeFile::OldPic, &old.picture},
        {ExchangeFile::OldPicMask, &old.mask},
        {ExchangeFile::NewPic, &now.picture},
        {ExchangeFile::NewPicMask, &now.mask}};
    for (const auto& [file, picture] : expected) {
        Picture read;
        ASSERT_TRUE(files.read(file, read).ok()) << files.path(file);
        EXPECT_EQ(read, *picture) << files.path(file);
    }
}

// A program folder and a scene of n objects, each with its own size, pixels,
// position and flag, so a row that lost any of them shows.
struct Fixture {
    explicit Fixture(int n, Folder folder = Folder::Present)
        : list(scene, program.path().string()) {
        if (folder == Folder::Present)
            std::filesystem::create_directory(program.path().string() + "/MySystem");
        if (folder == Folder::IsAFile) {
            const Bytes junk{'x'};
            writeFileAtomically(program.path().string() + "/MySystem", junk);
        }
        for (int k = 0; k < n; ++k) {
            const std::string name = "obj" + std::to_string(k);
            list.insert(name, "/parts", name + ".bmp", part(5 + 3 * k, 4 + k, k));
            list.move(k, 10 * k - 5, 7 * k);
            if (k % 2 == 1)
                list.toggleFlag(k);
        }
        former = scene.objects;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const ObjectRow& r : scene.objects)
            out.push_back(r.name);
        return out;
    }

    TempFolder program;
    Scene scene;
    ObjectList list;
    std::vector<ObjectRow> former;
};

TEST(ObjectList, InsertAppendsAMaskedRowAtTheTopLeftBehindTheFrontWalls) {
    Fixture f(3);
    const Picture source = part(6, 5, 9);
    ASSERT_EQ(f.list.insert("barrel", "/home/u/parts/", "barrel.BMP", source), InsertResult::Added);

    ASSERT_EQ(f.list.count(), 4);
    const ObjectRow& r = f.list.row(3);
    EXPECT_EQ(r.name, "barrel");
    EXPECT_EQ(r.x, "0");
    EXPECT_EQ(r.y, "0");
    EXPECT_EQ(r.flag, "F");
    EXPECT_EQ(r.path, "/home/u/parts/barrel.BMP");
    ASSERT_EQ(r.picture.width(), 6);
    ASSERT_EQ(r.mask.height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool key = source.pixel(x, y) == test::kKey;
            EXPECT_EQ(r.picture.pixel(x, y), key ? kWhite : source.pixel(x, y)) << x << "," << y;
            EXPECT_EQ(r.mask.pixel(x, y), key ? kWhite : kBlack) << x << "," << y;
        }
    for (int k = 0; k < 3; ++k)
        expectSameRow(f.list.row(k), f.former[static_cast<std::size_t>(k)]);
}

TEST(ObjectList, InsertRefusesAnEleventhRowAndAMissingPicture) {
    Fixture f(9);
    EXPECT_EQ(f.list.insert("tenth", "/p", "tenth.bmp", part(3, 3, 1)), InsertResult::Added);
    const std::vector<ObjectRow> ten = f.scene.objects;
    EXPECT_EQ(f.list.insert("eleventh", "/p", "eleventh.bmp", part(3, 3, 2)),
              InsertResult::ListFull);
    ASSERT_EQ(f.list.count(), 10);
    for (int k = 0; k < 10; ++k)
        expectSameRow(f.list.row(k), ten[static_cast<std::size_t>(k)]);

    Fixture g(3);
    EXPECT_EQ(g.list.insert("gone", "/p", "gone.bmp", Picture()), InsertResult::NoPicture);
    EXPECT_EQ(g.list.count(), 3);
}

// Each remaining object keeps its own texts, picture and mask whether or not
// the exchange files can be written.
TEST(ObjectList, DeleteDropsOneRowAndKeepsEveryOtherObjectWhole) {
    struct Case {
        int rows;
        int deleted;
        int currentAfter;
    };
    const Case cases[] = {{4, 0, 0}, {4, 1, 1}, {4, 3, -1}, {1, 0, -1}};
    for (Folder folder : {Folder::Present, Folder::Missing, Folder::IsAFile}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(describe(folder)) + ", delete row " +
                         std::to_string(c.deleted) + " of " + std::to_string(c.rows));
            Fixture f(c.rows, folder);
            EXPECT_EQ(f.list.remove(c.deleted), c.currentAfter);
            std::vector<ObjectRow> expected = f.former;
            expected.erase(expected.begin() + c.deleted);
            ASSERT_EQ(f.list.count(), c.rows - 1);
            for (int k = 0; k < f.list.count(); ++k)
                expectSameRow(f.list.row(k), expected[static_cast<std::size_t>(k)]);
            const bool exchanged = c.deleted < c.rows - 1;
            EXPECT_EQ(f.list.lastRecordStatus().ok(), folder != Folder::IsAFile || !exchanged);
        }
    }
}

TEST(ObjectList, DeleteLeavesTheLastNeighbourExchangeInTheFiles) {
    Fixture f(4, Folder::Missing);
    f.list.remove(1);
    // The last exchange moved the deleted object from row 2 to row 3.
    expectRecord(f.list.exchangeFiles(), f.former[1], f.former[3]);
    EXPECT_EQ(f.list.dragOrigin().SWAP_OLD, "obj1");
}

TEST(ObjectList, DeleteOfNoRowChangesNothing) {
    Fixture f(2);
    for (int row : {-1, 2}) {
        EXPECT_EQ(f.list.remove(row), -1);
        ASSERT_EQ(f.list.count(), 2);
    }
}

TEST(ObjectList, FlagToggleSwapsOnlyFAndT) {
    Fixture f(4);
    f.scene.objects[2].flag = "";
    f.scene.objects[3].flag = "f";
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(f.list.toggleFlag(k));
    const char* expected[] = {"T", "F", "", "f"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(f.list.row(k).flag, expected[k]);
        EXPECT_EQ(f.list.row(k).x, f.former[static_cast<std::size_t>(k)].x);
        EXPECT_EQ(f.list.row(k).name, f.former[static_cast<std::size_t>(k)].name);
    }
    EXPECT_FALSE(f.list.toggleFlag(4));
}

TEST(ObjectList, MoveStoresDecimalTextsAsTheyCome) {
    struct Case {
        int x, y;
        const char* textX;
        const char* textY;
    };
    const Case cases[] = {{100, 50, "100", "50"},
                          {-12, 0, "-12", "0"},
                          {900, -3000, "900", "-3000"},
                          {-2147483647 - 1, 2147483647, "-2147483648", "2147483647"}};
    Fixture f(3);
    for (const Case& c : cases) {
        ASSERT_TRUE(f.list.move(2, c.x, c.y));
        EXPECT_EQ(f.list.row(2).x, c.textX);
        EXPECT_EQ(f.list.row(2).y, c.textY);
        expectSameRow(f.list.row(1), f.former[1]);
    }
    EXPECT_FALSE(f.list.move(3, 1, 1));
    EXPECT_FALSE(f.list.move(-1, 1, 1));
}

TEST(ObjectList, MirrorTurnsPictureAndMaskTogether) {
    Fixture f(2);
    const ObjectRow before = f.list.row(1);
    const int w = before.picture.width();
    const int h = before.picture.height();

    ASSERT_TRUE(f.list.mirror(1, 1));
    const ObjectRow& r = f.list.row(1);
    // The transparent right column is now the left one, in both rasters.
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(r.mask.pixel(0, y), kWhite);
        EXPECT_EQ(r.picture.pixel(0, y), kWhite);
        EXPECT_EQ(r.picture.pixel(w - 1 - 1, y), before.picture.pixel(1, y));
    }
    EXPECT_EQ(r.x, before.x);

    ASSERT_TRUE(f.list.mirror(1, 2));
    EXPECT_EQ(r.mask.pixel(w - 1, h - 1), kWhite);
    EXPECT_EQ(r.picture.pixel(w - 2, h - 1), before.picture.pixel(1, 0));

    EXPECT_FALSE(f.list.mirror(1, 0));
    EXPECT_FALSE(f.list.mirror(1, 3));
    EXPECT_FALSE(f.list.mirror(2, 1));
    ASSERT_TRUE(f.list.mirror(1, 2));
    ASSERT_TRUE(f.list.mirror(1, 1));
    expectSameRow(f.list.row(1), before);
    expectSameRow(f.list.row(0), f.former[0]);
}

enum class Step { Press, Release, Delete };

struct Gesture {
    const char* what;
    std::vector<std::pair<Step, int>> steps;
    std::vector<int> order; // former row of each row afterwards
    int exchanges;          // releases that exchanged
};

TEST(ObjectList, RowDragExchangesTwoRowsOnlyAfterARecordedPress) {
    const std::vector<Gesture> gestures = {
        {"press 0, release 3", {{Step::Press, 0}, {Step::Release, 3}}, {3, 1, 2, 0}, 1},
        {"press 3, release 0", {{Step::Press, 3}, {Step::Release, 0}}, {3, 1, 2, 0}, 1},
        {"same row", {{Step::Press, 2}, {Step::Release, 2}}, {0, 1, 2, 3}, 0},
        {"release over no row", {{Step::Press, 1}, {Step::Release, -1}}, {0, 1, 2, 3}, 0},
        {"release without a press", {{Step::Release, 2}}, {0, 1, 2, 3}, 0},
        {"press over no row after a drag",
         {{Step::Press, 0}, {Step::Release, 1}, {Step::Press, -1}, {Step::Release, 3}},
         {1, 0, 2, 3},
         1},
        {"second release",
         {{Step::Press, 0}, {Step::Release, 1}, {Step::Release, 2}},
         {1, 0, 2, 3},
         1},
        {"two drags",
         {{Step::Press, 0}, {Step::Release, 3}, {Step::Press, 3}, {Step::Release, 1}},
         {3, 0, 2, 1},
         2},
        {"delete after a press",
         {{Step::Press, 3}, {Step::Delete, 0}, {Step::Release, 1}},
         {1, 2, 3},
         0},
    };
    for (const Gesture& g : gestures) {
        SCOPED_TRACE(g.what);
        Fixture f(4);
        int exchanges = 0;
        for (const auto& [step, row] : g.steps) {
            if (step == Step::Press)
                f.list.recordDragOrigin(row);
            else if (step == Step::Release)
                exchanges += f.list.finishDragExchange(row) ? 1 : 0;
            else
                f.list.remove(row);
        }
        ASSERT_EQ(f.list.count(), static_cast<int>(g.order.size()));
        for (std::size_t k = 0; k < g.order.size(); ++k)
            expectSameRow(f.list.row(static_cast<int>(k)),
                          f.former[static_cast<std::size_t>(g.order[k])]);
        EXPECT_EQ(exchanges, g.exchanges);
    }
}

TEST(ObjectList, DragRecordsTheFormerPicturesInTheExchangeFiles) {
    for (Folder folder : {Folder::Missing, Folder::Present}) {
        SCOPED_TRACE(describe(folder));
        Fixture f(4, folder);
        ASSERT_TRUE(f.list.recordDragOrigin(0));
        EXPECT_TRUE(f.list.lastRecordStatus().ok());
        const DragOrigin& o = f.list.dragOrigin();
        EXPECT_EQ(o.OLD_SWAPINDEX, 0);
        EXPECT_EQ(o.SWAP_OLD, "obj0");
        EXPECT_EQ(o.SWAP_OLDX, "-5");
        EXPECT_EQ(o.SWAP_OLDC, "F");
        EXPECT_EQ(o.SWAP_OLDADR, "/parts/obj0.bmp");
        ASSERT_TRUE(f.list.finishDragExchange(2));
        EXPECT_TRUE(f.list.lastRecordStatus().ok());

        ASSERT_NE(f.former[0].picture.width(), f.former[2].picture.width());
        expectRecord(f.list.exchangeFiles(), f.former[0], f.former[2]);
    }
}

TEST(ObjectList, DragExchangesInMemoryWhenTheFilesCannotBeWritten) {
    Fixture f(4, Folder::IsAFile);
    ASSERT_TRUE(f.list.recordDragOrigin(0));
    EXPECT_FALSE(f.list.lastRecordStatus().ok());
    ASSERT_TRUE(f.list.finishDragExchange(2));
    EXPECT_FALSE(f.list.lastRecordStatus().ok());
    expectSameRow(f.list.row(0), f.former[2]);
    expectSameRow(f.list.row(2), f.former[0]);
}

} // namespace
} // namespace tarn
