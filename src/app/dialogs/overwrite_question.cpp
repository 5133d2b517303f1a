#include "app/dialogs/overwrite_question.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>

#include <sys/stat.h>

namespace tarn {

bool askOverwrite(QWidget* parent, const QString& fileName) {
    QMessageBox ask(
        QMessageBox::Question,
        QCoreApplication::translate("tarn::FrmMain", "ファイルの重複問あわせ"),
        QCoreApplication::translate("tarn::FrmMain",
                                    "「%1」\n同じ名前のファイルが存在します。\n上書きしますか？")
            .arg(fileName),
        QMessageBox::Yes | QMessageBox::No, parent);
    // Enter must not replace a file by accident.
    ask.setDefaultButton(QMessageBox::No);
    return ask.exec() == QMessageBox::Yes;
}

bool replacesAFile(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace tarn
