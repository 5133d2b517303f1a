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
class QProgressBar;
class QPushButton;

namespace tarn {

struct DungeonResult;
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

    // Why an export stopped, in the window's words.

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    // A file or folder typed or browsed to: remembered, then read.
    void fieldChanged(QLineEdit* field, const char* key);
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
    QString browse(const QString& title, const QString& current, const QString& filter);

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
    bool exporting_ = false;
    bool cancelled_ = false;

    QLineEdit* txtMap_ = nullptr;
    QLineEdit* txtPack_ = nullptr;
    QLineEdit* txtFolder_ = nullptr;
    QLineEdit* txtFirstArea_ = nullptr;
    QCheckBox* chkFlatten_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    MapView* mapView_ = nullptr;
    QLabel* lblWhere_ = nullptr;
    QLabel* pctView_ = nullptr;
    QPushButton* cmdOpenView_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* prgExport_ = nullptr;
};

} // namespace tarn
