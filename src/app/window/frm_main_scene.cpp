// Scene files from the File menu (the flow itself is SceneFileFlow), undo and
// redo, and the title bar.
#include "app/window/frm_main.h"

#include "app/common/recent_scenes.h"
#include "app/dialogs/scene_file_flow.h"
#include "app/window/edit_names.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace tarn {

void FrmMain::onUndo() {
    act([this] { document_.undo(); });
}

void FrmMain::onRedo() {
    act([this] { document_.redo(); });
}

void FrmMain::showHistory() {
    const std::optional<EditKind> undo = document_.undoKind();
    const std::optional<EditKind> redo = document_.redoKind();
    mnuUndo_->setEnabled(undo.has_value());
    mnuUndo_->setText(undo ? tr("元に戻す: %1(&U)").arg(editName(*undo)) : tr("元に戻す(&U)"));
    mnuRedo_->setEnabled(redo.has_value());
    mnuRedo_->setText(redo ? tr("やり直し: %1(&R)").arg(editName(*redo)) : tr("やり直し(&R)"));

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
    mnuSceneRecent_->clear();
    const QStringList recent = recentScenes(context_.ini());
    for (int i = 0; i < recent.size(); ++i) {
        QString name = QFileInfo(recent[i]).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = mnuSceneRecent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setObjectName(QStringLiteral("mnuSceneRecent(%1)").arg(i));
        action->setToolTip(recent[i]);
        connect(action, &QAction::triggered, this, [this, i] { onRecentScene(i); });
    }
    mnuSceneRecent_->menuAction()->setEnabled(!recent.isEmpty());
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
    bool opened = false;
    act([&] { opened = sceneFiles_->open(path); });
    return opened;
}

void FrmMain::offerRecoveredScenes() {
    sceneFiles_->offerRecovered();
}

} // namespace tarn
