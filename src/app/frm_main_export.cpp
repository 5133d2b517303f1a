// Scenario template export from the menu.
#include "app/frm_main.h"

namespace tarn {

void FrmMain::onWrite() {
    // Export behaviour: to be filled in (opens the export dialog).
}

} // namespace tarn
