#pragma once

#include "app/common/app_context.h"
#include "dungeon/dungeon_map.h"
#include "dungeon/dungeon_pack.h"
#include "scene/scene.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarn {

class DungeonExportRun;
class DungeonFiles;
class FrmMain;
class MapView;
class PartCache;

// The dungeon window: a map and a part pack, the map drawn to walk on, the view
// at the player's square as the export composes it, and the export of every
// view into a scenario folder. Modeless, beside the main window, whose scene
// the shown view can become. Deletes itself when closed.
class FrmDungeon : public QDialog {
    Q_OBJECT

  public:
    FrmDungeon(FrmMain& main, const AppContext& context);
    ~FrmDungeon() override;

    // The view shown now; empty until a map and a pack compose one.
    const Scene& shownView() const { return view_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    // Reads the map and the pack named in the fields, says what is wrong with
    // them, and shows the start.
    void loadDungeon();
    void proposeFirstArea();
    void showView();
    void showWhere();
    void showProblems();
    void openView();
    void runExport();
    void setExporting(bool exporting);

    FrmMain& main_;
    AppContext context_;
    DungeonPack pack_;
    bool mapRead_ = false;
    bool packRead_ = false;
    QString mapProblem_;
    QString packProblem_;
    QString viewProblem_;
    std::unique_ptr<PartCache> parts_;
    Scene view_;
    bool viewShown_ = false;
    std::unique_ptr<DungeonFiles> files_;
    std::unique_ptr<DungeonExportRun> export_;

    QLineEdit* txtFirstArea_ = nullptr;
    QCheckBox* chkFlatten_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    MapView* mapView_ = nullptr;
    QLabel* lblWhere_ = nullptr;
    QLabel* pctView_ = nullptr;
    QPushButton* cmdOpenView_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
};

} // namespace tarn
