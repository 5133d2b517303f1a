#include "base/file_write.h"
#include "support/pipe_release.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarn {
namespace {

namespace fs = std::filesystem;

int modeOf(const std::string& path) {
    return static_cast<int>(fs::status(path).permissions());
}

// The temporary name does not grow with the target's: the longest legal name is written.
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

// A killed writer's temporary file and earlier versions' leftovers are cleaned up
// later; a live writer's file and files that only look similar are kept.
TEST(AtomicWriter, LeftoversOfAKilledWriterAreRemovedLater) {
    const test::TempFolder dir;
    const pid_t child = ::fork();
    if (child == 0) {
        const Bytes big(std::size_t{1} << 28, 0x5A); // long enough to be caught halfway
        writeFileAtomically(dir.file("Summary.wsm"), big);
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (dir.entries().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<std::string> left = dir.entries();
    ASSERT_EQ(left.size(), 1u) << "the writer was not caught halfway";
    EXPECT_TRUE(left[0].starts_with(".tarn-") && left[0].size() == 12) << left[0];

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

// Pipes and devices in a file's place fail at once; files over the limit are refused.
TEST(AtomicWriter, ReadsOnlyRegularFilesWithinTheLimit) {
    const test::TempFolder dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    const test::PipeRelease release(dir.file("pipe"));
    std::ofstream(dir.file("ten")) << "0123456789";
    const std::tuple<std::string, std::uint64_t, int> rows[] = {{dir.file("pipe"), 100, ENODEV},
                                                                {dir.file("ten"), 9, EFBIG},
                                                                {dir.file("ten"), 10, 0},
                                                                {dir.path().string(), 100, EISDIR},
                                                                {"/dev/zero", 100, ENODEV}};
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [path, limit, result] : rows) {
        SCOPED_TRACE(path);
        Bytes out{1, 2};
        EXPECT_EQ(readWholeFile(path, out, limit).error, result);
        EXPECT_EQ(out.size(), result ? 0u : 10u);
    }
    EXPECT_EQ(copyFileAtomically(dir.file("pipe"), dir.file("copy")).error, ENODEV);
    EXPECT_FALSE(fs::exists(dir.file("copy")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)); // no waiting
}

// Makes in the folder what the steps say, "what name [argument]" each: dir, fifo, device,
// socket, lchown (to nobody), file (mode), chmod (mode), link (target; "@": in the folder).
bool make(const test::TempFolder& d, const std::string& steps) {
    std::istringstream in(steps);
    std::string what, name, arg;
    bool ok = true;
    while (ok && in >> what >> name) {
        const std::string at = name == "." ? d.path().string() : d.file(name);
        if (what == "dir")
            ok = fs::create_directory(at);
        else if (what == "fifo")
            ok = ::mkfifo(at.c_str(), 0666) == 0;
        else if (what == "device")
            ok = ::mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
        else if (what == "socket")
            ok = ::mknod(at.c_str(), S_IFSOCK | 0666, 0) == 0;
        else if (what == "lchown")
            ok = ::lchown(at.c_str(), 65534, 65534) == 0;
        else if (in >> arg && what == "link")
            ok = ::symlink((arg[0] == '@' ? d.file(arg.substr(1)) : arg).c_str(), at.c_str()) == 0;
        else if (what == "file" && !(std::ofstream(at) << "old"))
            ok = false;
        else
            ok = ::chmod(at.c_str(), static_cast<mode_t>(std::stoi(arg, nullptr, 8))) == 0;
    }
    return ok;
}

// Every name under the folder, links not followed, with each file's kind and bytes.
std::set<std::string> contents(const fs::path& folder) {
    std::set<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = e.path().lexically_relative(folder).string();
        std::string bytes;
        if (e.is_symlink())
            bytes = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            std::getline(std::ifstream(e.path()), bytes);
        found.insert(name + " " + std::to_string(static_cast<int>(e.symlink_status().type())) +
                     " " + bytes);
    }
    return found;
}

// Each writer against what may stand in a file's place: a file keeps its mode, one that is
// read-only or not this user's to write is refused and stays, what is no file is refused before
// anything is made; links are written through and stay. Devices are made here, only by root.
TEST(AtomicWriter, RefusesWhatIsNoFileAndWritesThroughLinks) {
    const Status notRegular{StatusCode::NotRegularFile, {}, ENODEV}, written{};
    const struct {
        const char* what;
        const char* make;
        Status result;       // of writing and copying
        bool checkSees;      // checkTarget refuses too, before any folder is tried
        const char* lands;   // the file written, for a write that succeeds
        mode_t nobodyFolder; // as nobody, the folder's mode then; 0: as this user
    } rows[] = {
        {"nothing", "", written, false, "t", 0},
        {"file 0600", "file t 600", written, false, "t", 0},
        {"file 0755", "file t 755", written, false, "t", 0},
        {"read-only file", "file t 444", systemError(EACCES), true, nullptr, 0},
        {"file only its owner reads", "file t 400", systemError(EACCES), true, nullptr, 0},
        {"another user's file", "file t 644", systemError(EACCES), true, nullptr, 0777},
        {"another user's file all may write", "file t 666", written, false, "t", 0777},
        {"device", "device t", notRegular, true, nullptr, 0},
        {"fifo", "fifo t", notRegular, true, nullptr, 0},
        {"socket", "socket t", notRegular, true, nullptr, 0},
        {"link to a fifo", "fifo p link t p", notRegular, true, nullptr, 0},
        {"live link", "dir real file real/x 640 link t real/x", written, false, "real/x", 0},
        {"chain of links", "dir real file real/x 640 link real/y ../real/x link t @real/y", written,
         false, "real/x", 0},
        {"link to a read-only file", "file x 444 link t x", systemError(EACCES), true, nullptr, 0},
        {"dangling link", "dir real link t real/x", written, false, "real/x", 0},
        {"dangling link, no folder", "link t gone/x", systemError(ENOENT), false, nullptr, 0},
        {"dangling link, folder not this user's", "dir real chmod real 555 link t real/x",
         systemError(EACCES), false, nullptr, 0777},
        {"another user's link in a shared folder (as /tmp)",
         "file x 666 link t x lchown t chmod . 1777", systemError(EACCES), true, nullptr, 0},
        {"link in a folder this user may not write",
         "dir real chmod real 777 file real/x 666 link t real/x chmod . 555", written, false,
         "real/x", 0555},
    };
    const test::TempFolder sources;
    std::ofstream(sources.file("source")) << "new";
    ::chmod(sources.path().c_str(), 0755); // for nobody too
    const std::function<Status(const std::string&)> writers[] = {
        [](const std::string& t) { return writeFileAtomically(t, test::bytesOf("new")); },
        [&](const std::string& t) { return copyFileAtomically(sources.file("source"), t); },
        [](const std::string& t) { return checkTarget(t); }};
    const mode_t mask = ::umask(022);
    for (const auto& row : rows) {
        for (int w = 0; w < 3; ++w) {
            SCOPED_TRACE(::testing::Message() << row.what << ", writer " << w);
            const test::TempFolder dir;
            if (!make(dir, row.make)) {
                // mknod and lchown need root (and a container may refuse them even then).
                EXPECT_NE(::geteuid(), 0u) << row.what << ": " << std::strerror(errno);
                continue;
            }
            std::set<std::string> expected = contents(dir.path());
            // Replaced: the mode it had; made anew: as any new file, not the writer's 0600.
            const int mode = row.lands != nullptr && fs::exists(dir.file(row.lands))
                                 ? modeOf(dir.file(row.lands))
                                 : 0644;
            std::optional<test::UnprivilegedUser> nobody;
            if (row.nobodyFolder != 0) {
                ASSERT_TRUE(nobody.emplace(dir.path(), row.nobodyFolder).ok());
            }
            const Status got = writers[w](dir.file("t"));
            nobody.reset();
            const bool check = w == 2;
            const Status want = check && !row.checkSees ? Status{} : row.result;
            EXPECT_EQ(got.code, want.code);
            EXPECT_EQ(got.error, want.error);
            EXPECT_EQ(got.file, got.ok() ? "" : dir.file("t"));
            if (got.ok() && !check) {
                std::erase_if(expected, [&](const std::string& e) {
                    return e.starts_with(std::string(row.lands) + " ");
                });
                expected.insert(std::string(row.lands) + " " +
                                std::to_string(static_cast<int>(fs::file_type::regular)) + " new");
                EXPECT_EQ(modeOf(dir.file(row.lands)), mode);
            }
            EXPECT_EQ(contents(dir.path()), expected);
        }
    }
    ::umask(mask);
}

} // namespace
} // namespace tarn
