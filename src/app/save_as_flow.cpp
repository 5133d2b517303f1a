#include "app/save_as_flow.h"
#include "app/overwrite_question.h"

#include "app/frm_jpg.h"
#include "app/messages.h"
#include "output/bmp_writer.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tarn {

namespace {

// The file dialog set up afresh each time; empty when the user cancels.
QString askForPath(QWidget* mainWindow) {
    QFileDialog dialog(mainWindow, QStringLiteral("名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("cmDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The flow asks its own question, in its own words, before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("DIBビットマップ (*.bmp)"), QStringLiteral("jpg (*.jpg *.jpeg)")});
    dialog.setDefaultSuffix(QString());
    dialog.selectFile(QStringLiteral("新規画像"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

bool confirmReplace(QWidget* mainWindow, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return true;
    return askOverwrite(mainWindow, info.fileName());
}

void tell(QWidget* mainWindow, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Tarn"), text, QMessageBox::Ok, mainWindow);
    box.exec();
}

void reportWriteFailure(QWidget* mainWindow, const Status& status) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("エラー発生！"),
                    QStringLiteral("エラー番号 ") + QString::number(status.error) +
                        QStringLiteral(" ") + statusDescription(status),
                    QMessageBox::Ok, mainWindow);
    box.exec();
}

void saveBmp(QWidget* mainWindow, const Picture& canvas, const std::string& path) {
    Status status;
    const int result = save256(canvas, path, true, &status);
    // Error numbers 1 and 3 look like result codes; the status tells them apart.
    if (!status.ok()) {
        reportWriteFailure(mainWindow, status);
        return;
    }
    if (result == kSave256Written) {
        tell(mainWindow, QMessageBox::NoIcon, QStringLiteral("256形式で保存しました"));
    } else if (result == kSave256TooManyColours) {
        status = saveBmp24(canvas, path);
        if (!status.ok())
            reportWriteFailure(mainWindow, status);
        else
            tell(mainWindow, QMessageBox::NoIcon, QStringLiteral("フルカラー形式で保存しました"));
    }
}

void openJpegDialog(QWidget* mainWindow, const Picture& canvas, const AppContext& context,
                    const QString& path) {
    auto* dialog = new FrmJpg(mainWindow, canvas, context.mySystemFolder());
    dialog->show();
    mainWindow->setEnabled(false);
    // Disabling a window disables its child windows too; the dialog must stay usable.
    dialog->setEnabled(true);
    dialog->setTargetPath(path);
}

} // namespace

void saveAsFlow(QWidget* mainWindow, const Picture& canvas, const AppContext& context) {
    const QString path = askForPath(mainWindow);
    if (path.isEmpty() || !confirmReplace(mainWindow, path))
        return;

    const QString ending = path.right(3);
    if (ending == QStringLiteral("bmp")) {
        saveBmp(mainWindow, canvas, QFile::encodeName(path).toStdString());
    } else if (ending == QStringLiteral("jpg")) {
        openJpegDialog(mainWindow, canvas, context, path);
    } else {
        tell(mainWindow, QMessageBox::Information,
             QStringLiteral("「") + QFileInfo(path).fileName() +
                 QStringLiteral("」は保存しませんでした。\n"
                                "ファイル名の末尾が「bmp」または「jpg」のときに保存します。"));
    }
}

} // namespace tarn
