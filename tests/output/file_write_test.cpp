#include "output/file_write.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {
namespace {

using test::bytesOf;
using test::fileBytes;
using test::TempFolder;

TEST(WriteFileAtomically, ReplacesAnEarlierLargerFileExactly) {
    TempFolder dir;
    const std::string target = dir.file("picture.bmp");
    ASSERT_TRUE(writeFileAtomically(target, Bytes(5000, 0xAB)).ok());
    ASSERT_TRUE(writeFileAtomically(target, bytesOf("short")).ok());
    EXPECT_EQ(fileBytes(target), bytesOf("short"));
    ASSERT_TRUE(writeFileAtomically(target, Bytes()).ok());
    EXPECT_TRUE(fileBytes(target).empty());
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"picture.bmp"});
}

TEST(WriteFileAtomically, NewFileGetsTheUsualPermissions) {
    TempFolder dir;
    const mode_t old = ::umask(022);
    const IoStatus s = writeFileAtomically(dir.file("a.jpg"), bytesOf("x"));
    ::umask(old);
    ASSERT_TRUE(s.ok());
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A device that fails part way, at the start or at the very end: the earlier
// file stays whole (or no file appears) and no temporary file is left.
TEST(WriteFileAtomically, InjectedFailureLeavesTheEarlierFileAndNoTemporary) {
    const std::size_t failAfter[] = {0, 1, 4095, 9999};
    for (const std::size_t after : failAfter) {
        SCOPED_TRACE(after);
        TempFolder dir;
        test::InjectedFailureReset reset;
        const std::string kept = dir.file("kept.bmp");
        ASSERT_TRUE(writeFileAtomically(kept, bytesOf("earlier contents")).ok());

        testing::injectWriteFailure(ENOSPC, after);
        const IoStatus over = writeFileAtomically(kept, Bytes(10000, 1));
        const IoStatus fresh = writeFileAtomically(dir.file("new.bmp"), Bytes(10000, 2));
        testing::injectWriteFailure(0, 0);

        EXPECT_EQ(over.number, ENOSPC);
        EXPECT_EQ(over.description, errorDescription(ENOSPC));
        EXPECT_FALSE(over.description.empty());
        EXPECT_EQ(fresh.number, ENOSPC);
        EXPECT_EQ(fileBytes(kept), bytesOf("earlier contents"));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept.bmp"});
    }
}

TEST(WriteFileAtomically, InjectionBeyondTheDataLetsTheWriteThrough) {
    TempFolder dir;
    test::InjectedFailureReset reset;
    testing::injectWriteFailure(ENOSPC, 10);
    EXPECT_TRUE(writeFileAtomically(dir.file("small"), bytesOf("0123456789")).ok());
    EXPECT_EQ(fileBytes(dir.file("small")), bytesOf("0123456789"));
}

TEST(WriteFileAtomically, UnreachableTargetsFailWithTheirErrorNumber) {
    TempFolder dir;
    std::filesystem::create_directory(dir.path() / "folder");
    std::ofstream(dir.file("folder/inside")) << "keep";
    std::ofstream(dir.file("plain")) << "file";
    struct Row {
        const char* name;
        int error;
    };
    const Row rows[] = {
        {"folder", EISDIR},        // a folder of that name is never replaced
        {"missing/x.bmp", ENOENT}, // the folder does not exist
        {"plain/x.bmp", ENOTDIR},  // a file stands where a folder should
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const IoStatus s = writeFileAtomically(dir.file(row.name), bytesOf("data"));
        EXPECT_EQ(s.number, row.error);
        EXPECT_EQ(s.description, errorDescription(row.error));
    }
    EXPECT_EQ(fileBytes(dir.file("folder/inside")), bytesOf("keep"));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder", "plain"}));
}

TEST(WriteFileAtomically, ReadOnlyFolderRefusesAndKeepsItsFile) {
    TempFolder dir;
    const std::string kept = dir.file("kept.bmp");
    ASSERT_TRUE(writeFileAtomically(kept, bytesOf("earlier")).ok());
    const int error = test::runUnprivileged(dir.path(), [&] {
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        return writeFileAtomically(kept, bytesOf("later")).number;
    });
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(fileBytes(kept), bytesOf("earlier"));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept.bmp"});
}

TEST(ReadWholeFile, ReportsMissingFilesAndFolders) {
    TempFolder dir;
    Bytes out = bytesOf("stale");
    EXPECT_EQ(readWholeFile(dir.file("none"), out).number, ENOENT);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(readWholeFile(dir.path().string(), out).number, EISDIR);

    // Larger than one read buffer, so the pieces must join in order.
    Bytes big(200000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 31 + i / 65536);
    ASSERT_TRUE(writeFileAtomically(dir.file("big"), big).ok());
    ASSERT_TRUE(readWholeFile(dir.file("big"), out).ok());
    EXPECT_EQ(out, big);
}

TEST(CopyFileAtomically, CopiesAndNeverTruncatesTheSourceOntoItself) {
    TempFolder dir;
    const std::string source = dir.file("wall.bmp");
    ASSERT_TRUE(writeFileAtomically(source, bytesOf("part bitmap")).ok());

    ASSERT_TRUE(copyFileAtomically(source, dir.file("copy.bmp")).ok());
    EXPECT_EQ(fileBytes(dir.file("copy.bmp")), bytesOf("part bitmap"));

    // The same file under other spellings of its path.
    EXPECT_TRUE(copyFileAtomically(source, dir.file("./wall.bmp")).ok());
    std::filesystem::create_hard_link(source, dir.file("link.bmp"));
    EXPECT_TRUE(copyFileAtomically(source, dir.file("link.bmp")).ok());
    EXPECT_EQ(fileBytes(source), bytesOf("part bitmap"));

    EXPECT_EQ(copyFileAtomically(dir.file("absent.bmp"), dir.file("copy.bmp")).number, ENOENT);
    EXPECT_EQ(fileBytes(dir.file("copy.bmp")), bytesOf("part bitmap"));
}

} // namespace
} // namespace tarn
