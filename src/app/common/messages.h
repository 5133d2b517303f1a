#pragma once

#include "base/status.h"
#include "document/scene_file.h"
#include "export/export_procedure.h"

#include <QString>

namespace tarn {

// The words for the core's codes: the one place they are made.
// A platform error number.
QString errorDescription(int error);
// What a reader or writer reported.
QString statusDescription(const Status& status);
// Why a scene file could not be opened, naming the file.
QString sceneOpenFailure(const SceneFileStatus& status);
// What stopped an export, or the files it wrote.
QString exportProblemText(const ExportResult& result);
QString exportWrittenText(const ExportResult& result);
// An action dropped because memory ran short; nothing of it was kept.
QString outOfMemoryText();

} // namespace tarn
