#include "app/window/window_title.h"

#include "app/common/shown_scene_name.h"
#include "document/scene_document.h"

namespace tarn {

QString WindowTitle::of(const SceneDocument& document) {
    const bool modified = document.isModified();
    if (document.filePath().empty() && !modified)
        return QStringLiteral("Tarn");
    return shownSceneName(document) + (modified ? QStringLiteral("*") : QString()) +
           QStringLiteral(" - Tarn");
}

} // namespace tarn
