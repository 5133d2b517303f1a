#pragma once

#include <QString>
#include <QStringList>

namespace tarn {

// A folder path as the folder list holds it: absolute, cleaned, no trailing "/"
// except for the root "/" itself.
QString cleanFolderPath(const QString& path);

// True when the folder exists and its entries can be read and opened.
bool canEnterFolder(const QString& path);

struct FolderEntries {
    QStringList subfolders;
    QStringList files;
};

// Direct subfolders (never deeper, so a link loop cannot hang the list) and
// plain files of a folder, each ordered by name ignoring case, then with case;
// without hidden entries and without names that do not decode to valid text,
// which could not be opened again. One pass over the folder.
FolderEntries listFolder(const QString& folder);

// Mount points of the mounted, ready file systems that are folders, sorted.
QStringList listDrives();
// The mount point holding a path ("" when none can be told).
QString driveOf(const QString& path);

} // namespace tarn
