#include "base/little_endian.h"
#include "export/area_plan.h"
#include "export/cw_writers.h"
#include "export/export_procedure.h"
#include "export/sjis.h"
#include "objects/object_list.h"
#include "output/bmp_writer.h"
#include "support/pipe_release.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tarn {
namespace {

using enum StatusCode;

Bytes golden(const std::string& name) {
    return test::fileBytes(TARN_TEST_DATA "/export/" + name);
}

// Parts all key colour: nothing of them shows, so their cells are as plain as can be.
Slot slot(const std::string& name, const std::string& path = "", int width = 12, int height = 10) {
    return {name, path, objectImage(Picture(width, height))};
}

ObjectRow object(const std::string& name, const std::string& path, int x, int y, int width,
                 int height) {
    const PartImagePtr shown = objectImage(Picture(width, height));
    return {name, path, x, y, Layer::BehindFront, false, false, shown, shown};
}

AreaCell cell(int left, int top, int width, int height, const std::string& name) {
    return {left, top, 40000 + width, height, name, 1};
}

// area1_all_cells.wid was put together from the layout tables: every slot, objects
// "F" and "T", a full-width name counted in bytes.
TEST(CwWriters, ExampleFiles) {
    EXPECT_EQ(summaryBytes(), golden("summary.wsm")); // 62 bytes
    Bytes start10 = golden("summary.wsm");
    putU32le(start10, 38, 40010);
    EXPECT_EQ(summaryBytes(10), start10);
    EXPECT_EQ(darkBmpBytes(), golden("dark.bmp")); // 246 bytes
    Bytes out;
    ASSERT_TRUE(encodeArea(10, {backgroundCell(kDarkBackgroundName)}, out).ok());
    const std::string head("\0\0\0\0\0\x0F\0\0\0"
                           "\x90\x56\x8B\x4B\x83\x47\x83\x8A\x83\x41(10)" // 新規エリア(10)
                           "\0\x4A\x9C\0\0",                              // 40010
                           28);
    EXPECT_EQ(std::string(out.begin(), out.end()).substr(0, 28), head);
    ASSERT_TRUE(encodeArea(1, {backgroundCell(kDefaultBackgroundName)}, out).ok());
    EXPECT_EQ(out, golden("area1_default.wid")); // 82 bytes

    // The cells come from the scene: a terrain part at its own size.
    Scene scene;
    scene.slot(1) = slot("stone_ug", "", 300, 150);
    scene.objects.push_back(object("box", "", 100, 50, 64, 80));
    ASSERT_TRUE(encodeArea(2, planArea(scene, kDarkBackgroundName).cells, out).ok());
    EXPECT_EQ(out, golden("area2_dark.wid")); // 151 bytes

    const std::vector<AreaCell> cells{
        backgroundCell(kDefaultBackgroundName), cell(160, 80, 320, 160, "s1.bmp"),
        cell(80, 0, 240, 160, "s2.bmp"),        cell(320, 0, 240, 160, "s3.bmp"),
        cell(82, 4, 9, 8, "behind.bmp"),        cell(80, 80, 240, 200, "石壁_fl.bmp"),
        cell(320, 80, 240, 200, "s5.bmp"),      cell(-10, 7, 5, 4, "front.bmp")};
    ASSERT_TRUE(encodeArea(1, cells, out).ok());
    EXPECT_EQ(out, golden("area1_all_cells.wid"));
    // Menu cards, each with one event: Start, then Change Area; 261 bytes.
    ASSERT_TRUE(encodeArea(5, "m (0,0) 北",
                           {{"前進", test::bytesOf("BM\x01\x02"), 9}, {"振り返る", {}, 7}},
                           {backgroundCell(kDarkBackgroundName)}, out)
                    .ok());
    EXPECT_EQ(out, golden("area5_cards.wid"));

    // Areas, numbers past 10000 taken modulo; a battle, a file ending inside the
    // number and no area at all read as 0.
    Bytes modulo = golden("area1_default.wid"), battle = modulo, cut = modulo;
    putU32le(modulo, 23, 50017);
    battle[0] = 1;
    cut.resize(25);
    const std::pair<Bytes, int> heads[] = {{golden("area1_all_cells.wid"), 1},
                                           {golden("area2_dark.wid"), 2},
                                           {modulo, 17},
                                           {battle, 0},
                                           {cut, 0},
                                           {test::bytesOf("old"), 0}};
    for (const auto& [bytes, number] : heads) {
        int n = 0;
        EXPECT_EQ(readAreaNumber(bytes, n), number != 0);
        EXPECT_EQ(number ? n : 0, number);
    }
}

// Names the engine reads back as written and may use as file names; on a fault
// the first offending character.
TEST(CwWriters, NamesSurviveTheEnginesCodePage) {
    const std::pair<NameFault, std::vector<std::string>> rows[] = {
        // The second: what Microsoft's table gives back.
        {NameFault::None, {"石壁_fl.bmp", "ＡＢＣ箱～－∥―￠￡￢.bmp", "ｶﾅ ~.bmp"}},
        {NameFault::NoCodePage,
         {"〜", "−", "‖", "—", "¢", "£", "¬", "¥", "‾", "\xF0\xA0\xAE\xB7", "é"}},
        {NameFault::NotUtf8, {"\xFF"}},
        {NameFault::NotInName,
         {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "\t", "\x1F", "\x7F"}},
    };
    for (const auto& [fault, characters] : rows)
        for (const std::string& c : characters)
            for (const std::string& name : {c + "_ug", "a" + c + "b" + c}) {
                std::string character = "x";
                EXPECT_EQ(checkName(name, character), fault) << name;
                EXPECT_EQ(character, fault == NameFault::None ? "" : c);
            }
}

// Everything is checked before anything is written; then only the export's own
// files change, each whole. In texts "$x" is x in the scenario folder; before
// the export "name=N" is an area file numbered N, "name.bmp" a part bitmap, "x/"
// a folder, "x|" a pipe, "x!" read-only, and any other name a file holding "old".
TEST(Export, ChecksFirstAndChangesOnlyItsOwnFiles) {
    const struct {
        std::string before;
        std::string parts;  // slots "name=source"
        std::string number; // or, when a file of `before`, the file selected to replace
        StatusCode problem;
        std::string subject, changed;
        long failAfter = -1; // a full disk after this many bytes
        bool black = false;
        std::string character = "";
    } rows[] = {
        {"Area1.wid=1", "", " 3.5 ", Ok, "", "Area4.wid=area:4/1"},
        // A new summary starts at the new area.
        {"", "", "10", Ok, "", "Area10.wid=area:10/1 Summary.wsm=summary:10"},
        // Area files and summaries in any case; files named .wid that are no area.
        {"B.WID=2", "", "1", Ok, "", "Area1.wid=area:1/1"},
        {"summary.WSM", "", "1", Ok, "", "Area1.wid=area:1/1"},
        {"Battle1.wid Area1.wid.bak=1", "", "1", Ok, "",
         "Area1.wid=area:1/1 Summary.wsm=summary:1"},
        // The limits of the area number.
        {"", "", "9999", Ok, "", "Area9999.wid=area:9999/1 Summary.wsm=summary:9999"},
        {"", "", "0", NumberOutOfRange, "0", ""},
        {"", "", "10000", NumberOutOfRange, "10000", ""},
        {"", "", "2147443648", NumberOutOfRange, "2147443648", ""},
        {"", "", "3x", BadNumber, "3x", ""},
        // Another file already holds the number; the same name in another case
        // is the same file to the engine, an area or not.
        {"Town.wid=3 Area1.wid=1", "", "3", AreaNumberTaken, "Town.wid", ""},
        {"area1.wid=1", "", "1", AreaExists, "area1.wid", ""},
        {"AREA2.WID", "", "2", AreaExists, "AREA2.WID", ""},
        // Existing-file mode keeps the number inside the file, and its name.
        {"Area1.wid=1 Town.wid=3", "", "Town.wid", Ok, "", "Town.wid=area:3/1"},
        {"Area1.wid=1 Battle1.wid", "", "Battle1.wid", NothingSelected, "Battle1.wid", ""},
        {"Odd.wid=10000", "", "Odd.wid", NumberOutOfRange, "0", ""},
        {"", "g_ug=$gone.bmp", "1", SourceMissing, "$gone.bmp", ""},
        {"", "\xF0\xA0\xAE\xB7_ug=$x.bmp", "1", BadPartName, "\xF0\xA0\xAE\xB7_ug.bmp", "", -1,
         false, "\xF0\xA0\xAE\xB7"},
        {"", "a:b_ug=$x.bmp", "1", BadPartName, "a:b_ug.bmp", "", -1, false, ":"},
        {"dark.bmp/", "", "1", ExportWriteFailed, "$dark.bmp", "", -1, true},
        {"Area1.wid=1", "", "Area1.wid", ExportWriteFailed, "$Area1.wid", "", 10},
        // Parts already in the scenario folder are their own copies.
        {"g_ug.bmp x_fl.BMP", "g_ug=$g_ug.bmp x_fl=$x_fl.BMP", "1", Ok, "",
         "Area1.wid=area:1/3 Summary.wsm=summary:1 x_fl.bmp=part"},
        // A pipe put in a part's place fails at once; a name the folder cannot
        // take and read-only files show before anything is written.
        {"p_ug|", "p_ug=$p_ug", "1", SourceMissing, "$p_ug", ""},
        {"s.bmp", std::string(252, 'n') + "=$s.bmp", "1", ExportWriteFailed,
         "$" + std::string(252, 'n') + ".bmp", ""},
        {"Area1.wid=1!", "", "Area1.wid", ExportWriteFailed, "$Area1.wid", ""},
        {"Area1.wid=1 dark.bmp!", "", "2", ExportWriteFailed, "$dark.bmp", "", -1, true},
    };
    const Bytes partBytes = encodeBmp24(Picture(12, 10));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before + " / " + row.parts + " / " + row.number);
        const test::TempFolder folder;
        const auto place = [&](const std::string& s) {
            return s[0] == '$' ? folder.file(s.substr(1)) : s;
        };
        std::vector<std::unique_ptr<test::PipeRelease>> releasers;
        std::string name;
        for (std::istringstream in(row.before); in >> name;) {
            const bool readOnly = name.ends_with('!'), pipe = name.ends_with('|');
            if (readOnly || pipe)
                name.pop_back();
            const std::string file = name.substr(0, name.find('='));
            Bytes area;
            if (pipe) {
                ASSERT_EQ(::mkfifo(folder.file(name).c_str(), 0644), 0);
                releasers.push_back(std::make_unique<test::PipeRelease>(folder.file(name)));
            } else if (name.ends_with('/')) {
                std::filesystem::create_directory(folder.file(name));
            } else if (file.size() != name.size()) {
                ASSERT_TRUE(encodeArea(std::stoi(name.substr(file.size() + 1)),
                                       {backgroundCell(kDarkBackgroundName)}, area)
                                .ok());
            } else {
                area = file.ends_with(".bmp") || file.ends_with(".BMP") ? partBytes
                                                                        : test::bytesOf("old");
            }
            if (!area.empty()) {
                ASSERT_TRUE(writeFileAtomically(folder.file(file), area).ok());
            }
            if (readOnly)
                std::filesystem::permissions(folder.file(file), std::filesystem::perms::owner_read);
        }
        Scene scene;
        int next = 1;
        for (std::istringstream in(row.parts); in >> name;)
            scene.slot(next++) =
                slot(name.substr(0, name.find('=')), place(name.substr(name.find('=') + 1)));
        // Each entry's content; the export's own files by what they are.
        const auto contents = [&] {
            std::map<std::string, std::string> out;
            for (const std::string& entry : folder.entries()) {
                // A reader would wait on a pipe.
                const bool pipe = std::filesystem::is_fifo(folder.file(entry));
                const Bytes b =
                    pipe ? test::bytesOf("<pipe>") : test::fileBytes(folder.file(entry));
                std::string& c = out[entry] = std::string(b.begin(), b.end());
                if (b == golden("dark.bmp"))
                    c = "dark.bmp";
                if (b == partBytes)
                    c = "part";
                if (entry == "Summary.wsm" && b.size() == 62)
                    c = "summary:" + std::to_string(getU32le(b, 38) - 40000);
                int n = 0;
                if (entry.ends_with(".wid") && readAreaNumber(b, n))
                    c = "area:" + std::to_string(n) + "/" +
                        std::to_string(getU32le(b, 22 + getU32le(b, 5)));
            }
            return out;
        };
        const auto before = contents();
        const bool existing = row.number.ends_with(".wid");
        test::InjectedFailureReset reset;
        if (row.failAfter >= 0)
            testing::injectWriteFailure(ENOSPC, static_cast<std::size_t>(row.failAfter));
        const auto start = std::chrono::steady_clock::now();
        const ExportResult r = exportTemplate(
            scene, {folder.path().string(), existing ? AreaMode::ExistingFile : AreaMode::NewFile,
                    row.number, existing ? row.number : "",
                    row.black ? Background::Black : Background::Default});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(std::tie(r.code, r.file, r.character),
                  std::tuple(row.problem, place(row.subject), row.character));
        auto expected = before;
        for (std::istringstream in(row.changed); in >> name;)
            expected[name.substr(0, name.find('='))] = name.substr(name.find('=') + 1);
        EXPECT_EQ(contents(), expected);
    }
}

