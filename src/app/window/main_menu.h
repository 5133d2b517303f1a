#pragma once

#include <QCoreApplication>
#include <QStringList>

class QAction;
class QMenu;

namespace tarn {

class FrmMain;
class SceneDocument;

// The main window's menu bar, each entry wired to the window's command; the
// entries the window changes later are kept here.
class MainMenu {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    explicit MainMenu(FrmMain& window);

    // Undo and redo, enabled and named after the edit they would take back or do again.
    void showHistory(const SceneDocument& document);
    // The recent scenes by file name, most recent first; their tooltips say where.
    void showRecentScenes(const QStringList& files);

    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* path = nullptr;
    QMenu* recent = nullptr;
    QMenu* layers = nullptr;

  private:
    FrmMain& window_;
};

} // namespace tarn
