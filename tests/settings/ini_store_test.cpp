#include "../../fuzz/ini_property.h"
#include "settings/ini_store.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

namespace tarn {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class Ini : public ::testing::Test {
  protected:
    std::string read() const {
        const Bytes bytes = test::fileBytes(file);
        return {bytes.begin(), bytes.end()};
    }
    std::string get(const std::string& key) const { return store.getini("MemData", key, "-"); }

    test::TempFolder dir;
    IniStore store{dir.path().string(), "Tarn"};
    std::string file = dir.file("tarn.ini");
};

// Made at the first write, read back whole and in any case; failures keep the file, leave no temp.
TEST_F(Ini, RoundTripsAndKeepsTheEarlierFileOnFailure) {
    EXPECT_EQ(get("Mof0"), "-");
    const std::string value = "/home/u/ダンジョン/" + std::string(299, 'p') + "a=b]c[d";
    ASSERT_TRUE(store.putini("MemData", "Mof0", value));
    EXPECT_EQ(IniStore(dir.path().string(), "TARN").getini("memdata", "MOF0", "-"), value);
    EXPECT_FALSE(store.putini("MemData", "Mof0", "/x\n[Evil]\nk=v")); // would read as other keys
    testing::injectWriteFailure(ENOSPC, 5);
    EXPECT_FALSE(store.putini("MemData", "Mof0", "/changed"));
    testing::injectWriteFailure(0, 0);
    EXPECT_EQ(read(), "[MemData]\nMof0=" + value + "\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"tarn.ini"});
    fs::permissions(file, fs::perms::none);
    {
        const test::UnprivilegedUser nobody(dir.path(), 0777); // only the file refuses
        ASSERT_TRUE(nobody.ok());
        EXPECT_EQ(get("Mof0"), "-");
        EXPECT_FALSE(store.putini("MemData", "Mof1", "/b")) << "rewritten from nothing";
    }
    fs::remove(file);
    fs::create_directories(file + "/inside"); // a folder in the settings file's place
    EXPECT_EQ(get("Mof0"), "-");
    EXPECT_FALSE(store.putini("MemData", "Mof0", "/a"));
    EXPECT_TRUE(fs::exists(file + "/inside"));
}

// One key replaced in place and one added after the section's last: every other byte is kept.
TEST_F(Ini, WritingOneKeyKeepsEveryOtherByte) {
    const std::string junk = "\x01\xFF\xFE\x00[\x80=\x00\n"s.append(1 << 20, 'x') + "\n";
    const std::string rows[][3] = {
        {"[MemData]\r\nMof0=/a", "/a", "[MemData]\r\nMof0=/n\r\nMof1=/n\r\n"},
        {"[Other]\r\nk=v", "-", "[Other]\r\nk=v\r\n\r\n[MemData]\r\nMof0=/n\r\nMof1=/n\r\n"},
        {"\xEF\xBB\xBF[MemData]\nMof0=/a\n", "/a", "\xEF\xBB\xBF[MemData]\nMof0=/n\nMof1=/n\n"},
        {junk + "[MemData]\nMof0=/a\x00tail\n\xC0 no equals sign\n"s, "/a", // nothing past a NUL
         junk + "[MemData]\nMof0=/n\n\xC0 no equals sign\nMof1=/n\n"},
        {"; Tarn\n[ memdata ]\n  MOF0   =   /a  \nmof0=/second\nMof2=/x=y]z\n"
         "Mof3 = \" /quoted \"\nMof4=\n\n; next\n[Other]\nk=v\n",
         "/a", // the first of two
         "; Tarn\n[ memdata ]\n  MOF0   =   /n\nmof0=/second\nMof2=/x=y]z\n"
         "Mof3 = \" /quoted \"\nMof4=\nMof1=/n\n\n; next\n[Other]\nk=v\n"}};
    for (const auto& [before, reads, after] : rows) {
        std::ofstream(file, std::ios::binary) << before;
        EXPECT_EQ(get("Mof0"), reads);
        ASSERT_TRUE(store.putini("MemData", "Mof0", "/n") && store.putini("MemData", "Mof1", "/n"));
        EXPECT_EQ(read(), after);
    }
    EXPECT_EQ(get("Mof2"), "/x=y]z");
    EXPECT_EQ(get("Mof3"), " /quoted ");
    EXPECT_EQ(get("Mof4"), ""); // present but empty: not the default
    EXPECT_EQ(get("k"), "-");   // only in another section
}

// Found by fuzzing: a lone CR at the end ended a value wrongly. Also every value read back.
TEST_F(Ini, FoundInputsKeepEveryOtherKeyWhenOneIsWritten) {
    ASSERT_FALSE(fs::is_empty(TARN_TEST_DATA "/crashes/ini"));
    for (const auto& entry : fs::directory_iterator(TARN_TEST_DATA "/crashes/ini"))
        for (std::size_t k = 0; k < fuzz::kIniKeys.size(); ++k)
            for (std::size_t v = 0; v < fuzz::kIniValues.size(); ++v)
                EXPECT_EQ(fuzz::iniWriteProblem(store, test::fileBytes(entry.path()), k, v), "")
                    << entry.path().filename() << " key " << k << " value " << v;
}

} // namespace
} // namespace tarn
