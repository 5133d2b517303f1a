#include "app/dialogs/overwrite_question.h"

#include "app/common/messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <sys/stat.h>

namespace tarn {

bool askOverwrite(QWidget* parent, const QString& fileName) {
    // Enter must not replace a file by accident.
    return showMessage(
               parent, QMessageBox::Question,
               QCoreApplication::translate(
                   "tarn::FrmMain", "「%1」\n同じ名前のファイルが存在します。\n上書きしますか？")
                   .arg(fileName),
               QCoreApplication::translate("tarn::FrmMain", "ファイルの重複問あわせ"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool replacesAFile(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool confirmReplace(QWidget* parent, const QString& path) {
    return !replacesAFile(path) || askOverwrite(parent, QFileInfo(path).fileName());
}

} // namespace tarn
