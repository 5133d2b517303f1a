#include "base/file_write.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {
int g_injectedError = 0;
std::size_t g_injectedAfter = 0;

// The callers below name the file; the bodies only know what failed.
Status fail(int error) {
    return systemError(error);
}

Status named(Status status, const std::string& path) {
    if (!status.ok())
        status.file = path;
    return status;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
    // A simulated full disk: the first afterBytes bytes go out, then the write fails.
    std::size_t limit = bytes.size();
    if (g_injectedError != 0 && g_injectedAfter < limit)
        limit = g_injectedAfter;
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::write(fd, bytes.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (limit < bytes.size()) {
        error = g_injectedError;
        return false;
    }
    return true;
}
} // namespace

static Status writeUnnamed(const std::string& path, std::span<const std::uint8_t> bytes,
                           Durability durability) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return fail(EISDIR);

    std::string temp = path + ".tarn-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return fail(errno);
    // mkstemp makes 0600; a saved picture should read like any other new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (ok && durability == Durability::Durable && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return fail(error);
    }
    return {};
}

static Status readUnnamed(const std::string& path, Bytes& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(e);
    }
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
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

Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           Durability durability) {
    return named(writeUnnamed(path, bytes, durability), path);
}

Status readWholeFile(const std::string& path, Bytes& out) {
    return named(readUnnamed(path, out), path);
}

Status copyFileAtomically(const std::string& source, const std::string& destination) {
    struct stat a {
    }, b{};
    if (::stat(source.c_str(), &a) != 0)
        return systemError(errno, source);
    if (::stat(destination.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        return {};
    Bytes bytes;
    if (Status s = readWholeFile(source, bytes); !s.ok())
        return s;
    return writeFileAtomically(destination, bytes);
}

namespace testing {
void injectWriteFailure(int errorNumber, std::size_t afterBytes) {
    g_injectedError = errorNumber;
    g_injectedAfter = afterBytes;
}
} // namespace testing

} // namespace tarn
