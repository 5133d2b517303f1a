#include "../../fuzz/ini_property.h"
#include "settings/ini_store.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Hovering reads on every mouse move, so reads may come from memory, but never stale: a
    // write of the same size by another instance within the same second shows.
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}}; // settled long ago
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
    ASSERT_EQ(get("Mof0"), value);
    const std::string other = value.substr(0, value.size() - 1) + "e";
    ASSERT_TRUE(IniStore(dir.path().string(), "tarn").putini("MemData", "Mof0", other));
    EXPECT_EQ(get("Mof0"), other);
    fs::resize_file(file, IniStore::kMaxBytes + 1); // far too large: neither read nor replaced
    EXPECT_EQ(get("Mof0"), "-");
    EXPECT_EQ(store.readStatus().error, EFBIG);
    EXPECT_FALSE(store.putini("MemData", "Mof1", "/b")) << "rewritten from nothing";
    EXPECT_EQ(fs::file_size(file), IniStore::kMaxBytes + 1);
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

// Two instances saving at once: each write waits for the other, so none is lost.
TEST_F(Ini, WritersInTwoProcessesLoseNothing) {
    const auto key = [](int c, int i) { return "P" + std::to_string(c) + "_" + std::to_string(i); };
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        if (children[c] == 0) {
            const IniStore own(dir.path().string(), "tarn");
            int failed = 0;
            for (int i = 0; i < 200; ++i)
                failed += !own.putini("MemData", key(c, i), std::to_string(i));
            ::_exit(failed == 0 ? 0 : 1);
        }
        ASSERT_GT(children[c], 0);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int kept = 0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 200; ++i)
            kept += get(key(c, i)) == std::to_string(i);
    EXPECT_EQ(kept, 400);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"tarn.ini"});
}

// A program folder its user cannot write, with a writable settings file in it:
// the settings go to the configuration folder, starting from that file.
TEST_F(Ini, ReadOnlyProgramFolderKeepsSettingsInTheConfigurationFolder) {
    const std::string program = dir.file("program"), config = dir.file("config/tarn");
    fs::create_directory(program);
    std::ofstream(program + "/tarn.ini") << "[MemData]\nMof1=/seed\n";
    fs::permissions(program + "/tarn.ini", fs::perms(0666));
    fs::permissions(program, fs::perms(0555));
    {
        const test::UnprivilegedUser nobody(dir.path(), 0777);
        ASSERT_TRUE(nobody.ok());
        const IniStore settings = IniStore::forProgram(program, "Tarn", config);
        EXPECT_EQ(settings.path(), config + "/tarn.ini");
        EXPECT_EQ(settings.getini("MemData", "Mof1", "-"), "/seed");
        EXPECT_TRUE(settings.putini("MemData", "Mof0", "/a"));
        EXPECT_EQ(settings.getini("MemData", "Mof0", "-"), "/a");
        EXPECT_EQ(settings.getini("MemData", "Mof1", "-"), "/seed");
        EXPECT_EQ(IniStore::forProgram(program, "Tarn", config).getini("MemData", "Mof0", "-"),
                  "/a");
    }
    EXPECT_EQ(test::fileBytes(program + "/tarn.ini"), test::bytesOf("[MemData]\nMof1=/seed\n"));
    EXPECT_EQ(IniStore::forProgram(dir.path().string(), "Tarn", config).path(), file);
}

} // namespace
} // namespace tarn
