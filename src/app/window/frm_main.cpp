#include "app/window/frm_main.h"

#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/recent_scenes.h"
#include "app/common/user_action.h"
#include "app/window/canvas_view.h"
#include "app/window/list_box.h"
#include "app/window/main_menu.h"
#include "app/window/part_drop.h"
#include "app/window/status_line.h"
#include "app/window/window_memory.h"
#include "app/window/window_title.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QResizeEvent>
#include <QStatusBar>

namespace tarn {

namespace {

// Window layout in pixels of the central area (below the menu bar).
constexpr int kMargin = 2;
constexpr int kCanvasLeft = kMargin;
constexpr int kCanvasTop = kMargin;
constexpr QSize kCanvasBox = CanvasView::boxSize(1);
constexpr int kSlotTop = kCanvasTop + kCanvasBox.height() + 4;
constexpr int kObjectLeft = kCanvasLeft + kCanvasBox.width() + 4;
constexpr int kObjectWidth = FrmMain::kWidth - kObjectLeft - kMargin;

} // namespace

FrmMain::FrmMain(AppContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)),
      document_(toNative(context_.workingFolder())),
      run_([this](const std::function<void()>& action) { return act(action); }),
      scenes_(this, document_, context_, run_, [this] { showRecentScenes(); }),
      pictures_(this, document_, context_, run_), tools_(*this, document_, context_, run_),
      partFiles_([this](int i) { return lst(i); }, kFileNameRole),
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
    terrain_ = new TerrainArea(*this, document_, run_, area,
                               QRect(kCanvasLeft, kSlotTop, kCanvasBox.width(), bottom - kSlotTop));
    for (int slot = 1; slot <= kSlotCount; ++slot)
        lst_[static_cast<std::size_t>(slot)] = terrain_->list(slot);
    objects_ = new ObjectArea(*this, document_, run_, area,
                              QRect(kObjectLeft, kCanvasTop, kObjectWidth, bottom - kCanvasTop));
    for (int i : {0, 6, 7, 8, 9, 10})
        lst_[static_cast<std::size_t>(i)] = objects_->list(i);
    connect(canvas_, &CanvasView::mouseMoved, objects_, &ObjectArea::canvasMouseMove);
    connect(canvas_, &CanvasView::mousePressed, objects_, &ObjectArea::canvasMousePress);
    connect(canvas_, &CanvasView::mouseReleased, objects_, &ObjectArea::canvasMouseRelease);
    connect(canvas_, &CanvasView::nudged, objects_, &ObjectArea::nudge);
    pathPanel_ = new PathPanel(
        context_, canvas_->geometry(), run_,
        [this](const QStringList& files) { partFiles_.fill(files); }, area);
    pathPanel_->setOpenChanged([this](bool open) {
        menu_->path->setText(open ? tr("閉じる(&C)      ") : tr("パスの指定(&P)"));
    });
    status_ = new StatusLine(*this, *canvas_, document_, run_);
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

FrmMain::~FrmMain() = default;

void FrmMain::load() {
    // Before the folder is listed, so that no leftover shows in it.
    context_.removeLeftovers();
    pathPanel_->hide();
    const WindowMemory memory(context_);
    resize(memory.size(firstSize()));
    const std::optional<QString> folder = memory.folder();
    context_.reportUnreadableSettings(this);
    // One listing: the remembered folder, or the program folder when there is none or it is gone.
    if (!pathPanel_->start(folder))
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

void FrmMain::onEnd() {
    // Leaves at once: the current folder is deliberately not remembered.
    if (exit_)
        exit_();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    act([&] {
        if (!scenes_.maySetSceneAside())
            return;
        WindowMemory(context_).keep(this, currentFolder());
        mayClose = true;
    });
    if (!mayClose) {
        event->ignore();
        return;
    }
    tools_.closeAll();
    event->accept();
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

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent* event) {
    act([&] { dropParts(event, *this, document_, *pathPanel_); });
}

void FrmMain::showHistory() {
    menu_->showHistory(document_);
    showStatus();
    setWindowTitle(WindowTitle::of(document_));
}

void FrmMain::showRecentScenes() {
    menu_->showRecentScenes(recentScenes(context_.ini()));
}

} // namespace tarn
