#include "app/dialogs/save_as_flow.h"
#include "app/dialogs/overwrite_question.h"

#include "app/common/messages.h"
#include "app/common/picture_io.h"
#include "app/dialogs/dialog_folders.h"
#include "app/dialogs/frm_jpg.h"
#include "base/file_write.h"
#include "output/bmp_writer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QMessageBox>

#include <cerrno>

namespace tarn {

namespace {

// Each filter with the ending it adds to a name typed without one.
struct Filter {
    QString caption;
    QString ending;
};

QList<Filter> filters() {
    return {{QCoreApplication::translate("SaveAs", "DIBビットマップ (*.bmp)"), "bmp"},
            {QCoreApplication::translate("SaveAs", "jpg (*.jpg *.jpeg)"), "jpg"},
            {QCoreApplication::translate("SaveAs", "PNG (*.png)"), "png"}};
}

// The file dialog set up afresh each time; empty when the user cancels.
QString askForPath(QWidget* mainWindow, const AppContext& context) {
    QFileDialog dialog(mainWindow, QCoreApplication::translate("SaveAs", "名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("cmDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The flow asks its own question, in its own words, before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList captions;
    for (const Filter& filter : filters())
        captions << filter.caption;
    dialog.setNameFilters(captions);
    // Added by hand below: the dialog would add it to a name like "a.b" as well.
    dialog.setDefaultSuffix(QString());
    dialog.setDirectory(dialogFolder(context, SavedFile::Picture));
    dialog.selectFile(QCoreApplication::translate("SaveAs", "新規画像"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    for (const Filter& filter : filters())
        if (filter.caption == dialog.selectedNameFilter())
            return path + '.' + filter.ending;
    return path;
}

bool confirmReplace(QWidget* mainWindow, const QString& path) {
    return !replacesAFile(path) || askOverwrite(mainWindow, QFileInfo(path).fileName());
}

void tell(QWidget* mainWindow, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Tarn"), text, QMessageBox::Ok, mainWindow);
    box.exec();
}

void reportWriteFailure(QWidget* mainWindow, const Status& status) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("SaveAs", "エラー発生！"),
                    QCoreApplication::translate("SaveAs", "エラー番号 %1 %2")
                        .arg(status.error)
                        .arg(statusDescription(status)),
                    QMessageBox::Ok, mainWindow);
    box.exec();
}

// Each writer says whether the file was written.
bool saveBmp(QWidget* mainWindow, const Picture& canvas, const std::string& path) {
    Status status;
    const int result = save256(canvas, path, true, &status);
    // Error numbers 1 and 3 look like result codes; the status tells them apart.
    if (!status.ok()) {
        reportWriteFailure(mainWindow, status);
        return false;
    }
    if (result == kSave256Written) {
        tell(mainWindow, QMessageBox::NoIcon,
             QCoreApplication::translate("SaveAs", "256形式で保存しました"));
        return true;
    }
    if (result != kSave256TooManyColours)
        return false;
    status = saveBmp24(canvas, path);
    if (!status.ok()) {
        reportWriteFailure(mainWindow, status);
        return false;
    }
    tell(mainWindow, QMessageBox::NoIcon,
         QCoreApplication::translate("SaveAs", "フルカラー形式で保存しました"));
    return true;
}

// Lossless, through Qt's PNG writer, then onto the disk whole or not at all.
bool savePng(QWidget* mainWindow, const Picture& canvas, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(toQImage(canvas))) {
        reportWriteFailure(mainWindow, systemError(EIO, QFile::encodeName(path).toStdString()));
        return false;
    }
    const Status status =
        writeFileAtomically(QFile::encodeName(path).toStdString(),
                            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    if (!status.ok()) {
        reportWriteFailure(mainWindow, status);
        return false;
    }
    tell(mainWindow, QMessageBox::NoIcon,
         QCoreApplication::translate("SaveAs", "PNG形式で保存しました"));
    return true;
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
    const QString path = askForPath(mainWindow, context);
    if (path.isEmpty() || !confirmReplace(mainWindow, path))
        return;

    const QString ending = QFileInfo(path).suffix().toLower();
    // The next dialog starts where this file went; a JPEG's folder is kept as
    // its settings dialog opens.
    bool saved = false;
    if (ending == QStringLiteral("bmp")) {
        saved = saveBmp(mainWindow, canvas, QFile::encodeName(path).toStdString());
    } else if (ending == QStringLiteral("jpg") || ending == QStringLiteral("jpeg")) {
        openJpegDialog(mainWindow, canvas, context, path);
        saved = true;
    } else if (ending == QStringLiteral("png")) {
        saved = savePng(mainWindow, canvas, path);
    } else {
        tell(mainWindow, QMessageBox::Information,
             QCoreApplication::translate("SaveAs",
                                         "「%1」は保存しませんでした。\n"
                                         "ファイル名の末尾が「bmp」「jpg」「jpeg」または「png」"
                                         "のときに保存します。")
                 .arg(QFileInfo(path).fileName()));
    }
    if (saved)
        rememberDialogFolder(mainWindow, context, SavedFile::Picture,
                             QFileInfo(path).absolutePath());
}

} // namespace tarn
