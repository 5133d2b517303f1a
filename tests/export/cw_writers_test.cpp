#include "export/cw_writers.h"
#include "export/sjis.h"
#include "export_test_support.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarn {
namespace {

using test::readArea;

struct SjisRow {
    const char* utf8;
    bool encodable;
    std::string sjis;
};

TEST(ShiftJis, EncodesWhatCp932HoldsAndRefusesTheRest) {
    const SjisRow rows[] = {
        {"", true, ""},
        {"stone_ug.bmp", true, "stone_ug.bmp"},
        {"タイトル未定", true, "\x83\x5E\x83\x43\x83\x67\x83\x8B\x96\xA2\x92\xE8"},
        {"ｷｬﾝｾﾙ", true, "\xB7\xAC\xDD\xBE\xD9"}, // half-width kana: one byte each
        {"①髙", true, "\x87\x40\xFB\xFC"},       // vendor extensions of code page 932
        {"\xF0\xA0\xAE\xB7", false, ""},         // U+20BB7, outside code page 932
        {"a\xF0\x9F\x98\x80", false, ""},        // an emoji after ASCII
        {"\xC3\x28", false, ""},                 // broken UTF-8
        {"\xE6\x96", false, ""},                 // UTF-8 cut short
    };
    for (const SjisRow& row : rows) {
        std::string out = "stale";
        EXPECT_EQ(toShiftJis(row.utf8, out), row.encodable) << row.utf8;
        if (row.encodable) {
            EXPECT_EQ(out, row.sjis) << row.utf8;
        }
    }
}

TEST(CountedString, LengthCountsEncodedBytesAndTheEndingZero) {
    Bytes out{0xAA};
    ASSERT_TRUE(appendCountedString(out, "石畳_ug.bmp"));
    const Bytes expected{0xAA, 12,  0,   0,   0,   0x90, 0xCE, 0x8F, 0xF4,
                         '_',  'u', 'g', '.', 'b', 'm',  'p',  0};
    EXPECT_EQ(out, expected);

    EXPECT_FALSE(appendCountedString(out, "\xF0\xA0\xAE\xB7.bmp"));
    EXPECT_EQ(out, expected) << "a refused text must leave the bytes alone";
}

TEST(FixedFiles, SummaryAndDarkBitmapMatchTheirLayouts) {
    EXPECT_EQ(summaryBytes(), test::golden("summary.wsm"));
    EXPECT_EQ(darkBmpBytes(), test::golden("dark.bmp"));
}

TEST(FixedFiles, DarkBitmapReadsAsTenByTenBlackInPil) {
    ASSERT_EQ(std::system("/usr/bin/python3 -c 'import PIL.Image' 2>/dev/null"), 0)
        << "python3-pil is missing: install it to run this check";
    test::TempFolder folder;
    ASSERT_TRUE(WriteDarkBmp(folder.file("dark.bmp")).ok());
    const std::string command = "/usr/bin/python3 -c \"import sys, PIL.Image as I; "
                                "im = I.open(sys.argv[1]).convert('RGB'); "
                                "sys.exit(0 if im.size == (10, 10) and "
                                "im.getextrema() == ((0, 0), (0, 0), (0, 0)) else 3)\" " +
                                folder.file("dark.bmp");
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(AreaFile, MatchesReferenceFiles) {
    Scene empty;
    Bytes out;
    ASSERT_TRUE(encodeArea(empty, 1, 1, kDefaultBackgroundName, out).ok());
    EXPECT_EQ(out, test::golden("area1_default.wid"));

    Scene scene;
    test::fillSlot(scene, 1, "stone_ug", "", 300, 150); // cell size stays the slot's own
    scene.objects.push_back(test::objectRow("box", "100", "50", "F", 64, 80));
    ASSERT_TRUE(encodeArea(scene, 2, 3, kDarkBackgroundName, out).ok());
    EXPECT_EQ(out, test::golden("area2_dark.wid"));
}

TEST(AreaFile, HeaderCarriesNumberNameAndCount) {
    struct Row {
        int n;
        std::string name;
        std::uint32_t nameField;
        std::int32_t number;
        const char* fileName;
    };
    const std::string prefix = "\x90\x56\x8B\x4B\x83\x47\x83\x8A\x83\x41"; // 新規エリア
    const Row rows[] = {
        {10, prefix + "(10)", 15, 40010, "Area10.wid"},
        {-3, prefix + "(-3)", 15, 39997, "Area-3.wid"},
        {2147443647, prefix + "(2147443647)", 23, INT_MAX, "Area2147443647.wid"},
    };
    for (const Row& row : rows) {
        test::TempFolder folder;
        const ExportResult r = WriteArea(Scene{}, folder.path(), row.n, 1, kDarkBackgroundName);
        ASSERT_TRUE(r.ok()) << row.n;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{row.fileName});
        const test::ReadArea a = readArea(test::readBytes(folder.file(row.fileName)));
        ASSERT_EQ(a.error, "");
        EXPECT_EQ(a.name, row.name);
        EXPECT_EQ(a.nameField, row.nameField);
        EXPECT_EQ(a.number, row.number);
        EXPECT_EQ(a.cellCount, 1u);
    }

    Bytes out{1, 2};
    const ExportResult tooLarge = encodeArea(Scene{}, 2147443648, 1, kDarkBackgroundName, out);
    EXPECT_EQ(tooLarge.problem, ExportProblem::NumberTooLarge);
    EXPECT_TRUE(out.empty());
}

TEST(AreaFile, CellsFollowTheDrawingOrder) {
    Scene scene;
    scene.objects = {test::objectRow("front", "-90", "7", "T", 5, 4),
                     test::objectRow("behind", "2.5", "3.5", "F", 9, 8),
                     test::objectRow("ignored", "0", "0", "X"),
                     test::objectRow("behind", "0", "0", "F", 1, 1)};
    // Slots 1 to 3 empty: the first "F" object follows the background.
    Bytes out;
    ASSERT_TRUE(encodeArea(scene, 1, 4, kDarkBackgroundName, out).ok());
    test::ReadArea a = readArea(out);
    ASSERT_EQ(a.error, "");
    ASSERT_EQ(a.cells.size(), 4u);
    EXPECT_EQ(a.cells[0].fileName, "dark.bmp");
    EXPECT_EQ(a.cells[0].flag, 0);
    EXPECT_EQ(a.cells[1].fileName, "behind.bmp");
    EXPECT_EQ(a.cells[1].left, 82); // 82.5 to the even neighbour
    EXPECT_EQ(a.cells[1].top, 4);   // 3.5 likewise
    EXPECT_EQ(a.cells[1].widthField, 40009);
    EXPECT_EQ(a.cells[1].height, 8);
    EXPECT_EQ(a.cells[2].fileName, "behind.bmp");
    EXPECT_EQ(a.cells[3].fileName, "front.bmp"); // slots 4 and 5 empty: "T" comes last
    EXPECT_EQ(a.cells[3].left, -10);
    EXPECT_EQ(a.cells[3].top, 7);

    // Every slot filled: F objects between the back and the front terrain.
    for (int i = 1; i <= kSlotCount; ++i)
        test::fillSlot(scene, i, "s" + std::to_string(i));
    scene.slot(4).name = "石壁_fl";
    ASSERT_TRUE(encodeArea(scene, 1, 9, kDefaultBackgroundName, out).ok());
    a = readArea(out);
    ASSERT_EQ(a.error, "");
    EXPECT_EQ(a.cellCount, 9u);
    std::vector<std::string> order;
    for (const AreaCell& c : a.cells)
        order.push_back(c.fileName);
    const std::vector<std::string> expected{
        "MapOfWirth.BMP",          "s1.bmp", "s2.bmp",   "s3.bmp", "behind.bmp", "behind.bmp",
        "\x90\xCE\x95\xC7_fl.bmp", "s5.bmp", "front.bmp"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(a.nameFields[6], 12u); // two full-width characters count two bytes each
    const AreaCell& slot4 = a.cells[6];
    EXPECT_EQ(std::vector<int>({slot4.left, slot4.top, slot4.widthField, slot4.height, slot4.flag}),
              std::vector<int>({80, 80, 40240, 200, 1}));
    const AreaCell& slot3 = a.cells[3];
    EXPECT_EQ(std::vector<int>({slot3.left, slot3.top, slot3.widthField, slot3.height}),
              std::vector<int>({320, 0, 40240, 160}));

    scene.objects[0].name = "\xF0\x9F\x98\x80";
    const ExportResult r = encodeArea(scene, 1, 9, kDefaultBackgroundName, out);
    EXPECT_EQ(r.problem, ExportProblem::NoShiftJis);
    EXPECT_EQ(r.subject, "\xF0\x9F\x98\x80.bmp");
}

} // namespace
} // namespace tarn
