#include "../../fuzz/ini_property.h"
#include "settings/ini_store.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarn {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class Ini : public ::testing::Test {
  protected:
    void write(const std::string& bytes) const { std::ofstream(file, std::ios::binary) << bytes; }
    std::string read() const {
        const Bytes bytes = test::fileBytes(file);
        return {bytes.begin(), bytes.end()};
    }
    std::string get(const std::string& key) const { return store.getini("MemData", key, "-"); }
    bool put(const std::string& key, const std::string& value) const {
        return store.putini("MemData", key, value);
    }

    test::TempFolder dir;
    IniStore store{dir.path().string(), "Tarn"};
    std::string file = dir.file("tarn.ini");
};

TEST_F(Ini, RoundTripsInTheLowerCaseFile) {
    EXPECT_EQ(IniStore("/", "TARN-Tool").path(), "/tarn-tool.ini");
    EXPECT_EQ(get("MofFirst"), "-");
    for (const std::string& value : {"/home/u/ダンジョン/壁"s, "/" + std::string(299, 'p'),
                                     "a=b]c[d"s, "  blanks  "s, "\"quoted\""s, "'"s, ""s}) {
        ASSERT_TRUE(put("MofFirst", value));
        EXPECT_EQ(IniStore(dir.path().string(), "TARN").getini("MemData", "MofFirst", "-"), value);
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"tarn.ini"});
}

// Comments, odd spacing and case, "=" and "]" in a value, a quoted value, a
// duplicate key; one key replaced and one added keep every other byte.
TEST_F(Ini, HandWrittenFile) {
    const std::string text = "; Tarn\n[ memdata ]\n  MOF0   =   /home/a  \nmof0=/second\n"
                             "Mof1=/x=y]z\nMof2 = \" /quoted \"\nMof3=\n\n; next\n[Other]\nk=v\n";
    write(text);
    EXPECT_EQ(get("Mof0"), "/home/a"); // the first of two
    EXPECT_EQ(get("Mof1"), "/x=y]z");
    EXPECT_EQ(get("Mof2"), " /quoted ");
    EXPECT_EQ(get("Mof3"), "");        // present but empty: not the default
    EXPECT_EQ(get("k"), "-");          // only in another section
    ASSERT_TRUE(put("Mof0", "/new"));  // in place, keeping the line's spacing
    ASSERT_TRUE(put("Mof4", "/four")); // after the last key, before blank and comment
    EXPECT_EQ(read(), "; Tarn\n[ memdata ]\n  MOF0   =   /new\nmof0=/second\nMof1=/x=y]z\n"
                      "Mof2 = \" /quoted \"\nMof3=\nMof4=/four\n\n; next\n[Other]\nk=v\n");
}

TEST_F(Ini, LineEndsByteOrderMarkAndGarbageAreKept) {
    const std::string junk = "\x01\xFF\xFE\x00[\x80=\x00\n"s.append(1 << 20, 'x') + "\n";
    const std::string rows[][2] = {
        {"[MemData]\r\nMof0=/a", "[MemData]\r\nMof0=/n\r\nMof1=/n\r\n"},
        {"[Other]\r\nk=v", "[Other]\r\nk=v\r\n\r\n[MemData]\r\nMof0=/n\r\nMof1=/n\r\n"},
        {"\xEF\xBB\xBF[MemData]\nMof0=/a\n", "\xEF\xBB\xBF[MemData]\nMof0=/n\nMof1=/n\n"},
        {junk + "[MemData]\nMof0=/a\x00tail\n\xC0 no equals sign\n"s, // nothing read past a NUL
         junk + "[MemData]\nMof0=/n\n\xC0 no equals sign\nMof1=/n\n"}};
    for (const auto& [before, after] : rows) {
        write(before);
        EXPECT_EQ(get("Mof0"), before.find("[MemData]") != std::string::npos ? "/a" : "-");
        ASSERT_TRUE(put("Mof0", "/n") && put("Mof1", "/n"));
        EXPECT_EQ(read(), after);
    }
}

// Found by fuzzing: a lone CR at the end ended a value wrongly.
TEST_F(Ini, FoundInputsKeepEveryOtherKeyWhenOneIsWritten) {
    ASSERT_FALSE(fs::is_empty(TARN_TEST_DATA "/crashes/ini"));
    for (const auto& entry : fs::directory_iterator(TARN_TEST_DATA "/crashes/ini")) {
        const Bytes bytes = test::fileBytes(entry.path().string());
        for (std::size_t key = 0; key < fuzz::kIniKeys.size(); ++key)
            for (std::size_t value = 0; value < fuzz::kIniValues.size(); ++value)
                EXPECT_EQ(fuzz::iniWriteProblem(store, bytes, key, value), "")
                    << entry.path().filename() << " key " << key << " value " << value;
    }
}

// Whatever goes wrong, what was there stays whole and no temporary file is left.
TEST_F(Ini, RefusedAndFailedWritesKeepTheEarlierFile) {
    write("[MemData]\nMof0=/a\n");
    EXPECT_FALSE(put("Mof0", "/x\n[Evil]\nk=v")); // would read back as other keys
    testing::injectWriteFailure(ENOSPC, 5);
    EXPECT_FALSE(put("Mof0", "/changed"));
    testing::injectWriteFailure(0, 0);
    fs::permissions(file, fs::perms::none); // unreadable: not rewritten from nothing
    {
        // The folder stays writable: only the file's permissions refuse.
        const test::UnprivilegedUser nobody(dir.path(), 0777);
        ASSERT_TRUE(nobody.ok());
        EXPECT_EQ(get("Mof0"), "-") << "an unreadable file reads as defaults";
        EXPECT_FALSE(put("Mof1", "/b")) << "and is not written from nothing";
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(read(), "[MemData]\nMof0=/a\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"tarn.ini"});
    fs::remove(file);
    fs::create_directories(file + "/inside"); // a folder in the settings file's place
    EXPECT_EQ(get("Mof0"), "-");
    EXPECT_FALSE(put("Mof0", "/a"));
    EXPECT_TRUE(fs::exists(file + "/inside"));
}

} // namespace
} // namespace tarn
