#include "app/window/window_title.h"

#include "document/scene_document.h"

#include <QFileInfo>

namespace tarn {

QString WindowTitle::of(const SceneDocument& document) {
    const bool modified = document.isModified();
    const QString file = QString::fromStdString(document.filePath());
    if (file.isEmpty() && !modified)
        return QStringLiteral("Tarn");
    const QString name = file.isEmpty() ? tr("無題") : QFileInfo(file).fileName();
    return name + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - Tarn");
}

} // namespace tarn
