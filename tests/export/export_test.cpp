#include "export/cw_writers.h"
#include "export/export_procedure.h"
#include "output/little_endian.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace tarn {
namespace {

using test::fileBytes;
using enum ExportProblem;

Bytes golden(const std::string& name) {
    return fileBytes(TARN_TEST_DATA "/export/" + name);
}

Slot slot(const std::string& name, const std::string& path = "", int width = 12, int height = 10) {
    return {name, path, Picture(width, height), Mask(width, height)};
}

// area1_all_cells.wid was put together from the layout tables: every slot, objects
// "F", "T" and neither, halves to even, a full-width name counted in bytes.
TEST(CwWriters, ExampleFiles) {
    EXPECT_EQ(summaryBytes(), golden("summary.wsm")); // 62 bytes
    EXPECT_EQ(darkBmpBytes(), golden("dark.bmp"));    // 246 bytes
    Scene scene;
    Bytes out;
    ASSERT_TRUE(encodeArea(scene, 1, 1, kDefaultBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area1_default.wid"));    // 82 bytes
    scene.slot(1) = slot("stone_ug", "", 300, 150); // the cell keeps the slot's own size
    scene.objects.push_back({"box", "100", "50", "F", "", Picture(64, 80), Mask(64, 80)});
    ASSERT_TRUE(encodeArea(scene, 2, 3, kDarkBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area2_dark.wid")); // 151 bytes

    scene.objects = {{"front", "-90", "7", "T", "", Picture(5, 4), Mask(5, 4)},
                     {"behind", "2.5", "3.5", "F", "", Picture(9, 8), Mask(9, 8)},
                     {"none", "0", "0", "X", "", Picture(1, 1), Mask(1, 1)}};
    for (int i = 1; i <= kSlotCount; ++i)
        scene.slot(i) = slot(i == 4 ? "石壁_fl" : "s" + std::to_string(i));
    ASSERT_TRUE(encodeArea(scene, 1, 8, kDefaultBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area1_all_cells.wid"));

    test::TempFolder folder;
    ASSERT_TRUE(WriteArea(Scene{}, folder.path(), 10, 1, kDarkBackgroundName).ok());
    const Bytes area10 = fileBytes(folder.file("Area10.wid"));
    const std::string head = std::string("\0\0\0\0\0\x0F\0\0\0", 9) +
                             "\x90\x56\x8B\x4B\x83\x47\x83\x8A\x83\x41(10)" + // 新規エリア(10)
                             std::string("\0\x4A\x9C\0\0", 5);                // 40010
    EXPECT_EQ(std::string(area10.begin(), area10.end()).substr(0, 28), head);
}

ExportRequest request(std::string number, std::string file = "", bool black = 0, bool replace = 0) {
    const auto mode = file.empty() ? AreaMode::NewFile : AreaMode::ExistingFile;
    return {"", mode, number, file, black ? Background::Black : Background::Default, replace};
}

// A scenario folder and a part folder; in texts "$x" is x in the scenario
// folder, "%x" x in the part folder.
struct Scenario {
    std::string place(const std::string& s) const {
        const test::TempFolder& f = s[0] == '$' ? folder : parts;
        return s.size() == 1 ? f.path().string() : f.file(s.substr(1));
    }

    // Entries "x/" are folders, others files holding "old" and a long tail.
    void fill(const std::string& names) const {
        std::istringstream in(names);
        for (std::string name; in >> name;) {
            if (name.ends_with('/'))
                std::filesystem::create_directory(folder.file(name));
            else
                std::ofstream(folder.file(name)) << "old" << std::string(300, '.');
        }
    }

    // Slot parts "name" (from %name.bmp, which holds "part:name.bmp") or "name=source".
    Scene scene(const std::string& names) const {
        Scene scene;
        std::istringstream in(names);
        int next = 1;
        for (std::string token; in >> token;) {
            const std::string name = token.substr(0, token.find('='));
            if (token == name)
                std::ofstream(parts.file(name + ".bmp")) << "part:" << name << ".bmp";
            scene.slot(next++) = slot(
                name, place(token == name ? "%" + name + ".bmp" : token.substr(name.size() + 1)));
        }
        return scene;
    }

    // Every entry of the scenario folder, files the export writes by kind.
    std::map<std::string, std::string> contents() const {
        std::map<std::string, std::string> out;
        for (const std::string& name : folder.entries()) {
            const Bytes b = fileBytes(folder.file(name));
            std::string& c = out[name] = std::string(b.begin(), b.end());
            if (b == golden("summary.wsm") || b == golden("dark.bmp"))
                c = name == "dark.bmp" ? "dark" : "summary";
            else if (name.ends_with(".wid") && b.size() > 26 && getU32le(b, 5) < b.size() - 26)
                c = "area:" + std::to_string(getU32le(b, 9 + getU32le(b, 5))) + "/" +
                    std::to_string(getU32le(b, 22 + getU32le(b, 5)));
            else if (c.starts_with("old"))
                c = c.size() == 303 ? "old" : "cut short";
        }
        return out;
    }

    test::TempFolder folder, parts;
};

// Everything is checked before anything is written; then only the export's own
// files change, each whole. Rows: entries before, slot parts, request, outcome.
TEST(Export, ChecksFirstAndChangesOnlyItsOwnFiles) {
    const struct {
        std::string before, parts;
        ExportRequest request;
        ExportProblem problem;
        std::string subject, changed;
        long failAfter = -1; // a full disk after this many bytes
    } rows[] = {
        {"", "stone_ug wall_fl", request("1", "", true), None, "",
         "Area1.wid=area:40001/3 Summary.wsm=summary dark.bmp=dark stone_ug.bmp=part:stone_ug.bmp "
         "wall_fl.bmp=part:wall_fl.bmp"},
        {"Area1.wid Area2.wid", "", request("3"), None, "", "Area3.wid=area:40003/1"},
        {"B.WID Summary.wsm g_ug.bmp", "g_ug", request("1"), None, "",
         "Area1.wid=area:40001/2 Summary.wsm=summary g_ug.bmp=part:g_ug.bmp"},
        {"Area1.wid Area10.wid Area2.wid", "", request("", "Area10.wid"), None, "",
         "Area10.wid=area:40010/1"},
        {"Area1.wid Area3.wid", "", request("", "Area3.wid"), None, "", "Area3.wid=area:40003/1"},
        {"Area1.wid", "", request("", "Area9.wid"), NothingSelected, "Area9.wid", ""},
        {"Area1.wid", "", request("", "Area1.wid"), WriteFailed, "$Area1.wid", "", 10},
        {"Area1.wid Area3.wid", "g_ug", request("3"), AreaExists, "Area3.wid", ""},
        {"Area1.wid Area3.wid", "g_ug", request("3", "", true, true), None, "",
         "Area3.wid=area:40003/2 dark.bmp=dark g_ug.bmp=part:g_ug.bmp"},
        {"Area1.wid/", "", request("1"), WriteFailed, "$Area1.wid", ""},
        {"", "", request(" 3.5 "), None, "", "Area4.wid=area:40004/1 Summary.wsm=summary"},
        {"", "", request("2147443648"), NumberTooLarge, "2147443648", ""},
        {"", "g_ug=%gone.bmp", request("1"), SourceMissing, "%gone.bmp", ""},
        {"", "\xF0\xA0\xAE\xB7_ug=%x.bmp", request("1"), NoShiftJis, "\xF0\xA0\xAE\xB7_ug", ""},
        {"dark.bmp/", "g_ug", request("1", "", true), WriteFailed, "$dark.bmp", ""},
        {"", "g_ug", request("1", "", true), WriteFailed, "$dark.bmp",
         "Summary.wsm=summary g_ug.bmp=part:g_ug.bmp", 100},
        {"g_ug.bmp x_fl.BMP", "g_ug=$g_ug.bmp x_fl=$x_fl.BMP", request("1"), None, "",
         "Area1.wid=area:40001/3 Summary.wsm=summary x_fl.bmp=old"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before + " / " + row.parts);
        const Scenario s;
        s.fill(row.before);
        const Scene scene = s.scene(row.parts);
        const auto before = s.contents();
        ExportRequest request = row.request;
        request.folder = s.folder.path().string();
        test::InjectedFailureReset reset;
        if (row.failAfter >= 0)
            testing::injectWriteFailure(ENOSPC, static_cast<std::size_t>(row.failAfter));
        const ExportResult r = exportTemplate(scene, request);
        EXPECT_EQ(r.problem, row.problem);
        EXPECT_EQ(r.subject, row.subject[0] == '$' || row.subject[0] == '%' ? s.place(row.subject)
                                                                            : row.subject);
        std::string changed;
        auto after = s.contents();
        for (const auto& [name, content] : before)
            after.try_emplace(name, "gone");
        for (const auto& [name, content] : after)
            if (!before.contains(name) || before.at(name) != content)
                changed += " " + name + "=" + content;
        EXPECT_EQ(changed, row.changed.empty() ? "" : " " + row.changed);
    }
}

} // namespace
} // namespace tarn
