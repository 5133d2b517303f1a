// Scenario template export from the menu.
#include "app/window/frm_main.h"

#include "app/dialogs/frm_write.h"

namespace tarn {

void FrmMain::onWrite() {
    // One export dialog at a time: opening it again only brings it forward. A
    // closed one may linger hidden until its deferred deletion, so look for a
    // visible one.
    FrmWrite* dialog = nullptr;
    for (FrmWrite* open : findChildren<FrmWrite*>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            dialog = open;
    if (dialog == nullptr) {
        dialog = new FrmWrite(document_, context_, this);
        dialog->show();
    }
    dialog->raise();
    dialog->activateWindow();
}

} // namespace tarn
