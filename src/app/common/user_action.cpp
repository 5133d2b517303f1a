#include "app/common/user_action.h"

#include "app/common/messages.h"

#include <QMessageBox>

namespace tarn {

void reportOutOfMemory(QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarn"), outOfMemoryText(),
                    QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace tarn
