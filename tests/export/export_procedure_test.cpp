#include "export/export_procedure.h"
#include "export_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {
namespace {

using test::putFile;
using test::readArea;
using Contents = std::map<std::string, std::string>;

// A scenario folder and, beside it, a part folder whose files have distinct bytes.
class Export : public ::testing::Test {
  protected:
    void TearDown() override { testing::injectWriteFailure(0, 0); }

    std::string part(const std::string& fileName) {
        const std::string path = parts.file(fileName);
        putFile(path, "part:" + fileName);
        return path;
    }

    ExportRequest newFile(const std::string& number, Background bg = Background::Black) {
        ExportRequest r;
        r.folder = out.path();
        r.numberText = number;
        r.background = bg;
        return r;
    }

    ExportRequest existing(const std::string& selected) {
        ExportRequest r = newFile("");
        r.mode = AreaMode::ExistingFile;
        r.selectedFile = selected;
        r.background = Background::Default;
        return r;
    }

    test::ReadArea area(const std::string& name) {
        return readArea(test::readBytes(out.file(name)));
    }

    test::TempFolder out;
    test::TempFolder parts;
};

TEST_F(Export, FirstExportWritesSummaryPartsDarkAndArea) {
    Scene scene;
    test::fillSlot(scene, 1, "stone_ug", part("stone_ug.bmp"));
    test::fillSlot(scene, 4, "wall_fl", part("wall_fl.bmp"));
    scene.objects.push_back(test::objectRow("box", "100", "50", "F", 64, 80, part("box.bmp")));

    const ExportResult r = exportTemplate(scene, newFile("1"));
    ASSERT_TRUE(r.ok()) << r.subject;

    const Contents c = test::folderContents(out);
    EXPECT_EQ(out.entries(), (std::vector<std::string>{"Area1.wid", "Summary.wsm", "box.bmp",
                                                       "dark.bmp", "stone_ug.bmp", "wall_fl.bmp"}));
    EXPECT_EQ(test::bytesOf(c.at("Summary.wsm")), test::golden("summary.wsm"));
    EXPECT_EQ(test::bytesOf(c.at("dark.bmp")), test::golden("dark.bmp"));
    for (const char* name : {"stone_ug.bmp", "wall_fl.bmp", "box.bmp"})
        EXPECT_EQ(c.at(name), std::string("part:") + name);

    const test::ReadArea a = area("Area1.wid");
    ASSERT_EQ(a.error, "");
    EXPECT_EQ(a.number, 40001);
    EXPECT_EQ(a.cellCount, 4u);
    ASSERT_EQ(a.cells.size(), 4u);
    EXPECT_EQ(a.cells[0].fileName, "dark.bmp");
    EXPECT_EQ(a.cells[2].fileName, "box.bmp");
    EXPECT_EQ(a.cells[3].fileName, "wall_fl.bmp");
}

TEST_F(Export, CountsSlotsAndRowsAndReplacesOldFilesWhole) {
    Scene scene;
    test::fillSlot(scene, 2, "a_bl", part("a_bl.bmp"));
    test::fillSlot(scene, 4, "a_fl", part("a_fl.bmp"));
    for (const char* name : {"ob1", "ob2", "ob3"})
        scene.objects.push_back(
            test::objectRow(name, "0", "0", "T", 3, 3, part(std::string(name) + ".bmp")));
    // Longer leftovers of an earlier scenario must not leave a tail behind.
    putFile(out.file("Summary.wsm"), std::string(500, 'x'));
    putFile(out.file("a_bl.bmp"), std::string(500, 'x'));

    ASSERT_TRUE(exportTemplate(scene, newFile("1", Background::Default)).ok());

    const test::ReadArea a = area("Area1.wid");
    EXPECT_EQ(a.cellCount, 6u);
    EXPECT_EQ(a.cells.size(), 6u);
    EXPECT_EQ(a.cells[0].fileName, "MapOfWirth.BMP");
    const Contents c = test::folderContents(out);
    EXPECT_EQ(c.size(), 7u) << "summary, area and five bitmaps; no dark.bmp";
    EXPECT_EQ(c.count("dark.bmp"), 0u);
    EXPECT_EQ(test::bytesOf(c.at("Summary.wsm")), test::golden("summary.wsm"));
    EXPECT_EQ(c.at("a_bl.bmp"), "part:a_bl.bmp");
}

TEST_F(Export, ListsOnlyPlainLowerCaseWidFilesSortedWithoutCase) {
    for (const char* name : {"Area2.wid", "area1.wid", "Area10.wid", "B.WID", "x.wid.bak",
                             ".hidden.wid", "wid", "notes.txt"})
        putFile(out.file(name), "old");
    ::mkdir((out.file("Dir.wid")).c_str(), 0755);
    EXPECT_EQ(listAreaFiles(out.path()),
              (std::vector<std::string>{"area1.wid", "Area10.wid", "Area2.wid"}));
    EXPECT_TRUE(listAreaFiles(out.file("missing")).empty());
}

TEST_F(Export, SummaryOnlyWhenNoAreaFileExists) {
    struct Row {
        std::vector<std::string> present;
        const char* number;
        bool summary;
    };
    const Row rows[] = {{{"Area1.wid", "Area2.wid", "Area3.wid"}, "4", false},
                        {{"B.WID"}, "1", true},
                        {{"Other.wid"}, "1", false}};
    for (const Row& row : rows) {
        test::TempFolder folder;
        for (const std::string& name : row.present)
            putFile(folder.file(name), "old:" + name);
        ExportRequest req = newFile(row.number, Background::Default);
        req.folder = folder.path();
        ASSERT_TRUE(exportTemplate(Scene{}, req).ok());
        const Contents c = test::folderContents(folder);
        EXPECT_EQ(c.count("Summary.wsm"), row.summary ? 1u : 0u) << row.present[0];
        EXPECT_EQ(c.size(), row.present.size() + 1 + (row.summary ? 1 : 0));
        for (const std::string& name : row.present)
            EXPECT_EQ(c.at(name), "old:" + name) << "only the new area file may appear";
    }
}

TEST_F(Export, ExistingModeReplacesExactlyTheSelectedFile) {
    struct Row {
        std::vector<std::string> present;
        std::string selected;
        std::int32_t number;
    };
    const Row rows[] = {
        {{"Area1.wid", "Area2.wid", "Area3.wid"}, "Area2.wid", 40002},
        {{"Area1.wid", "Area10.wid", "Area2.wid"}, "Area10.wid", 40010}, // listed second
        {{"Area1.wid", "Area3.wid"}, "Area3.wid", 40003},                // a gap
        {{"Area1.wid", "Extra.wid"}, "Extra.wid", 40002},                // position in the list
        {{"Area1.wid", "Area02.wid"}, "Area02.wid", 40002},
    };
    for (const Row& row : rows) {
        test::TempFolder folder;
        for (const std::string& name : row.present)
            putFile(folder.file(name), "old:" + name);
        ExportRequest req = existing(row.selected);
        req.folder = folder.path();
        const ExportResult r = exportTemplate(Scene{}, req);
        ASSERT_TRUE(r.ok()) << row.selected << " " << r.subject;

        const Contents c = test::folderContents(folder);
        EXPECT_EQ(c.size(), row.present.size()) << row.selected << ": no file added";
        for (const std::string& name : row.present) {
            if (name != row.selected) {
                EXPECT_EQ(c.at(name), "old:" + name) << row.selected;
            }
        }
        const test::ReadArea a = readArea(test::bytesOf(c.at(row.selected)));
        EXPECT_EQ(a.error, "") << row.selected;
        EXPECT_EQ(a.number, row.number) << row.selected;
    }
}

TEST_F(Export, SelectionMustBeACurrentAreaFile) {
    putFile(out.file("Area1.wid"), "old");
    for (const char* selected : {"", "Area9.wid", "../Area1.wid"}) {
        const ExportResult r = exportTemplate(Scene{}, existing(selected));
        EXPECT_EQ(r.problem, ExportProblem::NothingSelected) << selected;
    }
    EXPECT_EQ(test::folderContents(out), (Contents{{"Area1.wid", "old"}}));
}

TEST_F(Export, NewFileOntoAnExistingAreaAsksFirst) {
    Scene scene;
    test::fillSlot(scene, 1, "g_ug", part("g_ug.bmp"));
    putFile(out.file("Area1.wid"), "old1");
    putFile(out.file("Area3.wid"), "old3");
    const Contents before = test::folderContents(out);

    ExportRequest req = newFile("3");
    ExportResult r = exportTemplate(scene, req);
    EXPECT_EQ(r.problem, ExportProblem::AreaExists);
    EXPECT_EQ(r.subject, "Area3.wid");
    EXPECT_EQ(test::folderContents(out), before) << "nothing may be written before the user agrees";

    req.replaceExisting = true;
    r = exportTemplate(scene, req);
    ASSERT_TRUE(r.ok()) << r.subject;
    const Contents after = test::folderContents(out);
    EXPECT_EQ(after.at("Area1.wid"), "old1");
    EXPECT_EQ(area("Area3.wid").number, 40003);
    EXPECT_EQ(after.size(), 4u) << "Area1, Area3, g_ug.bmp and dark.bmp";
}

TEST_F(Export, NumberTextIsReadAsAWholeNumber) {
    struct Row {
        const char* text;
        ExportProblem problem;
        const char* file; // written when the text is accepted
    };
    const Row rows[] = {
        {"2.5", ExportProblem::None, "Area2.wid"},
        {"3.5", ExportProblem::None, "Area4.wid"},
        {"2.51", ExportProblem::None, "Area3.wid"},
        {" \t7 ", ExportProblem::None, "Area7.wid"},
        {"+5", ExportProblem::None, "Area5.wid"},
        {"-2", ExportProblem::None, "Area-2.wid"},
        {"2147443647", ExportProblem::None, "Area2147443647.wid"},
        {"abc", ExportProblem::BadNumber, nullptr},
        {"", ExportProblem::BadNumber, nullptr},
        {"   ", ExportProblem::BadNumber, nullptr},
        {"1e3", ExportProblem::BadNumber, nullptr},
        {"0x10", ExportProblem::BadNumber, nullptr},
        {"1 2", ExportProblem::BadNumber, nullptr},
        {".", ExportProblem::BadNumber, nullptr},
        {"2147443648", ExportProblem::NumberTooLarge, nullptr},
        {"2147443647.5", ExportProblem::NumberTooLarge, nullptr},
        {"99999999999999999999", ExportProblem::NumberTooLarge, nullptr},
    };
    for (const Row& row : rows) {
        test::TempFolder folder;
        ExportRequest req = newFile(row.text, Background::Default);
        req.folder = folder.path();
        const ExportResult r = exportTemplate(Scene{}, req);
        EXPECT_EQ(r.problem, row.problem) << '"' << row.text << '"';
        if (row.file != nullptr) {
            EXPECT_EQ(folder.entries(), (std::vector<std::string>{row.file, "Summary.wsm"}))
                << row.text;
        } else {
            EXPECT_EQ(r.subject, row.text);
            EXPECT_TRUE(folder.entries().empty()) << row.text;
        }
    }
}

TEST_F(Export, ProblemsFoundBeforeAnythingIsWritten) {
    const std::string good = part("g_ug.bmp");
    ::mkdir((out.file("taken.bmp")).c_str(), 0755);
    struct Row {
        const char* what;
        std::string folder;
        std::string slotName, slotPath, objectName, objectPath;
        ExportProblem problem;
        std::string subject;
    };
    const Row rows[] = {
        {"missing folder", out.file("nowhere"), "", "", "", "", ExportProblem::FolderMissing,
         out.file("nowhere")},
        {"file as folder", good, "", "", "", "", ExportProblem::FolderMissing, good},
        {"missing slot part", out.path(), "g_ug", parts.file("gone.bmp"), "", "",
         ExportProblem::SourceMissing, parts.file("gone.bmp")},
        {"missing object part", out.path(), "g_ug", good, "box", parts.file("box.bmp"),
         ExportProblem::SourceMissing, parts.file("box.bmp")},
        {"folder as part", out.path(), "g_ug", parts.path(), "", "", ExportProblem::SourceMissing,
         parts.path()},
        {"slot name", out.path(), "\xF0\xA0\xAE\xB7_ug", good, "", "", ExportProblem::NoShiftJis,
         "\xF0\xA0\xAE\xB7_ug"},
        {"object name", out.path(), "g_ug", good, "\xF0\x9F\x98\x80", good,
         ExportProblem::NoShiftJis, "\xF0\x9F\x98\x80"},
        {"folder in the way", out.path(), "taken", good, "", "", ExportProblem::WriteFailed,
         out.file("taken.bmp")},
    };
    for (const Row& row : rows) {
        Scene scene;
        if (!row.slotName.empty())
            test::fillSlot(scene, 1, row.slotName, row.slotPath);
        if (!row.objectName.empty())
            scene.objects.push_back(
                test::objectRow(row.objectName, "0", "0", "F", 2, 2, row.objectPath));
        ExportRequest req = newFile("1");
        req.folder = row.folder;
        const ExportResult r = exportTemplate(scene, req);
        EXPECT_EQ(r.problem, row.problem) << row.what;
        EXPECT_EQ(r.subject, row.subject) << row.what;
        EXPECT_EQ(out.entries(), std::vector<std::string>{"taken.bmp"}) << row.what;
    }
}

TEST_F(Export, ReadOnlyFileSystemIsRefused) {
    // access() grants root everything; only trying to create a file tells.
    struct stat st {};
    if (::stat("/proc", &st) != 0 || !S_ISDIR(st.st_mode))
        GTEST_SKIP() << "no /proc here";
    ExportRequest r = newFile("1");
    r.folder = "/proc";
    EXPECT_EQ(exportTemplate(Scene{}, r).problem, ExportProblem::FolderNotWritable);
}

TEST_F(Export, FolderWithoutWritePermissionIsRefused) {
    ::chmod(out.path().c_str(), 0555);
    const int problem = test::runUnprivileged(out.path(), [&] {
        return static_cast<int>(exportTemplate(Scene{}, newFile("1")).problem);
    });
    EXPECT_EQ(problem, static_cast<int>(ExportProblem::FolderNotWritable));
    EXPECT_TRUE(out.entries().empty());
}

TEST_F(Export, PartsAlreadyInTheFolderStayIntact) {
    // Scenario folder and part folder are one: every copy is onto itself.
    putFile(out.file("g_ug.bmp"), "ground");
    putFile(out.file("ob_x.BMP"), "upper");
    Scene scene;
    test::fillSlot(scene, 1, "g_ug", out.file("g_ug.bmp"));
    scene.objects.push_back(test::objectRow("ob_x", "0", "0", "F", 2, 2, out.file("ob_x.BMP")));

    ASSERT_TRUE(exportTemplate(scene, newFile("1")).ok());
    const Contents c = test::folderContents(out);
    EXPECT_EQ(c.at("g_ug.bmp"), "ground");
    EXPECT_EQ(c.at("ob_x.BMP"), "upper");
    EXPECT_EQ(c.at("ob_x.bmp"), "upper") << "the copy takes the name the area file gives";
    EXPECT_EQ(c.size(), 6u) << "plus Summary.wsm, dark.bmp and Area1.wid; no temporary file";
}

TEST_F(Export, FullDiskLeavesCompleteFilesAndNoTemporaries) {
    // Replacing an area file: the old one survives a failed write.
    putFile(out.file("Area1.wid"), "old area");
    testing::injectWriteFailure(ENOSPC, 10);
    ExportResult r = exportTemplate(Scene{}, existing("Area1.wid"));
    EXPECT_EQ(r.problem, ExportProblem::WriteFailed);
    EXPECT_EQ(r.subject, out.file("Area1.wid"));
    EXPECT_EQ(r.io.number, ENOSPC);
    EXPECT_EQ(test::folderContents(out), (Contents{{"Area1.wid", "old area"}}));

    // Failing midway: what went before is whole, nothing after is begun.
    test::TempFolder fresh;
    Scene scene;
    test::fillSlot(scene, 1, "g_ug", part("g_ug.bmp"));
    testing::injectWriteFailure(ENOSPC, 100); // enough for the summary and the part, not dark.bmp
    ExportRequest req = newFile("1");
    req.folder = fresh.path();
    r = exportTemplate(scene, req);
    EXPECT_EQ(r.problem, ExportProblem::WriteFailed);
    EXPECT_EQ(r.subject, fresh.file("dark.bmp"));
    const Contents c = test::folderContents(fresh);
    EXPECT_EQ(fresh.entries(), (std::vector<std::string>{"Summary.wsm", "g_ug.bmp"}));
    EXPECT_EQ(test::bytesOf(c.at("Summary.wsm")), test::golden("summary.wsm"));
    EXPECT_EQ(c.at("g_ug.bmp"), "part:g_ug.bmp");
}

} // namespace
} // namespace tarn
