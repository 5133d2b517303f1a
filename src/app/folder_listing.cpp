#include "app/folder_listing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <string>
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

// The case-insensitive comparison of QString, folded once per name instead of
// at every comparison: each UTF-16 unit folded on its own, except that a low
// surrogate after a high one stands for the folded whole character.
std::u32string foldedKey(const QString& name) {
    std::u32string key(static_cast<std::size_t>(name.size()), U'\0');
    char16_t last = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        char32_t ucs4 = unit;
        if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last))
            ucs4 = QChar::surrogateToUcs4(last, unit);
        last = unit;
        key[static_cast<std::size_t>(i)] = QChar::toCaseFolded(ucs4);
    }
    return key;
}

// By name ignoring case, then with case, so the order is total.
void sortByName(QStringList& names) {
    struct Keyed {
        std::u32string key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (QString& name : names)
        keyed.push_back({foldedKey(name), std::move(name)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int folded = a.key.compare(b.key);
        return folded != 0 ? folded < 0 : QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        names[static_cast<qsizetype>(i)] = std::move(keyed[i].name);
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
