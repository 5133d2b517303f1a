#include "output/file_write.h"
#include "settings/ini_store.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace tarn {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class IniStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarn-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        testing::injectWriteFailure(0, 0);
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }

    IniStore store() const { return IniStore(folder_.string(), "Tarn"); }
    fs::path iniPath() const { return folder_ / "tarn.ini"; }

    void writeRaw(const std::string& bytes) const {
        std::ofstream(iniPath(), std::ios::binary) << bytes;
    }
    std::string readRaw() const {
        std::ifstream in(iniPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

TEST(IniStorePath, LowerCaseBaseNameBesideTheProgram) {
    EXPECT_EQ(IniStore("/opt/tarn", "Tarn").path(), "/opt/tarn/tarn.ini");
    EXPECT_EQ(IniStore("/opt/tarn", "TARN-Tool").path(), "/opt/tarn/tarn-tool.ini");
    // At the root there is exactly one separator.
    EXPECT_EQ(IniStore("/", "Tarn").path(), "/tarn.ini");
}

TEST_F(IniStoreTest, FirstWriteCreatesTheLowerCaseFileThatReadsFindBack) {
    EXPECT_EQ(store().getini("MemData", "MofFirst", "App.Path"), "App.Path");
    ASSERT_TRUE(store().putini("MemData", "MofFirst", "/home/u/parts"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"tarn.ini"});
    EXPECT_EQ(IniStore(folder_.string(), "TARN").getini("MemData", "MofFirst", "App.Path"),
              "/home/u/parts");
    EXPECT_EQ(readRaw(), "[MemData]\nMofFirst=/home/u/parts\n");
}

TEST_F(IniStoreTest, ValuesComeBackWhole) {
    const std::string longPath = "/" + std::string(299, 'p');
    const std::string cases[] = {
        "/home/u/ダンジョン/壁",    // UTF-8 text
        longPath,                   // far past the old 127-byte buffer
        "a=b=c",                    // everything after the first "="
        "/x]y[z",                   // brackets inside a value
        "  leading and trailing  ", // blanks at the ends survive
        "\"quoted\"",               // quotes that are part of the value
        "'",                        // a lone quote
        "",                         // present but empty
        "App.Path",
    };
    for (const std::string& value : cases) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(store().putini("MemData", "Mof0", value));
        EXPECT_EQ(store().getini("MemData", "Mof0", "default"), value);
    }
}

TEST_F(IniStoreTest, MissingSectionOrKeyGivesTheDefaultButAnEmptyValueDoesNot) {
    writeRaw("[MemData]\nMof0=\nMof1=x\n[Other]\nMof2=y\n");
    EXPECT_EQ(store().getini("MemData", "Mof0", "App.Path"), "");
    EXPECT_EQ(store().getini("MemData", "Mof2", "App.Path"), "App.Path");
    EXPECT_EQ(store().getini("MemWData", "Mof1", "/prog"), "/prog");
    EXPECT_EQ(store().getini("MemData", "Mof", "App.Path"), "App.Path");
}

TEST_F(IniStoreTest, NamesMatchWithoutRegardToCase) {
    ASSERT_TRUE(store().putini("MemData", "MofFirst", "/a"));
    EXPECT_EQ(store().getini("MEMDATA", "moffirst", "-"), "/a");
    // Writing under another spelling replaces the key rather than adding one.
    ASSERT_TRUE(store().putini("memdata", "MOFFIRST", "/b"));
    EXPECT_EQ(readRaw(), "[MemData]\nMofFirst=/b\n");
}

TEST_F(IniStoreTest, SecondKeyAndSecondSectionKeepTheFirst) {
    ASSERT_TRUE(store().putini("MemData", "Mof0", "/zero"));
    ASSERT_TRUE(store().putini("MemData", "Mof1", "/one"));
    ASSERT_TRUE(store().putini("MemWData", "MofSLoc", "/scen"));
    ASSERT_TRUE(store().putini("MemData", "Mof2", "/two"));
    EXPECT_EQ(readRaw(), "[MemData]\nMof0=/zero\nMof1=/one\nMof2=/two\n\n"
                         "[MemWData]\nMofSLoc=/scen\n");
}

// A file edited by hand: comments, blanks around names and values, a quoted
// value, a duplicate key and a trailing comment that belongs to the next section.
const char* const kHandWritten = "; Tarn settings\n"
                                 "# kept by hand\n"
                                 "[ MemData ]\n"
                                 "  Mof0   =   /home/a/parts  \n"
                                 "Mof1=/x=y]z\n"
                                 "mof0=/second\n"
                                 "\n"
                                 "; export folder\n"
                                 "[MemWData]\n"
                                 "MofSLoc = \" /quoted path \"\n"
                                 "[MemData]\n"
                                 "Mof3=/later\n";

TEST_F(IniStoreTest, HandWrittenFileReads) {
    writeRaw(kHandWritten);
    EXPECT_EQ(store().getini("MemData", "Mof0", "-"), "/home/a/parts"); // first of two wins
    EXPECT_EQ(store().getini("MemData", "Mof1", "-"), "/x=y]z");
    EXPECT_EQ(store().getini("MemWData", "MofSLoc", "-"), " /quoted path ");
    EXPECT_EQ(store().getini("MemData", "Mof3", "-"), "/later"); // a repeated section counts
    EXPECT_EQ(store().getini("MemData", "Tarn settings", "-"), "-");
}

TEST_F(IniStoreTest, HandWrittenFileKeepsEveryOtherLineWhenOneKeyIsWritten) {
    struct Row {
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    };
    const std::string head = "; Tarn settings\n# kept by hand\n[ MemData ]\n";
    const std::string tail = "\n; export folder\n[MemWData]\nMofSLoc = \" /quoted path \"\n"
                             "[MemData]\nMof3=/later\n";
    const Row rows[] = {
        // Replaced in place, keeping the line's own spacing before the value.
        {"MemData", "MOF0", "/new", head + "  Mof0   =   /new\nMof1=/x=y]z\nmof0=/second\n" + tail},
        // A new key goes after the section's last key, before the blank line and
        // the comment that introduce the next section.
        {"MemData", "Mof2", "/two",
         head + "  Mof0   =   /home/a/parts  \nMof1=/x=y]z\nmof0=/second\nMof2=/two\n" + tail},
        // A key of the repeated section is replaced where it stands.
        {"MemData", "Mof3", "/l2",
         head + "  Mof0   =   /home/a/parts  \nMof1=/x=y]z\nmof0=/second\n" +
             "\n; export folder\n[MemWData]\nMofSLoc = \" /quoted path \"\n[MemData]\nMof3=/l2\n"},
        // A new section goes at the end of the file after a blank line.
        {"Extra", "K", "v", std::string(kHandWritten) + "\n[Extra]\nK=v\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        writeRaw(kHandWritten);
        ASSERT_TRUE(store().putini(row.section, row.key, row.value));
        EXPECT_EQ(readRaw(), row.expected);
    }
}

TEST_F(IniStoreTest, LineEndsAndByteOrderMarkArePreserved) {
    struct Row {
        std::string before;
        const char* key;
        std::string after;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const Row rows[] = {
        {"[MemData]\r\nMof0=/a\r\n", "Mof0", "[MemData]\r\nMof0=/n\r\n"},
        {"[MemData]\r\nMof0=/a\r\n", "Mof1", "[MemData]\r\nMof0=/a\r\nMof1=/n\r\n"},
        {"[MemData]\r\nMof0=/a", "Mof1", "[MemData]\r\nMof0=/a\r\nMof1=/n\r\n"},
        {"[MemData]\nMof0=/a", "Mof1", "[MemData]\nMof0=/a\nMof1=/n\n"},
        {"[Other]\r\nk=v", "Mof1", "[Other]\r\nk=v\r\n\r\n[MemData]\r\nMof1=/n\r\n"},
        {bom + "[MemData]\nMof0=/a\n", "Mof0", bom + "[MemData]\nMof0=/n\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before);
        writeRaw(row.before);
        const bool hasSection = row.before.find("[MemData]") != std::string::npos;
        EXPECT_EQ(store().getini("MemData", "Mof0", "-"), hasSection ? "/a" : "-");
        ASSERT_TRUE(store().putini("MemData", row.key, "/n"));
        EXPECT_EQ(readRaw(), row.after);
        EXPECT_EQ(store().getini("MemData", row.key, "-"), "/n");
    }
}

TEST_F(IniStoreTest, GarbageNulBytesAndHugeLinesDoNotHideOrLoseSettings) {
    std::string garbage("\x01\xFF\xFE\x00[\x80=\x00\n", 9);
    const std::string hugeLine(1 << 20, 'x');
    const std::string before = garbage + hugeLine + "\n[MemData]\nMof0=/a\x00tail\n"s +
                               "\xC0\xC1 no equals sign\nMof1=/b\n";
    writeRaw(before);
    EXPECT_EQ(store().getini("MemData", "Mof1", "-"), "/b");
    EXPECT_EQ(store().getini("MemData", "Mof0", "-"), "/a"); // nothing past a NUL
    ASSERT_TRUE(store().putini("MemData", "Mof2", "/c"));
    EXPECT_EQ(readRaw(), before + "Mof2=/c\n");

    const std::string hugeValue(1 << 20, 'v');
    ASSERT_TRUE(store().putini("MemData", "Mof3", hugeValue));
    EXPECT_EQ(store().getini("MemData", "Mof3", "-"), hugeValue);
    EXPECT_EQ(store().getini("MemData", "Mof1", "-"), "/b");
}

TEST_F(IniStoreTest, TextThatWouldBreakTheFileIsRefusedAndNothingChanges) {
    writeRaw("[MemData]\nMof0=/a\n");
    struct Row {
        std::string section, key, value;
    };
    const Row rows[] = {
        {"MemData", "Mof0", "/x\n[Evil]\nk=v"},
        {"MemData", "Mof0", "/x\r"},
        {"MemData", "Mof0", std::string("/x\0y", 4)},
        {"MemData", "Mof0=", "v"},
        {"MemData", "", "v"},
        {"Mem]Data", "Mof0", "v"},
        {"", "Mof0", "v"},
        {"MemData", ";Mof0", "v"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key + " / " + row.value);
        EXPECT_FALSE(store().putini(row.section, row.key, row.value));
        EXPECT_EQ(readRaw(), "[MemData]\nMof0=/a\n");
    }
}

TEST_F(IniStoreTest, SettingsPathThatIsAFolderGivesDefaultsAndIsNotDestroyed) {
    fs::create_directory(iniPath());
    std::ofstream(iniPath() / "inside.txt") << "keep";
    EXPECT_EQ(store().getini("MemData", "MofFirst", "App.Path"), "App.Path");
    EXPECT_FALSE(store().putini("MemData", "MofFirst", "/a"));
    EXPECT_TRUE(fs::is_directory(iniPath()));
    EXPECT_TRUE(fs::exists(iniPath() / "inside.txt"));
}

TEST_F(IniStoreTest, FailedWriteKeepsTheEarlierFileWhole) {
    writeRaw("[MemData]\nMof0=/a\nMof1=/b\n");
    testing::injectWriteFailure(ENOSPC, 5);
    EXPECT_FALSE(store().putini("MemData", "Mof0", "/changed"));
    testing::injectWriteFailure(0, 0);
    EXPECT_EQ(readRaw(), "[MemData]\nMof0=/a\nMof1=/b\n");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"tarn.ini"});
}

TEST_F(IniStoreTest, UnreadableFileIsNotRewrittenFromNothing) {
    writeRaw("[MemData]\nMof0=/a\n");
    fs::permissions(iniPath(), fs::perms::none);
    const int outcome = test::runUnprivileged(folder_, [&] {
        const bool defaulted = store().getini("MemData", "Mof0", "-") == "-";
        const bool refused = !store().putini("MemData", "Mof1", "/b");
        return (defaulted ? 1 : 0) | (refused ? 2 : 0);
    });
    fs::permissions(iniPath(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(outcome, 3) << "1: default read, 2: write refused";
    EXPECT_EQ(readRaw(), "[MemData]\nMof0=/a\n");
}

TEST_F(IniStoreTest, SymbolicLinkKeepsPointingAtTheUpdatedFile) {
    const fs::path real = folder_ / "elsewhere.ini";
    std::ofstream(real) << "[MemData]\nMof0=/a\n";
    fs::create_symlink(real, iniPath());
    ASSERT_TRUE(store().putini("MemData", "Mof1", "/b"));
    EXPECT_TRUE(fs::is_symlink(iniPath()));
    EXPECT_EQ(readRaw(), "[MemData]\nMof0=/a\nMof1=/b\n");
}

} // namespace
} // namespace tarn
