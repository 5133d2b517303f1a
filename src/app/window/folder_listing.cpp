#include "app/window/folder_listing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tarn {

namespace {

// Qt puts U+FFFD where a file name's bytes are not valid UTF-8; such a name
// does not lead back to the file.
bool decodesCleanly(const QString& name) {
    return !name.contains(QChar(0xFFFD));
}

// QString's case-insensitive comparison, folded once per name instead of at
// every comparison: each UTF-16 unit folded on its own, except that a low
// surrogate after a high one stands for the folded whole character.
void appendFoldedKey(const QString& name, std::vector<char32_t>& keys) {
    char16_t last = 0;
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) { // the common case, without a table look-up
            keys.push_back(unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit);
        } else {
            char32_t ucs4 = unit;
            if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last))
                ucs4 = QChar::surrogateToUcs4(last, unit);
            keys.push_back(QChar::toCaseFolded(ucs4));
        }
        last = unit;
    }
}

// By name ignoring case, then with case, so the order is total.
void sortByName(QStringList& names) {
    std::vector<char32_t> keys;
    std::vector<std::size_t> starts{0};
    starts.reserve(static_cast<std::size_t>(names.size()) + 1);
    for (const QString& name : names) {
        appendFoldedKey(name, keys);
        starts.push_back(keys.size());
    }
    // Each key beside its name's index, so a comparison reads one record.
    struct Keyed {
        std::u32string_view key;
        qsizetype index;
    };
    std::vector<Keyed> order;
    order.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        order.push_back({{keys.data() + starts[at], starts[at + 1] - starts[at]}, i});
    }
    std::sort(order.begin(), order.end(), [&](const Keyed& a, const Keyed& b) {
        const int folded = a.key.compare(b.key);
        return folded != 0
                   ? folded < 0
                   : QString::compare(names[a.index], names[b.index], Qt::CaseSensitive) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed& k : order)
        sorted.append(std::move(names[k.index]));
    names = std::move(sorted);
}

enum class Kind { Folder, File, Other };

// Directories and regular files, links followed; FIFOs, sockets, devices and
// broken links are neither. The entry's own type saves a stat when it is told.
Kind kindOf(int folder, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return Kind::Folder;
    if (entry->d_type == DT_REG)
        return Kind::File;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return Kind::Other;
    struct stat info {};
    if (::fstatat(folder, entry->d_name, &info, 0) != 0)
        return Kind::Other;
    return S_ISDIR(info.st_mode) ? Kind::Folder : S_ISREG(info.st_mode) ? Kind::File : Kind::Other;
}

} // namespace

FolderEntries listFolder(const QString& folder) {
    FolderEntries found;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return found;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        // Hidden entries, "." and ".." among them, are left out.
        if (entry->d_name[0] == '.')
            continue;
        const Kind kind = kindOf(fd, entry);
        if (kind == Kind::Other)
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (decodesCleanly(name))
            (kind == Kind::Folder ? found.subfolders : found.files).append(name);
    }
    ::closedir(dir);
    sortByName(found.subfolders);
    sortByName(found.files);
    return found;
}

QString cleanFolderPath(const QString& path) {
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool canEnterFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QStringList listDrives() {
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() &&
            !drives.contains(root))
            drives.append(root);
    }
    std::sort(drives.begin(), drives.end());
    return drives;
}

QString driveOf(const QString& path) {
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QString();
}

} // namespace tarn
