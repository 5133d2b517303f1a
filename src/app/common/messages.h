#pragma once

#include "base/status.h"
#include "document/scene_document.h"
#include "dungeon/dungeon_export.h"
#include "dungeon/dungeon_map.h"
#include "export/export_procedure.h"

#include <QMessageBox>
#include <QString>

#include <string>
#include <vector>

namespace tarn {

// The words for the core's results: the one place they are made, for the
// dialogs and the command line alike.
// A platform error number.
QString errorDescription(int error);
// What a reader or writer reported, for the codes of the file layer; any
// other code by its error number.
QString statusDescription(const Status& status);
// That and the error number, as every message of a failed read or write ends.
QString errorText(const Status& status);
// Why a scene file could not be opened, naming the file.
QString sceneOpenFailure(const Status& status);
// Why a scene file could not be saved, naming the file.
QString sceneSaveFailure(const Status& status);
// Why a scene could not be rendered to `output` (a scene file that cannot be
// used, missing parts, or the picture's write).
QString renderFailure(const SceneOpenResult& result, const std::string& output);
// Why save-as could not write a picture.
QString pictureWriteFailure(const Status& status);
// What stopped an export (the command line: an area file in the way too), or
// the files it wrote.
QString exportProblemText(const ExportResult& result, bool commandLine = false);
QString exportWrittenText(const ExportResult& result);
// A dungeon map or pack that cannot be used, naming the file and the line and
// column or the JSON path.
QString dungeonFileText(const DungeonFileResult& result);
// What stopped a dungeon export; the command line names its options.
QString dungeonProblemText(const DungeonResult& result, bool commandLine);
// The pack entries ("near_left.door") a map needs and the pack lacks.
QString missingRolesText(const std::vector<PartRole>& roles);
// A part named by the pack that cannot be read.
QString unreadablePartText(const std::string& file);
// An action dropped because memory ran short; nothing of it was kept.
QString outOfMemoryText();

// The one message box a result is shown in, with the buttons given; returns
// the button pressed.
QMessageBox::StandardButton
showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
            const QString& title = QStringLiteral("Tarn"),
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

} // namespace tarn
