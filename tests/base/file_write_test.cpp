#include "base/file_write.h"
#include "support/pipe_release.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarn {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A replaced file keeps its mode; a read-only one is refused and stays as it was,
// for root too; a file this user may not write is refused before anything is made.
TEST(AtomicWriter, KeepsTheModeAndRefusesReadOnlyFiles) {
    const struct {
        mode_t mode;
        bool asNobody;
        int result;
    } rows[] = {{0600, false, 0},      {0640, false, 0},      {0755, false, 0},
                {0444, false, EACCES}, {0400, false, EACCES}, {0644, true, EACCES},
                {0666, true, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << std::oct << row.mode << (row.asNobody ? " nobody" : ""));
        const test::TempFolder dir;
        const std::string file = dir.file("x.ini");
        std::ofstream(file) << "earlier";
        ASSERT_EQ(::chmod(file.c_str(), row.mode), 0);
        std::optional<test::UnprivilegedUser> nobody;
        if (row.asNobody) {
            ASSERT_TRUE(nobody.emplace(dir.path(), 0777).ok());
        }
        EXPECT_EQ(writeFileAtomically(file, test::bytesOf("new")).error, row.result);
        nobody.reset();
        EXPECT_EQ(test::fileBytes(file), test::bytesOf(row.result ? "earlier" : "new"));
        EXPECT_EQ(modeOf(file), row.mode);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.ini"});
    }
}

// The temporary name does not grow with the target's: the longest legal name is
// written; one byte more is refused before anything is made.
TEST(AtomicWriter, NamesUpToTheLimitAndNotBeyond) {
    const test::TempFolder dir;
    const std::string longest(255, 'a'), alsoLongest(255, 'b'), tooLong(256, 'a');
    const Bytes bytes = test::bytesOf("content");
    ASSERT_TRUE(writeFileAtomically(dir.file(longest), bytes).ok());
    ASSERT_TRUE(copyFileAtomically(dir.file(longest), dir.file(alsoLongest)).ok());
    EXPECT_EQ(test::fileBytes(dir.file(alsoLongest)), bytes);
    EXPECT_EQ(writeFileAtomically(dir.file(tooLong), bytes).error, ENAMETOOLONG);
    EXPECT_EQ(checkTarget(dir.file(tooLong)).error, ENAMETOOLONG);
    EXPECT_EQ(dir.entries().size(), 2u);
}

// A writer killed halfway leaves its temporary file; the next clean-up of the
// folder removes it, and earlier versions' leftovers, but never the file of a
// writer that is still alive, nor a file that only looks similar.
TEST(AtomicWriter, LeftoversOfAKilledWriterAreRemovedLater) {
    const test::TempFolder dir;
    const pid_t child = ::fork();
    if (child == 0) {
        const Bytes big(std::size_t{1} << 28, 0x5A); // long enough to be caught halfway
        writeFileAtomically(dir.file("Summary.wsm"), big);
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    auto temporaries = [&] {
        std::vector<std::string> found;
        for (const std::string& name : dir.entries())
            if (name.starts_with(".tarn-"))
                found.push_back(name);
        return found;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (temporaries().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<std::string> left = temporaries();
    ASSERT_EQ(left.size(), 1u) << "the writer was not caught halfway";
    EXPECT_EQ(left[0].size(), 12u); // ".tarn-" and six letters

    std::ofstream(dir.file("Summary.wsm.tarn-Ab12Cd")) << "an earlier version's";
    std::ofstream(dir.file(".tarn-keep")) << "the user's own";
    std::ofstream(dir.file("notes.tarn-x1")) << "the user's own";
    const std::string live = dir.file(".tarn-Live01");
    const int held = ::open(live.c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX), 0); // as a running writer holds it
    removeStaleTemporaries(dir.path());
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{".tarn-Live01", ".tarn-keep", "notes.tarn-x1"}));
    ::close(held);
    // The next write into the folder cleans up as well.
    ASSERT_TRUE(writeFileAtomically(dir.file("Summary.wsm"), test::bytesOf("s")).ok());
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{".tarn-keep", "Summary.wsm", "notes.tarn-x1"}));
}

// Pipes in a file's place fail instead of blocking (devices: in the settings
// tests); files over the limit are refused from their size.
TEST(AtomicWriter, ReadsOnlyRegularFilesWithinTheLimit) {
    const test::TempFolder dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    const test::PipeRelease release(dir.file("pipe"));
    std::ofstream(dir.file("ten")) << "0123456789";
    const struct {
        std::string path;
        std::uint64_t limit;
        int result;
    } rows[] = {{dir.file("pipe"), 100, ENODEV},
                {dir.file("ten"), 9, EFBIG},
                {dir.file("ten"), 10, 0},
                {dir.path().string(), 100, EISDIR}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        Bytes out{1, 2};
        EXPECT_EQ(readWholeFile(row.path, out, row.limit).error, row.result);
        EXPECT_EQ(out.size(), row.result ? 0u : 10u);
    }
    EXPECT_EQ(copyFileAtomically(dir.file("pipe"), dir.file("copy")).error, ENODEV);
    EXPECT_FALSE(fs::exists(dir.file("copy")));
}

} // namespace
} // namespace tarn
