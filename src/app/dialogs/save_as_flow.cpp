#include "app/dialogs/save_as_flow.h"
#include "app/dialogs/overwrite_question.h"

#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/picture_writer.h"
#include "app/dialogs/dialog_folders.h"
#include "app/dialogs/frm_jpg.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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

// Writes a BMP or a PNG and says in which form; whether the file was written.
bool savePicture(QWidget* mainWindow, const Picture& canvas, const QString& path,
                 OutputFormat format) {
    WrittenForm form = WrittenForm::Palette;
    PictureSettings settings;
    settings.format = format;
    const Status status =
        writePicture(canvas, toNative(path), settings, Durability::Durable, &form);
    if (!status.ok()) {
        showMessage(mainWindow, QMessageBox::Warning, pictureWriteFailure(status),
                    QCoreApplication::translate("SaveAs", "エラー発生！"));
        return false;
    }
    const char* said = form == WrittenForm::Palette
                           ? QT_TRANSLATE_NOOP("SaveAs", "256形式で保存しました")
                       : form == WrittenForm::FullColour
                           ? QT_TRANSLATE_NOOP("SaveAs", "フルカラー形式で保存しました")
                           : QT_TRANSLATE_NOOP("SaveAs", "PNG形式で保存しました");
    showMessage(mainWindow, QMessageBox::NoIcon, QCoreApplication::translate("SaveAs", said));
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

    const std::optional<OutputFormat> format = formatNamed(QFileInfo(path).suffix().toStdString());
    // The next dialog starts where this file went; a JPEG's folder is kept as
    // its settings dialog opens.
    bool saved = false;
    if (format == OutputFormat::Jpeg) {
        openJpegDialog(mainWindow, canvas, context, path);
        saved = true;
    } else if (format) {
        saved = savePicture(mainWindow, canvas, path, *format);
    } else {
        showMessage(mainWindow, QMessageBox::Information,
                    QCoreApplication::translate(
                        "SaveAs", "「%1」は保存しませんでした。\n"
                                  "ファイル名の末尾が「bmp」「jpg」「jpeg」または「png」"
                                  "のときに保存します。")
                        .arg(QFileInfo(path).fileName()));
    }
    if (saved)
        rememberDialogFolder(mainWindow, context, SavedFile::Picture,
                             QFileInfo(path).absolutePath());
}

} // namespace tarn
