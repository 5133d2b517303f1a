#include "app/window/frm_main.h"
#include "app/common/messages.h"
#include "app/dialogs/frm_write.h"

#include "app/common/native_path.h"
#include "app/common/user_action.h"
#include "app/dialogs/frm_boot.h"
#include "app/dialogs/scene_file_flow.h"
#include "app/window/canvas_view.h"
#include "app/window/list_box.h"
#include "app/window/main_menu.h"
#include "app/window/object_area.h"
#include "app/window/path_panel.h"
#include "app/window/status_line.h"
#include "app/window/terrain_area.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QStatusBar>
#include <QWindow>

namespace tarn {

namespace {

// Window layout in pixels of the central area (below the menu bar).
constexpr int kMargin = 2;
constexpr int kCanvasLeft = kMargin;
constexpr int kCanvasTop = kMargin;
constexpr int kCanvasBoxWidth = kCanvasWidth + 2;   // with its border
constexpr int kCanvasBoxHeight = kCanvasHeight + 2; // with its border
constexpr int kSlotTop = kCanvasTop + kCanvasBoxHeight + 4;
constexpr int kObjectLeft = kCanvasLeft + kCanvasBoxWidth + 4;
constexpr int kObjectWidth = FrmMain::kWidth - kObjectLeft - kMargin;

constexpr int kMaxRememberedSide = 8192;

} // namespace

FrmMain::FrmMain(AppContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)),
      document_(toNative(context_.workingFolder())),
      sceneFiles_(std::make_unique<SceneFileFlow>(this, document_, context_,
                                                  [this] { showRecentScenes(); })),
      exit_([] { QCoreApplication::exit(0); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarn"));
    setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));

    menu_ = std::make_unique<MainMenu>(*this);
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("frmMainArea"));
    // Moves over the bare window close the path panel.
    area->setMouseTracking(true);
    area->installEventFilter(this);
    setCentralWidget(area);
    setAcceptDrops(true);

    canvas_ = new CanvasView(area);
    canvas_->move(kCanvasLeft, kCanvasTop);

    const int bottom = kHeight - menuBar()->sizeHint().height() - kMargin;
    const auto run = [this](const std::function<void()>& action) { return act(action); };
    terrain_ = new TerrainArea(*this, document_, run, area,
                               QRect(kCanvasLeft, kSlotTop, kCanvasBoxWidth, bottom - kSlotTop));
    for (int slot = 1; slot <= kSlotCount; ++slot)
        lst_[static_cast<std::size_t>(slot)] = terrain_->list(slot);
    objects_ = new ObjectArea(*this, document_, run, area,
                              QRect(kObjectLeft, kCanvasTop, kObjectWidth, bottom - kCanvasTop));
    for (int i : {0, 6, 7, 8, 9, 10})
        lst_[static_cast<std::size_t>(i)] = objects_->list(i);
    connect(canvas_, &CanvasView::mouseMoved, objects_, &ObjectArea::canvasMouseMove);
    connect(canvas_, &CanvasView::mousePressed, objects_, &ObjectArea::canvasMousePress);
    connect(canvas_, &CanvasView::mouseReleased, objects_, &ObjectArea::canvasMouseRelease);
    connect(canvas_, &CanvasView::nudged, objects_, &ObjectArea::nudge);
    pathPanel_ = new PathPanel(
        context_, canvas_->geometry(),
        [this](const std::function<void()>& action) { return act(action); },
        [this](const QStringList& files) { makelist(files); }, area);
    pathPanel_->setOpenChanged([this](bool open) {
        menu_->path->setText(open ? tr("閉じる(&C)      ") : tr("パスの指定(&P)"));
    });
    status_ = new StatusLine(*this, *canvas_, document_, run);
    status_->buildLayerMenu(menu_->layers);

    for (int i = 0; i < kListCount; ++i) {
        ListBox* list = lst_[static_cast<std::size_t>(i)];
        connect(list, &ListBox::mouseMoved, this, &FrmMain::hidePathPanel);
        connect(list, &ListBox::mousePressed, objects_,
                [this, i](Qt::MouseButton b) { objects_->listMousePress(i, b); });
        connect(list, &ListBox::mouseReleased, objects_,
                [this, i](Qt::MouseButton b) { objects_->listMouseRelease(i, b); });
    }

    document_.addObserver([this](const DocumentChange& change) { documentChanged(change); });

    // The window manager adds its frame around this size.
    setMinimumSize(firstSize());
    resize(firstSize());
    layoutForSize();
    showCanvas();
    showHistory();
    showRecentScenes();
}

FrmMain::~FrmMain() {
    if (versionScreen_)
        delete versionScreen_.data();
    // The export dialog watches the document, which goes before the children do.
    qDeleteAll(findChildren<FrmWrite*>(Qt::FindDirectChildrenOnly));
}

