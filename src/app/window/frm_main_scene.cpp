// Scene files from the File menu (new, open, save, save as, recent scenes),
// the question about unsaved changes, undo and redo, and the title bar.
#include "app/window/frm_main.h"

#include "app/common/messages.h"
#include "app/common/picture_io.h"
#include "app/common/recent_scenes.h"
#include "app/common/recovered_scenes.h"
#include "app/dialogs/dialog_folders.h"
#include "app/dialogs/overwrite_question.h"
#include "app/window/edit_names.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace tarn {

namespace {

QString sceneFilter() {
    return QCoreApplication::translate("tarn::FrmMain", "Tarn シーン (*.tarn)");
}

} // namespace

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

bool FrmMain::maySetSceneAside() {
    if (!document_.isModified())
        return true;
    const QString file = QString::fromStdString(document_.filePath());
    const QString name = file.isEmpty() ? tr("無題") : QFileInfo(file).fileName();
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Tarn"),
                    tr("このシーンへの変更を保存しますか？") + QLatin1Char('\n') + name,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.button(QMessageBox::Save)->setText(tr("保存"));
    ask.button(QMessageBox::Discard)->setText(tr("破棄"));
    ask.button(QMessageBox::Cancel)->setText(tr("キャンセル"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Save:
        return saveCurrentScene();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void FrmMain::onSceneNew() {
    act([this] {
        if (maySetSceneAside())
            document_.newScene();
    });
}

void FrmMain::onSceneOpen() {
    act([this] {
        if (!maySetSceneAside())
            return;
        const QString path = askScenePath(false);
        if (!path.isEmpty())
            openSceneFile(path);
    });
}

void FrmMain::onRecentScene(int index) {
    act([this, index] {
        const QStringList recent = recentScenes(context_.ini());
        if (index < 0 || index >= recent.size() || !maySetSceneAside())
            return;
        openSceneFile(recent[index]);
    });
}

bool FrmMain::onSceneSave() {
    bool saved = false;
    act([&] { saved = saveCurrentScene(); });
    return saved;
}

bool FrmMain::onSceneSaveAs() {
    bool saved = false;
    act([&] { saved = saveSceneAs(); });
    return saved;
}

bool FrmMain::saveCurrentScene() {
    if (document_.filePath().empty())
        return saveSceneAs();
    const QString path = QString::fromStdString(document_.filePath());
    if (!document_.fileChangedOnDisk())
        return saveScene(path);
    // Another window or program wrote it since: its changes would be lost.
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("Tarn"),
                    tr("シーンファイル「%1」は、開いた後（または保存した後）にほかで変更されて"
                       "います。\n置き換えると、その変更は失われます。")
                        .arg(QFileInfo(path).fileName()),
                    QMessageBox::Save | QMessageBox::Yes | QMessageBox::Cancel, this);
    ask.button(QMessageBox::Save)->setText(tr("名前を付けて保存..."));
    ask.button(QMessageBox::Yes)->setText(tr("置き換える"));
    ask.button(QMessageBox::Cancel)->setText(tr("そのままにする"));
    // Enter keeps both versions: this one goes to a file of its own.
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Yes:
        return saveScene(path);
    case QMessageBox::Save:
        return saveSceneAs();
    default:
        return false;
    }
}

void FrmMain::offerRecoveredScenes() {
    const QStringList kept = adoptRecoveredScenes(context_);
    if (kept.isEmpty())
        return;
    showRecentScenes();
    tellSceneProblem(tr("前回、保存していなかったシーンを次のファイルに残しました。"
                        "「最近使ったシーン」から開けます。\n%1")
                         .arg(kept.join(QLatin1Char('\n'))));
}

bool FrmMain::saveSceneAs() {
    QString path = askScenePath(true);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QString::fromLatin1(kSceneFileExtension);
    const QFileInfo target(path);
    if (replacesAFile(path) && !askOverwrite(this, target.fileName()))
        return false;
    return saveScene(path);
}

bool FrmMain::saveScene(const QString& path) {
    const Status status = document_.save(path.toStdString());
    if (!status.ok()) {
        tellSceneProblem(tr("シーンファイル「%1」を保存できませんでした。\n%2")
                             .arg(path, errorDescription(status.error)));
        return false;
    }
    rememberScene(context_.ini(), path);
    rememberDialogFolder(this, context_, SavedFile::Scene, QFileInfo(path).absolutePath());
    showRecentScenes();
    return true;
}

bool FrmMain::openScene(const QString& path) {
    bool opened = false;
    act([&] { opened = openSceneFile(path); });
    return opened;
}

bool FrmMain::openSceneFile(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    // A shortage of memory while the parts are read is thrown, so the scene
    // shown stays, rather than opening with parts said to be unreadable.
    const PartLoader loadPart = [](const std::string& part, Picture& out) {
        return loadPicture(QFile::decodeName(QByteArray::fromStdString(part)), out);
    };
    const SceneOpenResult result = document_.open(QFile::encodeName(file).toStdString(), loadPart);
    if (!result.ok()) {
        // A recent entry that cannot be opened is not offered again.
        forgetScene(context_.ini(), file);
        showRecentScenes();
        tellSceneProblem(sceneOpenFailure(result.status));
        return false;
    }
    rememberScene(context_.ini(), file);
    rememberDialogFolder(this, context_, SavedFile::Scene, QFileInfo(file).absolutePath());
    showRecentScenes();
    if (!result.missing.empty()) {
        QStringList missing;
        for (const std::string& part : result.missing)
            missing << QString::fromStdString(part);
        tellSceneProblem(tr("シーン「%1」の次のパーツを読み込めませんでした。"
                            "パーツはシーンに残してありますが、表示されません。\n%2")
                             .arg(QFileInfo(file).fileName(), missing.join(QLatin1Char('\n'))));
    }
    return true;
}

void FrmMain::tellSceneProblem(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"), text, QMessageBox::Ok, this);
    box.exec();
}

// Where the scene dialogs start: where a scene was last saved or opened.
QString FrmMain::sceneFolder() const {
    return dialogFolder(context_, SavedFile::Scene);
}

QString FrmMain::askScenePath(bool forSaving) {
    QFileDialog dialog(this, forSaving ? tr("名前を付けてシーンを保存") : tr("シーンを開く"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Save as asks its own question, after adding the extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(sceneFilter());
    dialog.setDirectory(sceneFolder());
    if (forSaving) {
        const QString file = QString::fromStdString(document_.filePath());
        dialog.selectFile(file.isEmpty() ? tr("無題") + QString::fromLatin1(kSceneFileExtension)
                                         : QFileInfo(file).fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace tarn
