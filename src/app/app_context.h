#pragma once

#include "base/paths.h"
#include "settings/ini_store.h"

#include <QDir>
#include <QString>

namespace tarn {

// Where the program lives. main() fills it from the executable; tests point it
// at a temporary folder.
struct AppContext {
    QString programFolder;      // no trailing "/"
    QString executableBaseName; // e.g. "tarn"

    QString mySystemFolder() const {
        return QString::fromStdString(joinPath(programFolder.toStdString(), "MySystem"));
    }
    IniStore ini() const {
        return IniStore(programFolder.toStdString(), executableBaseName.toStdString());
    }
};

// The program folder for an executable in `executableFolder`: that folder, or
// for an installed program (<prefix>/bin/tarn) the folder of its sample parts,
// <prefix>/share/tarn/parts, which it then shows at start as it would its own.
inline QString programFolderFor(const QString& executableFolder) {
    const QDir installed(executableFolder + QStringLiteral("/../share/tarn/parts"));
    if (QDir(executableFolder).dirName() == QStringLiteral("bin") && installed.exists())
        return QDir::cleanPath(installed.absolutePath());
    return executableFolder;
}

} // namespace tarn
