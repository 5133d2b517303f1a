#include "app/folder_listing.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace tarn {

namespace {

// Qt puts U+FFFD where a file name's bytes are not valid UTF-8; such a name
// does not lead back to the file.
bool decodesCleanly(const QString& name) {
    return !name.contains(QChar(0xFFFD));
}

void sortByName(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
}

QStringList listEntries(const QString& folder, QDir::Filters filters) {
    QStringList names;
    const QStringList found = QDir(folder).entryList(filters | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : found)
        if (decodesCleanly(name))
            names.append(name);
    sortByName(names);
    return names;
}

} // namespace

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

QStringList listSubfolders(const QString& folder) {
    return listEntries(folder, QDir::Dirs);
}

QStringList listFiles(const QString& folder) {
    return listEntries(folder, QDir::Files);
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
