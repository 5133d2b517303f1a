#pragma once

#include "app/common/app_context.h"
#include "app/window/window_layout.h"
#include "document/scene_document.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QResizeEvent;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;

namespace tarn {

class CanvasView;
class FrmBoot;
class ListBox;
class MainMenu;
class ObjectArea;
class PathPanel;
class TerrainArea;
class SceneFileFlow;
class StatusLine;

// The main window: a view of the scene document, which it keeps for the life of
// the program. Handlers ask the document for an edit; lists, labels and pctMain
// are refreshed from what the document says has changed. Every control carries
// its own objectName ("lst(4)", "cmdClear(2)", "mnuPath", ...), so findChild
// finds it.
//
// It wires its parts, each a class of its own: the menu bar (MainMenu), the
// terrain and object areas, the path panel, the status line, the growth layout
// and the scene-file flow; the window keeps the commands that span them.
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
    QString currentFolder() const;
    // The file behind an entry of lst(0) .. lst(5) in the current folder; "" for no such row.
    QString partPath(int list, int row) const;

    CanvasView* canvasView() const { return canvas_; }
    ListBox* lst(int index) const;
    QLabel* use(int slot) const;
    QFrame* pathPanel() const;

    // Tells the user that a listed part file could not be loaded.
    void warnUnreadablePart(const QString& path);

    // Opens a scene file without asking about the scene shown: on failure a
    // message, and the scene shown stays as it was.
    bool openScene(const QString& path);
    // The same for a path given as the system's bytes, which may be no UTF-8.
    bool openScene(const std::string& path);
    // Says where the scenes kept at an emergency end are, and lists them among
    // the recent scenes.
    void offerRecoveredScenes();
    // Makes a dungeon view the scene shown, as an unsaved new scene whose one
    // step back is the empty scene; asks about unsaved changes as Open does.
    bool openViewAsScene(const Scene& view);

    // Moves the browsing lists to a folder (drive, folder, files and part
    // lists). False, with nothing changed, when the folder cannot be entered.
    bool changeFolder(const QString& folder);

    // What End does; tests replace it so that the process lives on.
    void setExitHandler(std::function<void()> handler);
    // Tells whether a drive can be read; tests replace it to play a drive that
    // is not ready.
    void setDriveProbe(std::function<bool(const QString&)> probe);

  signals:
    // After every change of the canvas shown.
    void recomposed();

  public slots:
    // Shell.
    void onEnd();
    void onVersion();
    void onRefresh();

    // Terrain slots.
    void onPartChosen(int slot, int row);

    // Path panel and browsing.
    void onTogglePath();
    void hidePathPanel();

    // The object area's buttons (the area itself is ObjectArea).
    void onInsert();
    void onFlagChosen(int row);

    // Picture output.
    void onSaveAs();
    void onCopy();
    void onGray();
    void onSepia();

    // Scenario export.
    void onWrite();
    // The dungeon window (frm_main_dungeon.cpp).
    void onDungeon();

    // Scene files and history.
    void onUndo();
    void onRedo();
    void onSceneNew();
    void onSceneOpen();
    // False when nothing was saved: the user cancelled or the write failed.
    bool onSceneSave();
    bool onSceneSaveAs();
    void onRecentScene(int index);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutForSize();

    // Fills the part lists from the file list's names.
    void makelist(const QStringList& files);

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
    std::unique_ptr<SceneFileFlow> sceneFiles_;

    CanvasView* canvas_ = nullptr;
    std::array<ListBox*, kListCount> lst_{};
    TerrainArea* terrain_ = nullptr;
    ObjectArea* objects_ = nullptr;
    PathPanel* pathPanel_ = nullptr;
    std::unique_ptr<MainMenu> menu_;
    StatusLine* status_ = nullptr;

    WindowLayout layout_;
    QPointer<FrmBoot> versionScreen_;
    std::function<void()> exit_;
};

} // namespace tarn
