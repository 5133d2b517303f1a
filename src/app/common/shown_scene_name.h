#pragma once

#include <QString>

namespace tarn {

class SceneDocument;

// The scene's name as the title, the status line and the questions show it:
// its file's name, or "untitled" before it has one.
QString shownSceneName(const SceneDocument& document);

} // namespace tarn
