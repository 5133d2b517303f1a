#include "app/window/main_menu.h"

#include "app/window/edit_names.h"
#include "app/window/frm_main.h"
#include "document/scene_document.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace tarn {

namespace {

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

MainMenu::MainMenu(FrmMain& window) : window_(window) {
    QMenuBar* bar = window.menuBar();
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
    recent = mnuFile->addMenu(tr("最近使ったシーン(&R)"));
    recent->setObjectName(QStringLiteral("mnuSceneRecent"));
    // The entries show the file name; the tooltip shows where it is.
    recent->setToolTipsVisible(true);
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
    undo =
        addMenuAction(mnuEdit, "mnuUndo", tr("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo = addMenuAction(mnuEdit, "mnuRedo", tr("やり直し(&R)"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    path = addMenuAction(bar, "mnuPath", tr("パスの指定(&P)"));

    QMenu* mnuSpecial = bar->addMenu(tr("特殊効果(&S)"));
    mnuSpecial->setObjectName(QStringLiteral("mnuSpecial"));
    QAction* mnuGray = addMenuAction(mnuSpecial, "mnuGray", tr("グレースケール変換(&G)"),
                                     QKeySequence(Qt::CTRL | Qt::Key_G));
    QAction* mnuSepia = addMenuAction(mnuSpecial, "mnuSepia", tr("セピア調変換(&S)"),
                                      QKeySequence(Qt::CTRL | Qt::Key_F));

    layers = bar->addMenu(tr("レイヤー表示(&L)"));
    layers->menuAction()->setObjectName(QStringLiteral("mnuLayer(0)"));
    QAction* mnuVersion = addMenuAction(bar, "mnuVersion", tr("バージョン情報(&V)"));
    QAction* mnuRenew = addMenuAction(bar, "mnuRenew(0)", tr("最新情報に更新(&R)"));

    QObject::connect(mnuSceneNew, &QAction::triggered, &window, &FrmMain::onSceneNew);
    QObject::connect(mnuSceneOpen, &QAction::triggered, &window, &FrmMain::onSceneOpen);
    QObject::connect(mnuSceneSave, &QAction::triggered, &window, &FrmMain::onSceneSave);
    QObject::connect(mnuSceneSaveAs, &QAction::triggered, &window, &FrmMain::onSceneSaveAs);
    QObject::connect(undo, &QAction::triggered, &window, &FrmMain::onUndo);
    QObject::connect(redo, &QAction::triggered, &window, &FrmMain::onRedo);
    QObject::connect(mnuSaveAs, &QAction::triggered, &window, &FrmMain::onSaveAs);
    QObject::connect(mnuWrte, &QAction::triggered, &window, &FrmMain::onWrite);
    QObject::connect(mnuCopy, &QAction::triggered, &window, &FrmMain::onCopy);
    QObject::connect(mnuDungeon, &QAction::triggered, &window, &FrmMain::onDungeon);
    QObject::connect(mnuEnd, &QAction::triggered, &window, &FrmMain::onEnd);
    QObject::connect(path, &QAction::triggered, &window, &FrmMain::onTogglePath);
    QObject::connect(mnuGray, &QAction::triggered, &window, &FrmMain::onGray);
    QObject::connect(mnuSepia, &QAction::triggered, &window, &FrmMain::onSepia);
    QObject::connect(mnuVersion, &QAction::triggered, &window, &FrmMain::onVersion);
    QObject::connect(mnuRenew, &QAction::triggered, &window, &FrmMain::onRefresh);
}

void MainMenu::showHistory(const SceneDocument& document) {
    const std::optional<EditKind> undoKind = document.undoKind();
    const std::optional<EditKind> redoKind = document.redoKind();
    undo->setEnabled(undoKind.has_value());
    undo->setText(undoKind ? tr("元に戻す: %1(&U)").arg(editName(*undoKind)) : tr("元に戻す(&U)"));
    redo->setEnabled(redoKind.has_value());
    redo->setText(redoKind ? tr("やり直し: %1(&R)").arg(editName(*redoKind)) : tr("やり直し(&R)"));
}

void MainMenu::showRecentScenes(const QStringList& files) {
    recent->clear();
    for (int i = 0; i < files.size(); ++i) {
        QString name = QFileInfo(files[i]).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setObjectName(QStringLiteral("mnuSceneRecent(%1)").arg(i));
        action->setToolTip(files[i]);
        QObject::connect(action, &QAction::triggered, &window_,
                         [this, i] { window_.onRecentScene(i); });
    }
    recent->menuAction()->setEnabled(!files.isEmpty());
}

} // namespace tarn
