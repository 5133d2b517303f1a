#include "app/dialogs/scene_file_flow.h"

#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/picture_io.h"
#include "app/common/recent_scenes.h"
#include "app/common/recovered_scenes.h"
#include "app/common/shown_scene_name.h"
#include "app/dialogs/dialog_folders.h"
#include "app/dialogs/overwrite_question.h"
#include "base/paths.h"
#include "document/scene_document.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <filesystem>

namespace tarn {

SceneFileFlow::SceneFileFlow(QWidget* window, SceneDocument& document, AppContext& context,
                             std::function<void()> recentChanged)
    : window_(window), document_(document), context_(context),
      recentChanged_(std::move(recentChanged)) {}

bool SceneFileFlow::maySetSceneAside() {
    if (!document_.isModified())
        return true;
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Tarn"),
                    tr("このシーンへの変更を保存しますか？") + QLatin1Char('\n') +
                        shownSceneName(document_),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
    ask.button(QMessageBox::Save)->setText(tr("保存"));
    ask.button(QMessageBox::Discard)->setText(tr("破棄"));
    ask.button(QMessageBox::Cancel)->setText(tr("キャンセル"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Save:
        return saveCurrent();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool SceneFileFlow::saveCurrent() {
    if (document_.filePath().empty())
        return saveAs();
    const QString path = fromNative(document_.filePath());
    if (!document_.fileChangedOnDisk())
        return save(document_.filePath());
    // Another window or program wrote it since: its changes would be lost.
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("Tarn"),
                    tr("シーンファイル「%1」は、開いた後（または保存した後）にほかで変更されて"
                       "います。\n置き換えると、その変更は失われます。")
                        .arg(QFileInfo(path).fileName()),
                    QMessageBox::Save | QMessageBox::Yes | QMessageBox::Cancel, window_);
    ask.button(QMessageBox::Save)->setText(tr("名前を付けて保存..."));
    ask.button(QMessageBox::Yes)->setText(tr("置き換える"));
    ask.button(QMessageBox::Cancel)->setText(tr("そのままにする"));
    // Enter keeps both versions: this one goes to a file of its own.
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Yes:
        return save(document_.filePath());
    case QMessageBox::Save:
        return saveAs();
    default:
        return false;
    }
}

void SceneFileFlow::offerRecovered() {
    const QStringList kept = adoptRecoveredScenes(context_);
    if (kept.isEmpty())
        return;
    recentChanged_();
    tellProblem(tr("前回、保存していなかったシーンを次のファイルに残しました。"
                   "「最近使ったシーン」から開けます。\n%1")
                    .arg(kept.join(QLatin1Char('\n'))));
}

bool SceneFileFlow::saveAs() {
    QString path = askPath(true);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QString::fromLatin1(kSceneFileExtension);
    if (!confirmReplace(window_, path))
        return false;
    return save(toNative(path));
}

bool SceneFileFlow::save(const std::string& native) {
    const Status status = document_.save(native);
    const QString path = fromNative(native);
    if (!status.ok()) {
        tellProblem(sceneSaveFailure(status));
        return false;
    }
    rememberScene(context_.ini(), path);
    rememberDialogFolder(window_, context_, SavedFile::Scene, QFileInfo(path).absolutePath());
    recentChanged_();
    return true;
}

bool SceneFileFlow::askAndOpen() {
    const QString path = askPath(false);
    return !path.isEmpty() && open(path);
}

bool SceneFileFlow::open(const QString& path) {
    return open(toNative(path));
}

bool SceneFileFlow::open(const std::string& path) {
    // Kept as bytes to the document, so a name that is no UTF-8 opens and saves.
    const std::string native =
        path.starts_with('/') ? path : joinPath(std::filesystem::current_path().string(), path);
    const QString file = fromNative(native);
    // A shortage of memory while the parts are read is thrown, so the scene
    // shown stays, rather than opening with parts said to be unreadable.
    const PartLoader loadPart = [](const std::string& part, Picture& out) {
        return loadPicture(fromNative(part), out);
    };
    const SceneOpenResult result = document_.open(native, loadPart);
    if (!result.ok()) {
        // A recent entry that cannot be opened is not offered again.
        forgetScene(context_.ini(), file);
        recentChanged_();
        tellProblem(sceneOpenFailure(result.status));
        return false;
    }
    rememberScene(context_.ini(), file);
    rememberDialogFolder(window_, context_, SavedFile::Scene, QFileInfo(file).absolutePath());
    recentChanged_();
    if (!result.missing.empty()) {
        QStringList missing;
        for (const std::string& part : result.missing)
            missing << fromNative(part);
        tellProblem(tr("シーン「%1」の次のパーツを読み込めませんでした。"
                       "パーツはシーンに残してありますが、表示されません。\n%2")
                        .arg(QFileInfo(file).fileName(), missing.join(QLatin1Char('\n'))));
    }
    return true;
}

void SceneFileFlow::tellProblem(const QString& text) {
    showMessage(window_, QMessageBox::Warning, text);
}

QString SceneFileFlow::askPath(bool forSaving) {
    QFileDialog dialog(window_, forSaving ? tr("名前を付けてシーンを保存") : tr("シーンを開く"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Save as asks its own question, after adding the extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(tr("Tarn シーン (*.tarn)"));
    // Where a scene was last saved or opened.
    dialog.setDirectory(dialogFolder(context_, SavedFile::Scene));
    if (forSaving) {
        const QString file = fromNative(document_.filePath());
        dialog.selectFile(file.isEmpty() ? tr("無題") + QString::fromLatin1(kSceneFileExtension)
                                         : QFileInfo(file).fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace tarn
