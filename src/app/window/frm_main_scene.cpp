// Scene files from the File menu (the flow itself is SceneFileFlow), undo and
// redo, and the title bar.
#include "app/window/frm_main.h"

#include "app/common/native_path.h"
#include "app/common/recent_scenes.h"
#include "app/dialogs/scene_file_flow.h"
#include "app/window/main_menu.h"

#include <QFileInfo>

namespace tarn {

void FrmMain::onUndo() {
    act([this] { document_.undo(); });
}

void FrmMain::onRedo() {
    act([this] { document_.redo(); });
}

void FrmMain::showHistory() {
    menu_->showHistory(document_);

    showStatus();
    const bool modified = document_.isModified();
    const QString file = QString::fromStdString(document_.filePath());
    if (file.isEmpty() && !modified) {
        setWindowTitle(QStringLiteral("Tarn"));
        return;
    }
    const QString name = file.isEmpty() ? tr("無題") : QFileInfo(file).fileName();
    setWindowTitle(name + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - Tarn"));
}

void FrmMain::showRecentScenes() {
    menu_->showRecentScenes(recentScenes(context_.ini()));
}

void FrmMain::onSceneNew() {
    act([this] {
        if (sceneFiles_->maySetSceneAside())
            document_.newScene();
    });
}

void FrmMain::onSceneOpen() {
    act([this] {
        if (sceneFiles_->maySetSceneAside())
            sceneFiles_->askAndOpen();
    });
}

void FrmMain::onRecentScene(int index) {
    act([this, index] {
        const QStringList recent = recentScenes(context_.ini());
        if (index < 0 || index >= recent.size() || !sceneFiles_->maySetSceneAside())
            return;
        sceneFiles_->open(recent[index]);
    });
}

bool FrmMain::onSceneSave() {
    bool saved = false;
    act([&] { saved = sceneFiles_->saveCurrent(); });
    return saved;
}

bool FrmMain::onSceneSaveAs() {
    bool saved = false;
    act([&] { saved = sceneFiles_->saveAs(); });
    return saved;
}

bool FrmMain::openScene(const QString& path) {
    return openScene(toNative(path));
}

bool FrmMain::openScene(const std::string& path) {
    bool opened = false;
    act([&] { opened = sceneFiles_->open(path); });
    return opened;
}

void FrmMain::offerRecoveredScenes() {
    sceneFiles_->offerRecovered();
}

} // namespace tarn
