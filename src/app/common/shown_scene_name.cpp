#include "app/common/shown_scene_name.h"

#include "app/common/native_path.h"
#include "document/scene_document.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarn {

QString shownSceneName(const SceneDocument& document) {
    const QString file = fromNative(document.filePath());
    // The main window's word, where translators know it.
    return file.isEmpty() ? QCoreApplication::translate("tarn::FrmMain", "無題")
                          : QFileInfo(file).fileName();
}

} // namespace tarn
