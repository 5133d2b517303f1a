#include "base/little_endian.h"
#include "export/cw_writers.h"
#include "export/export_procedure.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace tarn {
namespace {

using enum ExportProblem;

Bytes golden(const std::string& name) {
    return test::fileBytes(TARN_TEST_DATA "/export/" + name);
}

PartImagePtr image(int width, int height) {
    return std::make_shared<PartImage>(PartImage{Picture(width, height), Mask(width, height)});
}

Slot slot(const std::string& name, const std::string& path = "", int width = 12, int height = 10) {
    return {name, path, image(width, height)};
}

ObjectRow object(const std::string& name, int x, int y, Layer layer, int width, int height) {
    ObjectRow row;
    row.name = name;
    row.x = x;
    row.y = y;
    row.layer = layer;
    row.shown = row.source = image(width, height);
    return row;
}

// area1_all_cells.wid was put together from the layout tables: every slot, objects
// "F" and "T", a full-width name counted in bytes.
TEST(CwWriters, ExampleFiles) {
    EXPECT_EQ(summaryBytes(), golden("summary.wsm")); // 62 bytes
    EXPECT_EQ(darkBmpBytes(), golden("dark.bmp"));    // 246 bytes
    Scene scene;
    Bytes out;
    ASSERT_TRUE(encodeArea(scene, 10, 1, kDarkBackgroundName, out).ok());
    const std::string head("\0\0\0\0\0\x0F\0\0\0"
                           "\x90\x56\x8B\x4B\x83\x47\x83\x8A\x83\x41(10)" // 新規エリア(10)
                           "\0\x4A\x9C\0\0",                              // 40010
                           28);
    EXPECT_EQ(std::string(out.begin(), out.end()).substr(0, 28), head);
    ASSERT_TRUE(encodeArea(scene, 1, 1, kDefaultBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area1_default.wid"));    // 82 bytes
    scene.slot(1) = slot("stone_ug", "", 300, 150); // the cell keeps the slot's own size
    scene.objects.push_back(object("box", 100, 50, Layer::BehindFront, 64, 80));
    ASSERT_TRUE(encodeArea(scene, 2, 3, kDarkBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area2_dark.wid")); // 151 bytes

    scene.objects = {object("front", -90, 7, Layer::InFront, 5, 4),
                     object("behind", 2, 4, Layer::BehindFront, 9, 8)};
    for (int i = 1; i <= kSlotCount; ++i)
        scene.slot(i) = slot(i == 4 ? "石壁_fl" : "s" + std::to_string(i));
    ASSERT_TRUE(encodeArea(scene, 1, 8, kDefaultBackgroundName, out).ok());
    EXPECT_EQ(out, golden("area1_all_cells.wid"));
}

// Everything is checked before anything is written; then only the export's own
// files change, each whole. In texts "$x" is x in the scenario folder.
TEST(Export, ChecksFirstAndChangesOnlyItsOwnFiles) {
    const struct {
        std::string before; // "x/" a folder, other entries files holding "old"
        std::string parts;  // slots "name=source"
        std::string number; // or, named Area..., the file selected to replace
        ExportProblem problem;
        std::string subject, changed;
        long failAfter = -1; // a full disk after this many bytes
        bool black = false;
    } rows[] = {
        {"Area1.wid", "", " 3.5 ", None, "", "Area4.wid=area:40004/1"},
        {"B.WID Summary.wsm", "", "1", None, "", "Area1.wid=area:40001/1 Summary.wsm=summary.wsm"},
        {"", "", "2147443648", NumberTooLarge, "2147443648", ""},
        {"", "", "3x", BadNumber, "3x", ""},
        {"", "g_ug=$gone.bmp", "1", SourceMissing, "$gone.bmp", ""},
        {"", "\xF0\xA0\xAE\xB7_ug=$x.bmp", "1", NoShiftJis, "\xF0\xA0\xAE\xB7_ug", ""},
        {"dark.bmp/", "", "1", WriteFailed, "$dark.bmp", "", -1, true},
        {"Area1.wid", "", "Area1.wid", WriteFailed, "$Area1.wid", "", 10},
        {"g_ug.bmp x_fl.BMP", "g_ug=$g_ug.bmp x_fl=$x_fl.BMP", "1", None, "",
         "Area1.wid=area:40001/3 Summary.wsm=summary.wsm x_fl.bmp=old"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before + " / " + row.parts + " / " + row.number);
        const test::TempFolder folder;
        const auto place = [&](const std::string& s) {
            return s[0] == '$' ? folder.file(s.substr(1)) : s;
        };
        std::string name;
        for (std::istringstream in(row.before); in >> name;) {
            if (name.ends_with('/'))
                std::filesystem::create_directory(folder.file(name));
            else
                std::ofstream(folder.file(name)) << "old";
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
                const Bytes b = test::fileBytes(folder.file(entry));
                std::string& c = out[entry] = std::string(b.begin(), b.end());
                for (const char* file : {"summary.wsm", "dark.bmp"})
                    if (b == golden(file))
                        c = file;
                if (entry.ends_with(".wid") && b.size() > 26 && getU32le(b, 5) < b.size() - 26)
                    c = "area:" + std::to_string(getU32le(b, 9 + getU32le(b, 5))) + "/" +
                        std::to_string(getU32le(b, 22 + getU32le(b, 5)));
            }
            return out;
        };
        const auto before = contents();
        const bool existing = row.number.starts_with("Area");
        test::InjectedFailureReset reset;
        if (row.failAfter >= 0)
            testing::injectWriteFailure(ENOSPC, static_cast<std::size_t>(row.failAfter));
        const ExportResult r = exportTemplate(
            scene, {folder.path().string(), existing ? AreaMode::ExistingFile : AreaMode::NewFile,
                    row.number, existing ? row.number : "",
                    row.black ? Background::Black : Background::Default});
        EXPECT_EQ(r.problem, row.problem);
        EXPECT_EQ(r.subject, place(row.subject));
        auto expected = before;
        for (std::istringstream in(row.changed); in >> name;)
            expected[name.substr(0, name.find('='))] = name.substr(name.find('=') + 1);
        EXPECT_EQ(contents(), expected);
    }
}

} // namespace
} // namespace tarn
