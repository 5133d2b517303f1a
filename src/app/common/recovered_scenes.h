#pragma once

#include "app/common/app_context.h"
#include "document/scene_file.h"

#include <QStringList>

#include <string>
#include <vector>

namespace tarn {

// Where an unsaved scene is kept when the program must end at once: the
// working folder, else the settings' folder.
std::vector<std::string> recoveryFolders(const AppContext& context);

// Writes the scene as recovered-<date>-<time>.tarn (a number added when that
// is taken) into the first folder that takes it, never over another file.
// Returns the path written; "" when no folder took it.
std::string keepRecoveredScene(const SceneFileData& data, const std::vector<std::string>& folders);

// The kept scenes in those folders that are not yet among the recent scenes,
// now put there, newest first.
QStringList adoptRecoveredScenes(const AppContext& context);

} // namespace tarn
