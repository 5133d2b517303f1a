#include "settings/ini_store.h"

#include "base/file_write.h"
#include "base/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tarn {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// One line of the file as it stands, so that lines we do not change are written
// back byte for byte, line end included.
struct Line {
    std::string_view text;
    std::string_view end; // "\n", "\r\n" or "" for a last line without one
};

enum class Kind { Blank, Comment, Section, Key, Other };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name, blanks trimmed
    std::size_t valueAt = 0; // for keys: where the value's text starts in the line
};

Parsed parse(std::string_view text) {
    const std::string_view body = trimmed(text);
    if (body.empty())
        return {Kind::Blank, {}, 0};
    if (body.front() == ';' || body.front() == '#')
        return {Kind::Comment, {}, 0};
    if (body.front() == '[') {
        const std::size_t close = body.find(']');
        if (close == std::string_view::npos)
            return {};
        return {Kind::Section, trimmed(body.substr(1, close - 1)), 0};
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return {};
    std::size_t valueAt = eq + 1;
    while (valueAt < text.size() && isBlank(text[valueAt]))
        ++valueAt;
    return {Kind::Key, trimmed(text.substr(0, eq)), valueAt};
}

// A value as the profile functions hand it out: blanks around it dropped, one
// pair of matching quotes removed, and nothing past a NUL byte.
std::string valueOf(std::string_view text, std::size_t valueAt) {
    std::string_view v = trimmed(text.substr(valueAt));
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    const std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos)
        v = v.substr(0, nul);
    return std::string(v);
}

// The form written to the file so that valueOf gives the value back exactly:
// quoted when blanks at its ends or quotes around it would otherwise be lost.
std::string storedForm(const std::string& value) {
    const bool needsQuotes =
        !value.empty() &&
        (isBlank(value.front()) || isBlank(value.back()) ||
         (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    return needsQuotes ? '"' + value + '"' : value;
}

struct IniText {
    bool bom = false;
    std::vector<Line> lines;
    std::string_view newline = "\n"; // the file's own line end, for lines we add
};

IniText splitLines(std::string_view all) {
    IniText ini;
    if (all.starts_with(kBom)) {
        ini.bom = true;
        all.remove_prefix(kBom.size());
    }
    bool newlineSeen = false;
    while (!all.empty()) {
        const std::size_t lf = all.find('\n');
        if (lf == std::string_view::npos) {
            // A lone CR closing the file ends its last line: it must not join
            // the value, which would change once a line is written after it.
            const std::size_t cr = all.back() == '\r' ? 1 : 0;
            ini.lines.push_back({all.substr(0, all.size() - cr), all.substr(all.size() - cr)});
            break;
        }
        const bool crlf = lf > 0 && all[lf - 1] == '\r';
        const std::size_t textEnd = crlf ? lf - 1 : lf;
        ini.lines.push_back({all.substr(0, textEnd), all.substr(textEnd, lf + 1 - textEnd)});
        if (!newlineSeen) {
            ini.newline = crlf ? "\r\n" : "\n";
            newlineSeen = true;
        }
        all.remove_prefix(lf + 1);
    }
    return ini;
}

// Where a key lives, or where it would go.
struct Place {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t line = 0; // the key's line, or the line a new key follows
    std::size_t valueAt = 0;
};

// The first matching key of any section of that name wins, as it does for the
// profile functions. A new key joins the first section of the name, after its
// last line that is neither blank nor a comment: trailing comments usually
// introduce whatever follows.
Place find(const IniText& ini, std::string_view section, std::string_view key) {
    enum { Outside, FirstSection, LaterSection } where = Outside;
    Place place;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const Parsed p = parse(ini.lines[i].text);
        switch (p.kind) {
        case Kind::Section:
            if (!equalsIgnoringCase(p.name, section)) {
                where = Outside;
            } else if (place.sectionFound) {
                where = LaterSection;
            } else {
                where = FirstSection;
                place.sectionFound = true;
                place.line = i;
            }
            break;
        case Kind::Key:
            if (where != Outside && equalsIgnoringCase(p.name, key)) {
                place.keyFound = true;
                place.line = i;
                place.valueAt = p.valueAt;
                return place;
            }
            [[fallthrough]];
        case Kind::Other:
            if (where == FirstSection)
                place.line = i;
            break;
        case Kind::Blank:
        case Kind::Comment:
            break;
        }
    }
    return place;
}

// The end of a line that another line is written after.
std::string_view closedEnd(std::string_view end, std::string_view newline) {
    if (end.empty())
        return newline;
    return end == "\r" ? "\r\n" : end;
}

bool hasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names that would read back as something else, or values that would split
// the line, are refused rather than written.
bool writable(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || trimmed(section) != section || hasLineBreakOrNul(section) ||
        section.find(']') != std::string_view::npos)
        return false;
    if (key.empty() || trimmed(key) != key || hasLineBreakOrNul(key) ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';' ||
        key.front() == '#')
        return false;
    return !hasLineBreakOrNul(value);
}

// Writing through a symbolic link (settings kept with the user's dotfiles)
// replaces the file it points to, not the link.
std::string resolvedTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string lowerCase(std::string s) {
    for (char& c : s)
        c = lowerAscii(c);
    return s;
}

