#include "app/user_action.h"

#include "app/messages.h"

#include <QMessageBox>

namespace tarn {

void reportOutOfMemory(QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarn"), outOfMemoryText(),
                    QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace tarn
