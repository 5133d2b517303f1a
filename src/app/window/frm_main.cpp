#include "app/window/frm_main.h"
#include "app/dialogs/frm_write.h"

#include "app/common/user_action.h"
#include "app/dialogs/frm_boot.h"
#include "app/dialogs/scene_file_flow.h"
#include "app/window/canvas_view.h"
#include "app/window/list_box.h"
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

QAction* addMenuAction(QWidget* menu, const char* name, const QString& caption,
                       const QKeySequence& shortcut = {}) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

} // namespace

FrmMain::FrmMain(AppContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)),
      document_(QFile::encodeName(context_.workingFolder()).toStdString()),
      sceneFiles_(std::make_unique<SceneFileFlow>(this, document_, context_,
                                                  [this] { showRecentScenes(); })),
      exit_([] { QCoreApplication::exit(0); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarn"));
    setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));

    buildMenu();
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
        mnuPath_->setText(open ? tr("閉じる(&C)      ") : tr("パスの指定(&P)"));
    });
    status_ = new StatusLine(*this, *canvas_, document_, run);
    status_->buildLayerMenu(mnuLayer_);

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

void FrmMain::buildMenu() {
    QMenuBar* bar = menuBar();
    // Seven menus at the first width: tighter items keep the last one out of
    // the overflow button.
    bar->setStyleSheet(
        QStringLiteral("QMenuBar { spacing: 0px; } QMenuBar::item { padding: 2px 3px; }"));
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* mnuFile = bar->addMenu(tr("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuSceneNew = addMenuAction(mnuFile, "mnuSceneNew", tr("新しいシーン(&N)"),
                                         QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* mnuSceneOpen = addMenuAction(mnuFile, "mnuSceneOpen", tr("シーンを開く(&O)..."),
                                          QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* mnuSceneSave = addMenuAction(mnuFile, "mnuSceneSave", tr("シーンを保存(&V)"));
    QAction* mnuSceneSaveAs =
        addMenuAction(mnuFile, "mnuSceneSaveAs", tr("名前を付けてシーンを保存..."));
    mnuSceneRecent_ = mnuFile->addMenu(tr("最近使ったシーン(&R)"));
    mnuSceneRecent_->setObjectName(QStringLiteral("mnuSceneRecent"));
    // The entries show the file name; the tooltip shows where it is.
    mnuSceneRecent_->setToolTipsVisible(true);
    mnuFile->addSeparator();
    QMenu* mnusaveD = mnuFile->addMenu(tr("保存(&S)"));
    mnusaveD->setObjectName(QStringLiteral("mnusaveD"));
    QAction* mnuSaveAs = addMenuAction(mnusaveD, "mnuSaveAs", tr("名前をつけて画像の保存(&A)..."),
                                       QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* mnuWrte = addMenuAction(mnusaveD, "mnuWrte", tr("書き出し(&W)..."),
                                     QKeySequence(Qt::CTRL | Qt::Key_W));
    QAction* mnuDungeon = addMenuAction(mnuFile, "mnuDungeon", tr("ダンジョン(&D)..."),
                                        QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuH5"));
    QAction* mnuCopy = addMenuAction(mnuFile, "mnuCopy", tr("クリップボードにコピー(&C)"),
                                     QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuH3"));
    QAction* mnuEnd =
        addMenuAction(mnuFile, "mnuEnd", tr("終了(&Q)"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* mnuEdit = bar->addMenu(tr("編集(&E)"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo_ =
        addMenuAction(mnuEdit, "mnuUndo", tr("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo_ = addMenuAction(mnuEdit, "mnuRedo", tr("やり直し(&R)"));
    mnuRedo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    mnuPath_ = addMenuAction(bar, "mnuPath", tr("パスの指定(&P)"));

    QMenu* mnuSpecial = bar->addMenu(tr("特殊効果(&S)"));
    mnuSpecial->setObjectName(QStringLiteral("mnuSpecial"));
    QAction* mnuGray = addMenuAction(mnuSpecial, "mnuGray", tr("グレースケール変換(&G)"),
                                     QKeySequence(Qt::CTRL | Qt::Key_G));
    QAction* mnuSepia = addMenuAction(mnuSpecial, "mnuSepia", tr("セピア調変換(&S)"),
                                      QKeySequence(Qt::CTRL | Qt::Key_F));

    mnuLayer_ = bar->addMenu(tr("レイヤー表示(&L)"));
    mnuLayer_->menuAction()->setObjectName(QStringLiteral("mnuLayer(0)"));
    QAction* mnuVersion = addMenuAction(bar, "mnuVersion", tr("バージョン情報(&V)"));
    QAction* mnuRenew = addMenuAction(bar, "mnuRenew(0)", tr("最新情報に更新(&R)"));

    connect(mnuSceneNew, &QAction::triggered, this, &FrmMain::onSceneNew);
    connect(mnuSceneOpen, &QAction::triggered, this, &FrmMain::onSceneOpen);
    connect(mnuSceneSave, &QAction::triggered, this, &FrmMain::onSceneSave);
    connect(mnuSceneSaveAs, &QAction::triggered, this, &FrmMain::onSceneSaveAs);
    connect(mnuUndo_, &QAction::triggered, this, &FrmMain::onUndo);
    connect(mnuRedo_, &QAction::triggered, this, &FrmMain::onRedo);
    connect(mnuSaveAs, &QAction::triggered, this, &FrmMain::onSaveAs);
    connect(mnuWrte, &QAction::triggered, this, &FrmMain::onWrite);
    connect(mnuCopy, &QAction::triggered, this, &FrmMain::onCopy);
    connect(mnuDungeon, &QAction::triggered, this, &FrmMain::onDungeon);
    connect(mnuEnd, &QAction::triggered, this, &FrmMain::onEnd);
    connect(mnuPath_, &QAction::triggered, this, &FrmMain::onTogglePath);
    connect(mnuGray, &QAction::triggered, this, &FrmMain::onGray);
    connect(mnuSepia, &QAction::triggered, this, &FrmMain::onSepia);
    connect(mnuVersion, &QAction::triggered, this, &FrmMain::onVersion);
    connect(mnuRenew, &QAction::triggered, this, &FrmMain::onRefresh);
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"),
                    tr("「%1」を読み込めませんでした。\n"
                       "ファイルが削除されたか、読み込めない画像です。")
                        .arg(path),
                    QMessageBox::Ok, this);
    box.exec();
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

} // namespace tarn