// Holds the settings file's folder locked, so that the read, change and write
// of one process is never interleaved with another's. The folder, not the
// file, is locked: the file is replaced by every write.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) {
            status_ = systemError(errno, folder);
            return;
        }
        // Another instance holds it for milliseconds; one that hangs must not
        // hang this one too.
        for (int waited = 0; ::flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += 5) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= 5000) {
                status_ = systemError(errno == EINTR ? EWOULDBLOCK : errno, folder);
                return;
            }
            ::usleep(5000);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    const Status& status() const { return status_; }

  private:
    int fd_ = -1;
    Status status_;
};

std::string textOf(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

IniStore::IniStore(const std::string& programFolder, std::string executableBaseName)
    : path_(joinPath(programFolder, lowerCase(std::move(executableBaseName)) + ".ini")) {}

IniStore IniStore::at(std::string path, std::string seedPath) {
    IniStore store;
    store.path_ = std::move(path);
    store.seedPath_ = std::move(seedPath);
    return store;
}

IniStore IniStore::forProgram(const std::string& programFolder,
                              const std::string& executableBaseName,
                              const std::string& configFolder) {
    IniStore beside(programFolder, executableBaseName);
    if (configFolder.empty() || tryCreateIn(programFolder).ok())
        return beside;
    return at(joinPath(configFolder, beside.path_.substr(beside.path_.rfind('/') + 1)),
              beside.path_);
}

// The text of the file (or of the seed while the file is missing), read anew
// only when the file is another one or has changed.
const std::string& IniStore::load() const {
    std::string source = path_;
    struct stat st {};
    bool present = ::stat(source.c_str(), &st) == 0;
    if (!present && errno == ENOENT && !seedPath_.empty()) {
        source = seedPath_;
        present = ::stat(source.c_str(), &st) == 0;
    }
    // A change within the clock's last tick may not show in the times yet.
    const bool settled = std::time(nullptr) > st.st_mtim.tv_sec + 1;
    if (cache_.valid && present == cache_.present &&
        (!present ||
         (settled && cache_.device == st.st_dev && cache_.inode == st.st_ino &&
          cache_.size == static_cast<std::uint64_t>(st.st_size) &&
          sameTime(cache_.modified, st.st_mtim) && sameTime(cache_.changed, st.st_ctim))))
        return cache_.text;
    cache_ = {};
    cache_.valid = true;
    cache_.present = present;
    if (!present) {
        cache_.status = systemError(ENOENT, source);
        return cache_.text;
    }
    Bytes bytes;
    cache_.status = readWholeFile(source, bytes, kMaxBytes);
    cache_.device = st.st_dev;
    cache_.inode = st.st_ino;
    cache_.size = static_cast<std::uint64_t>(st.st_size);
    cache_.modified = st.st_mtim;
    cache_.changed = st.st_ctim;
    cache_.text = textOf(bytes);
    return cache_.text;
}

Status IniStore::readStatus() const {
    load();
    return cache_.status;
}

std::string IniStore::getini(const std::string& section, const std::string& key,
                             const std::string& defaultValue) const {
    const IniText ini = splitLines(load());
    const Place place = find(ini, section, key);
    if (!place.keyFound)
        return defaultValue;
    return valueOf(ini.lines[place.line].text, place.valueAt);
}

Status IniStore::store(const std::string& section, const std::string& key,
                       const std::string& value) const {
    if (!writable(section, key, value))
        return systemError(EINVAL, path_);
    const std::string target = resolvedTarget(path_);
    const std::string folder = folderOf(target);
    std::error_code ignored;
    if (!seedPath_.empty()) // the configuration folder may not exist yet
        std::filesystem::create_directories(folder, ignored);
    const FolderLock lock(folder);
    if (!lock.status().ok())
        return lock.status();
    Bytes bytes;
    // A file that exists but cannot be read is left alone: rewriting it from
    // nothing would lose every other setting in it.
    if (const Status read = readWholeFile(target, bytes, kMaxBytes); !read.ok()) {
        if (read.error != ENOENT)
            return read;
        if (!seedPath_.empty())
            readWholeFile(seedPath_, bytes, kMaxBytes); // nothing to start from otherwise
    }
    const IniText ini =
        splitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    const Place place = find(ini, section, key);
    const std::string newKeyLine = key + '=' + storedForm(value);

    std::string out;
    out.reserve(bytes.size() + newKeyLine.size() + section.size() + 8);
    if (ini.bom)
        out += kBom;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const Line& line = ini.lines[i];
        const bool here = place.sectionFound && i == place.line;
        if (here && place.keyFound) {
            out += line.text.substr(0, place.valueAt);
            out += storedForm(value);
        } else {
            out += line.text;
        }
        const bool lineFollows =
            (here && !place.keyFound) || (!place.sectionFound && i + 1 == ini.lines.size());
        out += lineFollows ? closedEnd(line.end, ini.newline) : line.end;
        if (here && !place.keyFound) {
            out += newKeyLine;
            out += ini.newline;
        }
    }
    if (!place.sectionFound) {
        if (!ini.lines.empty() && parse(ini.lines.back().text).kind != Kind::Blank)
            out += ini.newline;
        out += '[' + section + ']';
        out += ini.newline;
        out += newKeyLine;
        out += ini.newline;
    }
    cache_.valid = false;
    return writeFileAtomically(
        target, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
}

} // namespace tarn
