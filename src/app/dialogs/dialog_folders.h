#pragma once

#include "app/common/app_context.h"

#include <QString>

class QWidget;

namespace tarn {

// The kinds of file whose dialogs remember a folder of their own.
enum class SavedFile { Picture, Scene, Export };

// The user's documents folder, else the home folder while it does not exist.
QString documentsFolder();
// Where a dialog for that kind of file starts: the folder one was last saved
// in, while it still exists, else documentsFolder(); never an installed
// program's folder.
QString dialogFolder(const AppContext& context, SavedFile kind);
// Remembers, in the settings file, the folder a file of that kind went to.
void rememberDialogFolder(QWidget* parent, const AppContext& context, SavedFile kind,
                          const QString& folder);

} // namespace tarn
