#pragma once

#include "app/window/action_runner.h"

#include <QPointer>

namespace tarn {

class AppContext;
class FrmBoot;
class FrmMain;
class SceneDocument;

// The windows the main window opens beside itself, one of each at a time:
// opening one again brings it forward. The version screen disables the main
// window while it shows.
class ToolWindows {
  public:
    ToolWindows(FrmMain& window, SceneDocument& document, AppContext& context, ActionRunner run);
    // The export dialog watches the document, which goes before the window's
    // children do.
    ~ToolWindows();

    void showExport();
    void showDungeon();
    void showVersion();
    // The program ends with its main window: no dialog stays open on its own.
    void closeAll();

  private:
    FrmMain& window_;
    SceneDocument& document_;
    AppContext& context_;
    ActionRunner run_;
    QPointer<FrmBoot> versionScreen_;
};

} // namespace tarn
