#pragma once

#include "base/paths.h"
#include "settings/ini_store.h"

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

} // namespace tarn
