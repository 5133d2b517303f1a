#pragma once

#include "export/export_procedure.h"

#include <QString>

#include <string>

namespace tarn {

// The folder as OK and the listing use it: one trailing separator dropped, as
// the folder box is meant to hold none.
QString scenarioFolder(const QString& text);

// What the export dialog's controls hold when OK runs.
struct WriteChoices {
    QString folder;
    bool newFile = true;
    QString number;
    std::string selectedFile;
    bool defaultBackground = false;
};

ExportRequest writeRequest(const WriteChoices& choices);

} // namespace tarn