ListBox* FrmMain::lst(int index) const {
    return index >= 0 && index < kListCount ? lst_[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* FrmMain::use(int slot) const {
    return terrain_->use(slot);
}

void FrmMain::load() {
    // Before the folder is listed, so that no leftover shows in it.
    context_.removeLeftovers();
    pathPanel_->hide();
    pathPanel_->start();
    // Anything unreadable reads as 0, so the first size; a huge one is cut down.
    const auto remembered = [this](const char* key) {
        return std::min(QString::fromStdString(context_.ini().getini("Window", key, "0")).toInt(),
                        kMaxRememberedSide);
    };
    resize(QSize(remembered("Width"), remembered("Height")).expandedTo(firstSize()));
    const std::string folder = context_.ini().getini("MemData", "MofFirst", "App.Path");
    context_.reportUnreadableSettings(this);
    if (folder != "App.Path" && !changeFolder(QString::fromStdString(folder)))
        pathPanel_->showPathNotFound();
    lst_[9]->setToolTip(tr(" オブジェクトが手前の地形も通過するか指定します。[F = 無効 T = 有効]"));
}

bool FrmMain::act(const std::function<void()>& action) {
    if (runUserAction(this, action))
        return true;
    document_.cancelGesture();
    // A view may have been left half refreshed.
    terrain_->showSlots();
    objects_->showRows();
    showCanvas();
    showHistory();
    return false;
}

void FrmMain::documentChanged(const DocumentChange& change) {
    if (change.terrain)
        terrain_->showSlots();
    if (change.objects)
        objects_->showRows(change.objectRow);
    if (change.canvas)
        showCanvas(change.canvasArea);
    if (change.history || change.file)
        showHistory();
}

void FrmMain::showCanvas(const Rect& area) {
    canvas_->showCanvas(document_.shownCanvas(), area);
    emit recomposed();
}

void FrmMain::warnUnreadablePart(const QString& path) {
    showMessage(this, QMessageBox::Warning,
                tr("「%1」を読み込めませんでした。\n"
                   "ファイルが削除されたか、読み込めない画像です。")
                    .arg(path));
}

void FrmMain::onPartChosen(int slot, int row) {
    terrain_->choose(slot, row);
}

void FrmMain::onInsert() {
    act([this] { objects_->insertChosenPart(); });
}

void FrmMain::onFlagChosen(int row) {
    objects_->toggleFlag(row);
}

void FrmMain::setExitHandler(std::function<void()> handler) {
    exit_ = std::move(handler);
}

void FrmMain::onEnd() {
    // Leaves at once: the current folder is deliberately not remembered.
    if (exit_)
        exit_();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    act([&] {
        if (!sceneFiles_->maySetSceneAside())
            return;
        context_.putSetting(this, "MemData", "MofFirst", currentFolder());
        context_.putSetting(this, "Window", "Width", QString::number(width()));
        context_.putSetting(this, "Window", "Height", QString::number(height()));
        mayClose = true;
    });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // The program ends with its main window: no dialog stays open on its own.
    if (versionScreen_)
        versionScreen_->close();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible())
            window->close();
    event->accept();
}

void FrmMain::onVersion() {
    if (!versionScreen_) {
        auto* screen = new FrmBoot(FrmBoot::Mode::Version);
        screen->setAttribute(Qt::WA_DeleteOnClose);
        screen->setWindowModality(Qt::NonModal);
        connect(screen, &FrmBoot::dismissed, this, [this] {
            if (versionScreen_)
                versionScreen_->close();
            setEnabled(true);
            activateWindow();
            setFocus();
        });
        versionScreen_ = screen;
        screen->winId();
        if (QWindow* own = windowHandle())
            screen->windowHandle()->setTransientParent(own);
        screen->move(geometry().center() - screen->rect().center());
    }
    versionScreen_->show();
    versionScreen_->raise();
    versionScreen_->activateWindow();
    setEnabled(false);
}

void FrmMain::onRefresh() {
    act([this] { pathPanel_->reread(); });
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        (watched == centralWidget() || watched == objects_->previewBox()))
        hidePathPanel();
    return QMainWindow::eventFilter(watched, event);
}

QSize FrmMain::firstSize() const {
    return {kWidth, kHeight + statusBar()->height()};
}

// Before the status line is built, the window's first resize shows nothing.
void FrmMain::showStatus() {
    if (status_ != nullptr)
        status_->show();
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutForSize();
}

void FrmMain::layoutForSize() {
    layout_.apply(centralWidget(), *canvas_, size() - firstSize());
    showStatus();
}

} // namespace tarn