// Of exports of one number racing into one folder, exactly one writes the area.
TEST(Export, OneOfConcurrentExportsOfANumberWins) {
    for (int trial = 0; trial < 3; ++trial) {
        const test::TempFolder folder;
        std::atomic<int> waiting{4};
        std::vector<ExportResult> results(4);
        const ExportRequest request{
            folder.path().string(), AreaMode::NewFile, "7", "", Background::Black, false};
        {
            std::vector<std::jthread> exports;
            for (ExportResult& result : results)
                exports.emplace_back([&] {
                    for (--waiting; waiting > 0;)
                        std::this_thread::yield();
                    result = exportTemplate(Scene(), request);
                });
        }
        std::vector<std::string> outcomes;
        for (const ExportResult& r : results)
            outcomes.push_back(r.ok() ? "ok" : std::to_string(int(r.code)) + " " + r.file);
        std::sort(outcomes.begin(), outcomes.end());
        const std::string lost = std::to_string(int(AreaExists)) + " Area7.wid";
        EXPECT_EQ(outcomes, (std::vector<std::string>{lost, lost, lost, "ok"}));
        EXPECT_EQ(folder.entries(),
                  (std::vector<std::string>{"Area7.wid", "Summary.wsm", "dark.bmp"}));
    }
}

// Names the engine's file system takes for one file (differing only in the case
// of their letters, half- or full-width, Greek or Cyrillic; not full width
// against ASCII, kana, nor two Shift-JIS letters, which are no UTF-8), and names
// Windows keeps for devices, with any ending and in any case, are never written:
// the part's file gets a number as a twin would.
TEST(AreaPlan, NamesTakenForAnotherFileAreDerived) {
    const std::tuple<const char*, const char*, bool> names[] = {
        {"Stone_BL.bmp", "stone_bl.bmp", true},
        {"ＷＡＬＬ.bmp", "ｗａｌｌ.bmp", true},
        {"ΘΥΡΑ.bmp", "θυρα.bmp", true},
        {"ДВЕРЬ.bmp", "дверь.bmp", true},
        {"ЁЖ.bmp", "ёж.bmp", true},
        {"ＷＡＬＬ.bmp", "wall.bmp", false},
        {"ドア.bmp", "どあ.bmp", false},
        {"\x83\x41.bmp", "\x83\x61.bmp", false}};
    for (const auto& [a, b, same] : names)
        EXPECT_EQ(foldedName(a) == foldedName(b), same) << a << " / " << b;
    const std::pair<std::string, std::string> rows[] = {
        {"CON", "CON_2.bmp"},       {"nul.x", "nul_2.x.bmp"}, {"Com1", "Com1_2.bmp"},
        {"lpt9 ", "lpt9 _2.bmp"},   {"aUx", "aUx_2.bmp"},     {"PRN", "PRN_2.bmp"},
        {"COM10", "COM10.bmp"},     {"com0", "com0.bmp"},     {"CONSOLE", "CONSOLE.bmp"},
        {"lpt1_ug", "lpt1_ug.bmp"}, {"ＢＯＸ", "ＢＯＸ.bmp"}, {"ｂｏｘ", "ｂｏｘ_2.bmp"}};
    Scene scene;
    std::vector<std::string> expected, planned;
    for (const auto& [name, file] : rows) {
        scene.objects.push_back(object(name, "/parts/" + name + ".bmp", 0, 0, 4, 4));
        expected.push_back(file);
    }
    for (const PartFile& file : planArea(scene, kDarkBackgroundName).files)
        planned.push_back(file.fileName);
    EXPECT_EQ(planned, expected);
    EXPECT_TRUE(isReservedWindowsName("x."));
    EXPECT_TRUE(isReservedWindowsName("x "));
}

// A part with a 6 GB tail, nearly all hole: exported whole, the hole kept, and
// memory flat.
TEST(Export, HugePartsAreStreamed) {
    const test::TempFolder parts, folder;
    const std::string source = parts.file("huge_ug.bmp");
    const off_t size = off_t{6} << 30;
    std::ofstream(source) << "BM head";
    ASSERT_EQ(::truncate(source.c_str(), size - 4), 0);
    std::ofstream(source, std::ios::app) << "tail";
    Scene scene;
    scene.slot(1) = slot("huge_ug", source);
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    ASSERT_TRUE(exportTemplate(scene, {folder.path().string(), AreaMode::NewFile, "1", "",
                                       Background::Default})
                    .ok());
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024); // kB
    const std::string copy = folder.file("huge_ug.bmp");
    struct stat st {};
    ASSERT_EQ(::stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, size);
    EXPECT_LT(st.st_blocks * 512, 64 << 20); // the hole stayed a hole
    std::ifstream in(copy, std::ios::binary);
    std::string head(7, '\0'), tail(4, '\0');
    in.read(head.data(), 7);
    in.seekg(size - 4);
    in.read(tail.data(), 4);
    EXPECT_EQ(head + tail, "BM headtail");
}

} // namespace
} // namespace tarn
