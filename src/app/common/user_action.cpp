#include "app/common/user_action.h"

#include "app/common/messages.h"

#include <QMessageBox>

namespace tarn {

void reportOutOfMemory(QWidget* parent) {
    showMessage(parent, QMessageBox::Critical, outOfMemoryText(), QStringLiteral("Tarn"),
                QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace tarn
