#pragma once

#include "app/common/app_context.h"
#include "app/common/native_path.h"
#include "app/window/object_area.h"
#include "app/window/part_list_files.h"
#include "app/window/path_panel.h"
#include "app/window/picture_commands.h"
#include "app/window/scene_commands.h"
#include "app/window/terrain_area.h"
#include "app/window/tool_windows.h"
#include "app/window/window_layout.h"
#include "document/scene_document.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QDragEnterEvent;
class QDropEvent;
class QResizeEvent;
class QLabel;

namespace tarn {

class CanvasView;
class ListBox;
class MainMenu;
class StatusLine;

// The main window: a view of the scene document, which it keeps for the life of
// the program. Handlers ask the document for an edit; lists, labels and pctMain
// are refreshed from what the document says has changed. Every control carries
// its own objectName ("lst(4)", "cmdClear(2)", "mnuPath", ...), so findChild
// finds it.
//
// It only wires its parts, each a class of its own: the menu bar, the terrain
// and object areas, the path panel, the status line, the growth layout, the
// part lists' files, the title, what is remembered between runs and the menu's
// commands (SceneCommands, PictureCommands, ToolWindows); its slots forward.
class FrmMain : public QMainWindow {
    Q_OBJECT

  public:
    // The first and smallest size; the window may be enlarged.
    static constexpr int kWidth = 613;
    static constexpr int kHeight = 470;
    static constexpr int kListCount = 11; // lst(0) .. lst(10)
    // The real file name of a part list entry (so "X.BMP" is opened as it is).
    static constexpr int kFileNameRole = Qt::UserRole;
    // The first and smallest size with the status bar below kHeight.
    QSize firstSize() const;

    explicit FrmMain(AppContext context, QWidget* parent = nullptr);
    ~FrmMain() override;

    // The window's load: path panel hidden, browsing lists on the program
    // folder, then the folder shown when the window last closed (a warning when
    // it cannot be reached any more).
    void load();

    SceneDocument& document() { return document_; }
    const Scene& scene() const { return document_.scene(); }
    const AppContext& context() const { return context_; }

    // The folder list's current path: absolute, no trailing "/" except "/".
    QString currentFolder() const { return pathPanel_->currentFolder(); }
    // The file behind an entry of lst(0) .. lst(5) in the current folder; "" for no such row.
    QString partPath(int list, int row) const {
        return partFiles_.path(currentFolder(), list, row);
    }

    CanvasView* canvasView() const { return canvas_; }
    ListBox* lst(int index) const {
        return index >= 0 && index < kListCount ? lst_[static_cast<std::size_t>(index)] : nullptr;
    }
    QLabel* use(int slot) const { return terrain_->use(slot); }
    QFrame* pathPanel() const { return pathPanel_; }

    // Tells the user that a listed part file could not be loaded.
    void warnUnreadablePart(const QString& path);

    // Scene files opened without asking about the scene shown (see SceneCommands).
    bool openScene(const QString& path) { return scenes_.open(toNative(path)); }
    // A path given as the system's bytes, which may be no UTF-8.
    bool openScene(const std::string& path) { return scenes_.open(path); }
    void offerRecoveredScenes() { scenes_.offerRecovered(); }
    // Asks about unsaved changes as Open does.
    bool openViewAsScene(const Scene& view) { return scenes_.openView(view); }

    // Moves the browsing lists to a folder (drive, folder, files and part
    // lists). False, with nothing changed, when the folder cannot be entered.
    bool changeFolder(const QString& folder) { return pathPanel_->changeFolder(folder); }

    // What End does; tests replace it so that the process lives on.
    void setExitHandler(std::function<void()> handler) { exit_ = std::move(handler); }
    // Tells whether a drive can be read; tests replace it to play a drive that
    // is not ready.
    void setDriveProbe(std::function<bool(const QString&)> probe) {
        pathPanel_->setDriveProbe(std::move(probe));
    }

  signals:
    // After every change of the canvas shown.
    void recomposed();

  public slots:
    void onEnd();
    void onVersion() { tools_.showVersion(); }
    void onRefresh() {
        act([this] { pathPanel_->reread(); });
    }

    void onPartChosen(int slot, int row) { terrain_->choose(slot, row); }
    void onTogglePath() { pathPanel_->toggle(); }
    void hidePathPanel() { pathPanel_->closePanel(); }

    // The object area's buttons (the area itself is ObjectArea).
    void onInsert() {
        act([this] { objects_->insertChosenPart(); });
    }
    void onFlagChosen(int row) { objects_->toggleFlag(row); }

    void onSaveAs() { pictures_.saveAs(); }
    void onCopy() { pictures_.copy(); }
    void onGray() { pictures_.gray(); }
    void onSepia() { pictures_.sepia(); }
    void onWrite() { tools_.showExport(); }
    void onDungeon() { tools_.showDungeon(); }

    void onUndo() { scenes_.undo(); }
    void onRedo() { scenes_.redo(); }
    void onSceneNew() { scenes_.newScene(); }
    void onSceneOpen() { scenes_.askAndOpen(); }
    // False when nothing was saved: the user cancelled or the write failed.
    bool onSceneSave() { return scenes_.save(); }
    bool onSceneSaveAs() { return scenes_.saveAs(); }
    void onRecentScene(int index) { scenes_.openRecent(index); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutForSize();

    // Runs one user action; after a failure (see runUserAction) the document
    // drops any gesture and the views are drawn from it again.
    bool act(const std::function<void()>& action);

    // Views of the document.
    void documentChanged(const DocumentChange& change);
    void showCanvas(const Rect& area = kCanvasRect);
    void showHistory();
    void showRecentScenes();

    void showStatus();

    AppContext context_;
    SceneDocument document_;
    ActionRunner run_;
    SceneCommands scenes_;
    PictureCommands pictures_;
    ToolWindows tools_;

    CanvasView* canvas_ = nullptr;
    std::array<ListBox*, kListCount> lst_{};
    TerrainArea* terrain_ = nullptr;
    ObjectArea* objects_ = nullptr;
    PathPanel* pathPanel_ = nullptr;
    std::unique_ptr<MainMenu> menu_;
    StatusLine* status_ = nullptr;

    WindowLayout layout_;
    PartListFiles partFiles_;
    std::function<void()> exit_;
};

} // namespace tarn
