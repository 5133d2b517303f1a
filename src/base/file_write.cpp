#include "base/file_write.h"
#include "base/paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {
int g_injectedError = 0;
std::size_t g_injectedAfter = 0;

// The public functions below name the file; the bodies only know what failed.
Status fail(int error) {
    return systemError(error);
}

Status named(Status status, const std::string& path) {
    if (!status.ok())
        status.file = path;
    return status;
}

} // namespace

namespace {

constexpr std::string_view kTempPrefix = ".tarn-";
constexpr std::size_t kTempRandom = 6; // mkstemp's XXXXXX

bool isAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ".tarn-XXXXXX", or "<name>.tarn-XXXXXX" as earlier versions named them.
bool isTemporaryName(std::string_view name) {
    const std::size_t tail = kTempPrefix.size() + kTempRandom;
    if (name.size() < tail || name.substr(name.size() - tail, kTempPrefix.size()) != kTempPrefix)
        return false;
    return std::all_of(name.end() - kTempRandom, name.end(), isAlnum);
}

// The temporary files this process is writing, for abandonTemporaries. Made,
// renamed and removed under the lock, so none escapes a signal's clean-up.
std::mutex& temporariesLock() {
    static std::mutex lock;
    return lock;
}
std::set<std::string>& liveTemporaries() {
    static std::set<std::string> names;
    return names;
}

void dropTemporary(const std::string& temp) {
    const std::lock_guard<std::mutex> lock(temporariesLock());
    ::unlink(temp.c_str());
    liveTemporaries().erase(temp);
}

enum class Placement { Replace, NoReplace };

// The temporary file takes the target's name; 0 or the errno.
int placeTemporary(const std::string& temp, const std::string& path, Placement placement) {
    const std::lock_guard<std::mutex> lock(temporariesLock());
    int error = 0;
    if (placement == Placement::Replace) {
        error = ::rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
    } else if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        error = errno;
        // On file systems without it, a hard link is made only where no name is.
        if (error == EINVAL || error == ENOSYS) {
            error = ::link(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
            if (error == 0)
                ::unlink(temp.c_str());
        }
    }
    if (error == 0)
        liveTemporaries().erase(temp);
    return error;
}

// A new temporary file in the folder, locked for as long as it is open: the
// lock is how a clean-up tells it from a leftover. -1 with errno on failure.
int createTemporary(const std::string& folder, std::string& path) {
    const std::lock_guard<std::mutex> lock(temporariesLock());
    for (int attempt = 0; attempt < 8; ++attempt) {
        path = joinPath(folder, std::string(kTempPrefix) + std::string(kTempRandom, 'X'));
        const int fd = ::mkstemp(path.data());
        if (fd < 0)
            return -1;
        // Between mkstemp and the lock a clean-up may take the file for a
        // leftover; then it is gone (or going) and another name is tried.
        struct stat st {};
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
        if (locked && ::fstat(fd, &st) == 0 && st.st_nlink > 0) {
            try {
                liveTemporaries().insert(path);
            } catch (...) { // memory ran short: nothing is left behind
                ::unlink(path.c_str());
                ::close(fd);
                throw;
            }
            return fd;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Counts what goes out, so that an injected failure hits at the same byte
// whether the file is written from memory or copied.
struct Output {
    int fd;
    std::size_t written = 0;

    bool write(const std::uint8_t* data, std::size_t size, int& error) {
        std::size_t limit = size;
        if (g_injectedError != 0)
            limit = g_injectedAfter > written ? std::min(size, g_injectedAfter - written) : 0;
        std::size_t done = 0;
        while (done < limit) {
            const ssize_t n = ::write(fd, data + done, limit - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        written += done;
        if (limit < size) {
            error = g_injectedError;
            return false;
        }
        return true;
    }
};

// What a replaced file had: its mode, owner and group go to its successor.
// `target` is where the bytes go: the end of the path's chain of links.
struct Existing {
    bool present = false;
    struct stat st {};
    std::string target;
};

// The end of the chain of symbolic links starting at `path`, which may not
// exist yet (a dangling link): a write replaces the file a link names and
// leaves the link in place. 0, or the errno that stopped the walk.
int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) { // the kernel's own limit
        struct stat st {
        }, folder{};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        // The kernel's rule for links in shared folders such as /tmp: one that
        // another user planted there is not followed.
        if (::stat(folderOf(target).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid)
            return EACCES;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(static_cast<std::size_t>(n));
        target = link.starts_with('/') ? link : joinPath(folderOf(target), link);
    }
    return ELOOP;
}

Status inspectTarget(const std::string& path, Existing& existing) {
    if (Status s = checkNameLength(path); !s.ok())
        return s;
    struct stat seen {};
    const bool exists = ::stat(path.c_str(), &seen) == 0;
    if (!exists && errno != ENOENT)
        return fail(errno);
    if (exists && S_ISDIR(seen.st_mode))
        return fail(EISDIR);
    // Renaming over a device, a pipe or a socket would take its place.
    if (exists && !S_ISREG(seen.st_mode))
        return {StatusCode::NotRegularFile, {}, ENODEV};
    if (const int error = followLinks(path, existing.target); error != 0)
        return fail(error);
    if (existing.target != path)
        if (Status s = checkNameLength(existing.target); !s.ok())
            return s;
    const bool linked = existing.target != path;
    if (::lstat(existing.target.c_str(), &existing.st) != 0) {
        if (errno != ENOENT)
            return fail(errno);
        // A link the kernel follows to a file that no name reaches
        // (/proc/self/fd/N of a deleted file): there is nowhere to put it.
        return exists && linked ? Status{StatusCode::NotRegularFile, {}, ENODEV} : Status{};
    }
    if (!S_ISREG(existing.st.st_mode))
        return {StatusCode::NotRegularFile, {}, ENODEV};
    // Only through links: another writer may have renamed a new file over the
    // path itself since it was looked at, which is no reason to refuse.
    if (linked &&
        (!exists || existing.st.st_dev != seen.st_dev || existing.st.st_ino != seen.st_ino))
        return {StatusCode::NotRegularFile, {}, ENODEV};
    existing.present = true;
    // A read-only file stays as it is, for root too, as it would elsewhere.
    if ((existing.st.st_mode & 0222) == 0 ||
        ::faccessat(AT_FDCWD, existing.target.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(EACCES);
    return {};
}

void takeOverAttributes(int fd, const Existing& existing) {
    if (!existing.present) {
        // mkstemp makes 0600; a new file should read like any other new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        return;
    }
    // Owner first: a change of owner clears the set-id bits that the mode restores.
    if (::fchown(fd, existing.st.st_uid, existing.st.st_gid) != 0) [[maybe_unused]]
        const int ignored = ::fchown(fd, static_cast<uid_t>(-1), existing.st.st_gid);
    ::fchmod(fd, existing.st.st_mode & 07777);
}

// The one way files reach the disk: `fill` writes the content into the
// temporary file, which then takes the target's place.
template <typename Fill>
Status replaceWith(const std::string& path, Durability durability, Fill&& fill,
                   Placement placement = Placement::Replace) {
    Existing existing;
    if (Status s = inspectTarget(path, existing); !s.ok())
        return s;
    if (existing.present && placement == Placement::NoReplace)
        return fail(EEXIST);
    const std::string folder = folderOf(existing.target);
    // Scratch files are rewritten many times a second in a folder cleaned at
    // start; the files a user keeps clean up their own folder.
    if (durability == Durability::Durable)
        removeStaleTemporaries(folder);
    std::string temp;
    const int fd = createTemporary(folder, temp);
    if (fd < 0)
        return fail(errno);
    takeOverAttributes(fd, existing);

    Output out{fd};
    int error = 0;
    bool ok = false;
    try {
        ok = fill(out, error);
    } catch (...) {
        // Memory that ran short while filling: nothing is left behind.
        dropTemporary(temp);
        ::close(fd);
        throw;
    }
    if (ok && durability == Durability::Durable && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && (error = placeTemporary(temp, existing.target, placement)) != 0)
        ok = false;
    if (!ok)
        dropTemporary(temp);
    // Closed only now: the lock held the temporary file until it had its name.
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    return ok ? Status{} : fail(error);
}

// Opened without waiting and only when regular: a pipe would block for good.
int openRegular(const std::string& path, struct stat& st, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readFully(int fd, std::uint8_t* data, std::size_t size, off_t at, int& error) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO; // shorter than it was a moment ago
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the data of the source and skips its holes; the size is set at the end.
bool copyContent(int in, off_t size, Output& out, int& error) {
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<std::uint8_t> block(kBlock);
    off_t at = 0;
    while (at < size) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0)
            data = errno == ENXIO ? size : at; // only a hole is left, or holes are unknown
        off_t hole = data < size ? ::lseek(in, data, SEEK_HOLE) : size;
        if (hole < 0 || hole > size)
            hole = size;
        if (data > at && ::lseek(out.fd, data, SEEK_SET) < 0) {
            error = errno;
            return false;
        }
        for (at = data; at < hole;) {
            const std::size_t n = static_cast<std::size_t>(std::min<off_t>(hole - at, kBlock));
            if (!readFully(in, block.data(), n, at, error) || !out.write(block.data(), n, error))
                return false;
            at += static_cast<off_t>(n);
        }
        at = std::max(at, hole);
    }
    if (::ftruncate(out.fd, size) != 0) {
        error = errno;
        return false;
    }
    return true;
}

} // namespace

Status checkNameLength(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    long nameMax = ::pathconf(folderOf(path).c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    if (name.size() > static_cast<std::size_t>(nameMax) || path.size() >= PATH_MAX)
        return systemError(ENAMETOOLONG, path);
    return {};
}

Status checkTarget(const std::string& path) {
    Existing ignored;
    return named(inspectTarget(path, ignored), path);
}

Status tryCreateIn(const std::string& folder) {
    std::string probe;
    const int fd = createTemporary(folder, probe);
    if (fd < 0)
        return systemError(errno, folder);
    dropTemporary(probe);
    ::close(fd);
    return {};
}

void abandonTemporaries() {
    temporariesLock().lock(); // for good: the process is ending
    for (const std::string& temp : liveTemporaries())
        ::unlink(temp.c_str());
}

void removeStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        const std::string path = joinPath(folder, entry->d_name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {
        }, current{};
        // A writer holds its lock until its file has its final name.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &current) == 0 &&
            current.st_dev == held.st_dev && current.st_ino == held.st_ino)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

static Status writeBytes(const std::string& path, std::span<const std::uint8_t> bytes,
                         Durability durability, Placement placement) {
    return named(
        replaceWith(
            path, durability,
            [&](Output& out, int& error) { return out.write(bytes.data(), bytes.size(), error); },
            placement),
        path);
}

Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           Durability durability) {
    return writeBytes(path, bytes, durability, Placement::Replace);
}

Status writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return writeBytes(path, bytes, Durability::Durable, Placement::NoReplace);
}

void flushFileSystemOf(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

static Status readUnnamed(const std::string& path, Bytes& out, std::uint64_t maxBytes) {
    out.clear();
    struct stat st {};
    int error = 0;
    const int fd = openRegular(path, st, error);
    if (fd < 0)
        return fail(error);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail(EFBIG);
    }
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        // Grown since it was measured: still no more than the limit is kept.
        if (n < 0 || out.size() + static_cast<std::size_t>(std::max<ssize_t>(n, 0)) > maxBytes) {
            const int e = n < 0 ? errno : EFBIG;
            ::close(fd);
            out.clear();
            return fail(e);
        }
        if (n == 0)
            break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return {};
}

Status readWholeFile(const std::string& path, Bytes& out, std::uint64_t maxBytes) {
    return named(readUnnamed(path, out, maxBytes), path);
}

Status copyFileAtomically(const std::string& source, const std::string& destination) {
    struct stat from {
    }, to{};
    int error = 0;
    const int in = openRegular(source, from, error);
    if (in < 0)
        return systemError(error, source);
    if (::stat(destination.c_str(), &to) == 0 && from.st_dev == to.st_dev &&
        from.st_ino == to.st_ino) {
        ::close(in);
        return {};
    }
    Status status;
    try {
        status = replaceWith(destination, Durability::Durable, [&](Output& out, int& e) {
            return copyContent(in, from.st_size, out, e);
        });
    } catch (...) {
        ::close(in);
        throw;
    }
    ::close(in);
    return named(status, destination);
}

namespace testing {
void injectWriteFailure(int errorNumber, std::size_t afterBytes) {
    g_injectedError = errorNumber;
    g_injectedAfter = afterBytes;
}
} // namespace testing

} // namespace tarn
