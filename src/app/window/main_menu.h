#pragma once

#include <QCoreApplication>

class QAction;
class QMenu;

namespace tarn {

class FrmMain;

// The main window's menu bar, each entry wired to the window's command; the
// entries the window changes later are kept here.
class MainMenu {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    explicit MainMenu(FrmMain& window);

    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* path = nullptr;
    QMenu* recent = nullptr;
    QMenu* layers = nullptr;
};

} // namespace tarn
