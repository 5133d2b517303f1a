#include "app/canvas_view.h"
#include "app/folder_listing.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

using namespace tarn;
using tarn::test::entries;
using tarn::test::ModalScript;
using tarn::test::ProgramFolder;

namespace {

constexpr Rgb kKeyColour{255, 0, 255};
constexpr Rgb kRed{220, 20, 30};
constexpr Rgb kBlue{20, 40, 210};
constexpr Rgb kGreen{30, 200, 60};

const QString kNotFound = QStringLiteral(
    "指定したパスが見つかりません。\n記憶された後に何らかの変更があったと思われます。\n");
const QString kOpenCaption = QStringLiteral("パスの指定(&P)");
const QString kCloseCaption = QStringLiteral("閉じる(&C)      ");

// 6 x 4: key colour at (0, 0) and (5, 3), red top row, blue below, one green
// pixel at (2, 1), so flipped rows and lost key pixels both show.
Picture markedPart(Rgb body = kBlue) {
    Picture part(6, 4, body);
    for (int x = 0; x < 6; ++x)
        part.setPixel(x, 0, kRed);
    part.setPixel(0, 0, kKeyColour);
    part.setPixel(5, 3, kKeyColour);
    part.setPixel(2, 1, kGreen);
    return part;
}

std::unique_ptr<FrmMain> openWindow(const ProgramFolder& folder) {
    auto window = std::make_unique<FrmMain>(folder.context());
    window->setExitHandler([] {});
    window->load();
    window->show();
    return window;
}

template <typename T> T* child(const FrmMain& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr)
        qWarning("no %s", qPrintable(name));
    return found;
}

void clickRow(ListBox* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// A mouse move without buttons, as the pointer passing over a widget gives.
void hover(QWidget* widget) {
    const QPointF at = widget->rect().center();
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

Rgb canvasAt(const FrmMain& window, int x, int y) {
    return window.scene().canvas.pixel(x, y);
}

} // namespace

Q_DECLARE_METATYPE(tarn::Rgb)

class TestFrmMain : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();

    void startsOnTheRememberedFolder_data();
    void startsOnTheRememberedFolder();
    void controlsCarryTheirNames();
    void menuItemsHaveTheirCaptionsAndShortcuts_data();
    void menuItemsHaveTheirCaptionsAndShortcuts();

    void choosingAPartComposesItAtItsPlace_data();
    void choosingAPartComposesItAtItsPlace();
    void aClickRecomposesTwiceWithTheSameCanvas();
    void arrowKeysChooseEveryEntryPassed();
    void clearingOneSlotAndAll();
    void aFolderChangeKeepsTheSlots();

    void theSampleLibraryComposesAWholeCorridor();
    void listingLeavesOutWhatCannotBeOpened();
    void refreshReadsTheFolderAgain();

    void pathPanelOpensFromTheMenuAndClosesOnMoves_data();
    void pathPanelOpensFromTheMenuAndClosesOnMoves();
    void rememberedFoldersRoundTripThroughTheSettings();
    void backGoesUpOneFolder();
    void anUnreadableDriveAsksToRetryOrCancel();

    void endLeavesWithoutRememberingButClosingRemembers();
    void versionDisplayDisablesTheWindowUntilDismissed_data();
    void versionDisplayDisablesTheWindowUntilDismissed();
};

void TestFrmMain::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestFrmMain::startsOnTheRememberedFolder_data() {
    QTest::addColumn<QString>("remembered"); // relative; "" = no key; "*" = deleted folder
    QTest::addColumn<QString>("expectedFolder");
    QTest::addColumn<bool>("warned");
    QTest::newRow("nothing remembered") << QString() << QString() << false;
    QTest::newRow("remembered subfolder") << "parts"
                                          << "parts" << false;
    QTest::newRow("remembered folder deleted") << "*" << QString() << true;
}

void TestFrmMain::startsOnTheRememberedFolder() {
    QFETCH(QString, remembered);
    QFETCH(QString, expectedFolder);
    QFETCH(bool, warned);

    ProgramFolder folder;
    folder.writePart(QStringLiteral("home_fl.bmp"), markedPart());
    const QString parts = folder.makeFolder(QStringLiteral("parts"));
    folder.writePart(QStringLiteral("parts/away_fl.bmp"), markedPart());
    if (remembered == QLatin1String("*")) {
        const QString gone = folder.makeFolder(QStringLiteral("gone"));
        QDir(gone).removeRecursively();
        folder.writeIni(QStringLiteral("[MemData]\nMofFirst=%1\n").arg(gone));
    } else if (!remembered.isEmpty()) {
        folder.writeIni(QStringLiteral("[MemData]\nMofFirst=%1\n").arg(folder.path(remembered)));
    }

    ModalScript script({tarn::test::press(QMessageBox::Ok)});
    FrmMain window(folder.context());
    window.load();

    const QString expected = expectedFolder.isEmpty() ? folder.path() : folder.path(expectedFolder);
    QCOMPARE(window.currentFolder(), expected);
    QCOMPARE(entries(window.lst(4)),
             QStringList{expectedFolder.isEmpty() ? QStringLiteral("home_fl")
                                                  : QStringLiteral("away_fl")});
    QCOMPARE(window.pathBuff(), driveOf(folder.path()));
    QVERIFY(!window.pathPanel()->isVisible());
    QCOMPARE(
        window.lst(9)->toolTip(),
        QStringLiteral(" オブジェクトが手前の地形も通過するか指定します。[F = 無効 T = 有効]"));
    QCOMPARE(script.seen().size(), warned ? std::size_t{1} : std::size_t{0});
    if (warned) {
        QCOMPARE(script.seen()[0].title, QStringLiteral("Tarn"));
        QCOMPARE(script.seen()[0].text, kNotFound);
        QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(script.seen()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    window.close();
    QCOMPARE(folder.iniValue(QStringLiteral("MofFirst")), expected);
}

void TestFrmMain::controlsCarryTheirNames() {
    ProgramFolder folder;
    auto window = openWindow(folder);
    QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Tarn"));
    QCOMPARE(window->size(), QSize(613, 470));
    QCOMPARE(window->minimumSize(), window->maximumSize());

    const char* const slotNames[] = {"地面", "奥の左側", "奥の右側", "手前の左側", "手前の右側"};
    for (int i = 1; i <= 5; ++i) {
        const QString caption = QString::fromUtf8(slotNames[i - 1]);
        QCOMPARE(child<QLabel>(*window, QStringLiteral("lbl(%1)").arg(i))->text(), caption);
        auto* clear = child<QPushButton>(*window, QStringLiteral("cmdClear(%1)").arg(i));
        QCOMPARE(clear->text(), QStringLiteral("C"));
        QCOMPARE(clear->toolTip(), QStringLiteral("クリア（%1）").arg(caption));
        QCOMPARE(child<QLabel>(*window, QStringLiteral("use(%1)").arg(i))->text(), QString());
    }
    for (int i = 0; i <= 10; ++i)
        QCOMPARE(child<ListBox>(*window, QStringLiteral("lst(%1)").arg(i)), window->lst(i));
    QVERIFY(!window->lst(10)->isVisible());
    for (int i = 0; i <= 9; ++i)
        QVERIFY(window->lst(i)->isVisible());
    QCOMPARE(child<QLabel>(*window, QStringLiteral("lbl(0)"))->text(),
             QStringLiteral("オブジェクト(最大10)"));

    auto* allClear = child<QPushButton>(*window, QStringLiteral("Command1"));
    QCOMPARE(allClear->text(), QStringLiteral("AllC"));
    QCOMPARE(allClear->toolTip(), QStringLiteral("地形をオールクリアします。"));
    const std::pair<const char*, const char*> iconButtons[] = {
        {"cmd_ob(0)", "挿入"},
        {"cmd_ob(1)", "削除"},
        {"cmdChange(0)", "オブジェクトの左右反転"},
        {"cmdChange(1)", "オブジェクトの上下反転"}};
    for (const auto& [name, tip] : iconButtons) {
        auto* button = child<QAbstractButton>(*window, QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QCOMPARE(button->toolTip(), QString::fromUtf8(tip));
        QVERIFY(!button->icon().isNull());
    }

    auto* canvas = child<CanvasView>(*window, QStringLiteral("pctMain"));
    QCOMPARE(canvas->size(), QSize(480, 280));
    QVERIFY(child<QLabel>(*window, QStringLiteral("pctOb")) != nullptr);
    QVERIFY(child<QFrame>(*window, QStringLiteral("Frame")) != nullptr);
    QVERIFY(child<QComboBox>(*window, QStringLiteral("drv")) != nullptr);
    QVERIFY(child<QTreeWidget>(*window, QStringLiteral("dir")) != nullptr);
    QVERIFY(child<QListWidget>(*window, QStringLiteral("flb")) != nullptr);
    QCOMPARE(child<QPushButton>(*window, QStringLiteral("cmdBack"))->text(),
             QStringLiteral("Back"));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(child<QPushButton>(*window, QStringLiteral("cmdMemory(%1)").arg(i))->text(),
                 QStringLiteral("M%1").arg(i + 1));
        QCOMPARE(child<QPushButton>(*window, QStringLiteral("cmdRead(%1)").arg(i))->text(),
                 QStringLiteral("R%1").arg(i + 1));
    }

    // The canvas starts black, and the object columns line up row by row.
    QCOMPARE(canvas->shownImage().pixelColor(200, 100), QColor(Qt::black));
    for (int i = 7; i <= 9; ++i) {
        QCOMPARE(window->lst(i)->geometry().top(), window->lst(6)->geometry().top());
        QCOMPARE(window->lst(i)->height(), window->lst(6)->height());
        QCOMPARE(window->lst(i)->geometry().left(), window->lst(i - 1)->geometry().right() + 1);
    }
}

void TestFrmMain::menuItemsHaveTheirCaptionsAndShortcuts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent"); // "" for the menu bar itself
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    const char* const rows[][4] = {
        {"mnuFile", "", "ファイル(&F)", ""},
        {"mnusaveD", "mnuFile", "保存(&S)", ""},
        {"mnuSaveAs", "mnusaveD", "名前をつけて画像の保存(&A)...", "Ctrl+S"},
        {"mnuWrte", "mnusaveD", "書き出し(&W)...", "Ctrl+W"},
        {"mnuH5", "mnuFile", "", ""},
        {"mnuCopy", "mnuFile", "クリップボードにコピー(&C)", "Ctrl+C"},
        {"mnuH3", "mnuFile", "", ""},
        {"mnuEnd", "mnuFile", "終了(&Q)", "Ctrl+Q"},
        {"mnuPath", "", "パスの指定(&P)", ""},
        {"mnuSpecial", "", "特殊効果(&S)", ""},
        {"mnuGray", "mnuSpecial", "グレースケール変換(&G)", "Ctrl+G"},
        {"mnuSepia", "mnuSpecial", "セピア調変換(&S)", "Ctrl+F"},
        {"mnuLayer(0)", "", "レイヤー表示(&L)", ""},
        {"mnuVersion", "", "バージョン情報(&V)", ""},
        {"mnuRenew(0)", "", "最新情報に更新(&R)", ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromUtf8(r[1])
                            << QString::fromUtf8(r[2]) << QKeySequence(QString::fromUtf8(r[3]));
}

void TestFrmMain::menuItemsHaveTheirCaptionsAndShortcuts() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);

    ProgramFolder folder;
    auto window = openWindow(folder);
    QAction* action = nullptr;
    if (auto* menu = window->findChild<QMenu*>(name))
        action = menu->menuAction();
    else
        action = window->findChild<QAction*>(name);
    QVERIFY2(action != nullptr, qPrintable(name));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isSeparator(), caption.isEmpty());
    QCOMPARE(action->shortcut(), shortcut);

    // Each item sits where the menu table puts it.
    const QList<QAction*> siblings = parent.isEmpty()
                                         ? window->menuBar()->actions()
                                         : window->findChild<QMenu*>(parent)->actions();
    QVERIFY(siblings.contains(action));
}

void TestFrmMain::choosingAPartComposesItAtItsPlace_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("ground") << 1 << "floor_ug.bmp" << QPoint(80, 80);
    QTest::newRow("back left") << 2 << "far_bl.bmp" << QPoint(0, 0);
    QTest::newRow("back right") << 3 << "far_br.bmp" << QPoint(240, 0);
    QTest::newRow("front left") << 4 << "wall_fl.bmp" << QPoint(0, 80);
    QTest::newRow("front right, upper-case extension") << 5 << "WALL_fr.BMP" << QPoint(240, 80);
}

void TestFrmMain::choosingAPartComposesItAtItsPlace() {
    QFETCH(int, slot);
    QFETCH(QString, fileName);
    QFETCH(QPoint, corner);

    ProgramFolder folder;
    const Picture part = markedPart();
    folder.writePart(fileName, part);
    auto window = openWindow(folder);
    const QString entry = fileName.left(fileName.size() - 4);
    QCOMPARE(entries(window->lst(slot)), QStringList{entry});

    ModalScript script({});
    clickRow(window->lst(slot), 0);

    QCOMPARE(script.seen().size(), std::size_t{0});
    QCOMPARE(window->use(slot)->text(), entry);
    QCOMPARE(QString::fromStdString(window->scene().slot(slot).path),
             folder.path() + QLatin1Char('/') + fileName);
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            const Rgb expected = part.pixel(x, y) == kKeyColour ? kBlack : part.pixel(x, y);
            QCOMPARE(canvasAt(*window, corner.x() + x, corner.y() + y), expected);
            const QColor shown =
                window->canvasView()->shownImage().pixelColor(corner.x() + x, corner.y() + y);
            QCOMPARE(shown, QColor(expected.r, expected.g, expected.b));
        }
    }
}

void TestFrmMain::aClickRecomposesTwiceWithTheSameCanvas() {
    ProgramFolder folder;
    folder.writePart(QStringLiteral("wall_fl.bmp"), markedPart());
    folder.writePart(QStringLiteral("floor_ug.bmp"), markedPart(kGreen));
    auto window = openWindow(folder);
    clickRow(window->lst(1), 0);

    std::vector<Picture> canvases;
    connect(window.get(), &FrmMain::recomposed, this,
            [&] { canvases.push_back(window->scene().canvas); });
    clickRow(window->lst(4), 0);
    QCOMPARE(canvases.size(), std::size_t{2});
    QVERIFY(canvases[0] == canvases[1]);
    QCOMPARE(canvases[1].pixel(1, 80), kRed);

    // A release over any other list recomposes as well, and changes nothing.
    canvases.clear();
    clickRow(window->lst(4), 0);
    QTest::mouseClick(window->lst(7)->viewport(), Qt::LeftButton);
    QTest::mouseClick(window->lst(0)->viewport(), Qt::RightButton);
    QCOMPARE(canvases.size(), std::size_t{4});
    QVERIFY(canvases[3] == canvases[0]);
}

void TestFrmMain::arrowKeysChooseEveryEntryPassed() {
    ProgramFolder folder;
    folder.writePart(QStringLiteral("a_fl.bmp"), markedPart(kBlue));
    folder.writePart(QStringLiteral("b_fl.bmp"), markedPart(kGreen));
    folder.writePart(QStringLiteral("c_fl.bmp"), markedPart(kRed));
    auto window = openWindow(folder);
    ListBox* list = window->lst(4);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    list->setFocus(Qt::TabFocusReason);
    QVERIFY(list->hasFocus());

    QSignalSpy recomposed(window.get(), &FrmMain::recomposed);
    const std::pair<const char*, Rgb> passed[] = {
        {"a_fl", kBlue}, {"b_fl", kGreen}, {"c_fl", kRed}};
    for (const auto& [entry, colour] : passed) {
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(window->use(4)->text(), QString::fromLatin1(entry));
        QCOMPARE(canvasAt(*window, 1, 82), colour);
    }
    QCOMPARE(recomposed.count(), 3);

    // A file changed on disk since it was last chosen shows its new content
    // when its entry is clicked again.
    folder.writePart(QStringLiteral("c_fl.bmp"), markedPart(kBlue));
    clickRow(list, 2);
    QCOMPARE(canvasAt(*window, 1, 82), kBlue);
}

void TestFrmMain::clearingOneSlotAndAll() {
    ProgramFolder folder;
    folder.writePart(QStringLiteral("far_bl.bmp"), markedPart(kGreen));
    folder.writePart(QStringLiteral("wall_fl.bmp"), markedPart(kBlue));
    auto window = openWindow(folder);
    clickRow(window->lst(2), 0);
    clickRow(window->lst(4), 0);
    QCOMPARE(canvasAt(*window, 1, 2), kGreen);
    QCOMPARE(canvasAt(*window, 1, 82), kBlue);

    QSignalSpy recomposed(window.get(), &FrmMain::recomposed);
    child<QPushButton>(*window, QStringLiteral("cmdClear(2)"))->click();
    QCOMPARE(recomposed.count(), 1);
    QCOMPARE(window->use(2)->text(), QString());
    QCOMPARE(window->scene().slot(2).path, std::string());
    QCOMPARE(canvasAt(*window, 1, 2), kBlack);
    QCOMPARE(canvasAt(*window, 1, 82), kBlue);
    QCOMPARE(window->use(4)->text(), QStringLiteral("wall_fl"));
    // The list keeps its selection; only a new click fills the slot again.
    QCOMPARE(window->lst(2)->selectedRow(), 0);
    clickRow(window->lst(2), 0);
    QCOMPARE(canvasAt(*window, 1, 2), kGreen);

    child<QPushButton>(*window, QStringLiteral("Command1"))->click();
    for (int slot = 1; slot <= 5; ++slot)
        QCOMPARE(window->use(slot)->text(), QString());
    QVERIFY(window->scene().canvas == Picture(kCanvasWidth, kCanvasHeight, kBlack));
    QCOMPARE(window->canvasView()->shownImage().pixelColor(1, 82), QColor(Qt::black));
}

void TestFrmMain::aFolderChangeKeepsTheSlots() {
    ProgramFolder folder;
    folder.writePart(QStringLiteral("wall_fl.bmp"), markedPart());
    folder.makeFolder(QStringLiteral("other"));
    folder.writePart(QStringLiteral("other/gate_fr.bmp"), markedPart(kGreen));
    auto window = openWindow(folder);
    clickRow(window->lst(4), 0);
    const Picture before = window->scene().canvas;

    QVERIFY(window->changeFolder(folder.path(QStringLiteral("other"))));
    QCOMPARE(entries(window->lst(4)), QStringList());
    QCOMPARE(entries(window->lst(5)), QStringList{QStringLiteral("gate_fr")});
    QCOMPARE(window->use(4)->text(), QStringLiteral("wall_fl"));
    QCOMPARE(QString::fromStdString(window->scene().slot(4).path),
             folder.path(QStringLiteral("wall_fl.bmp")));
    QVERIFY(window->scene().canvas == before);
}

void TestFrmMain::theSampleLibraryComposesAWholeCorridor() {
    ProgramFolder folder;
    const QStringList samples =
        QDir(QStringLiteral(TARN_SAMPLE_PARTS))
            .entryList({QStringLiteral("*.bmp"), QStringLiteral("*.BMP")}, QDir::Files);
    for (const QString& name : samples)
        folder.copySample(name);
    auto window = openWindow(folder);
    QCOMPARE(entries(window->lst(0)),
             (QStringList{"dungeon_ob_statue", "ob_barrel", "ob_chest", "ob_door", "ob_torch"}));
    ModalScript script({});
    for (int slot = 1; slot <= 5; ++slot) {
        QCOMPARE(window->lst(slot)->count(), 2);
        QVERIFY(window->lst(slot)->item(1)->text().startsWith(QLatin1String("stone_")));
        clickRow(window->lst(slot), 1);
    }
    QCOMPARE(script.seen().size(), std::size_t{0});

    // Ground, walls and ceiling meet without a gap; only the parts' own
    // key-colour corners are left black.
    QList<QPoint> black;
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x)
            if (canvasAt(*window, x, y) == kBlack)
                black << QPoint(x, y);
    QCOMPARE(black, (QList<QPoint>{{0, 0}, {240, 0}, {0, 80}}));
}

void TestFrmMain::listingLeavesOutWhatCannotBeOpened() {
    ProgramFolder folder;
    folder.writePart(QStringLiteral("b_fl.bmp"), markedPart());
    folder.writePart(QStringLiteral("A_fl.bmp"), markedPart());
    folder.writePart(QStringLiteral(".hidden_fl.bmp"), markedPart());
    folder.makeFolder(QStringLiteral("sub_fl.bmp")); // a folder, not a file
    // A name whose bytes are not valid UTF-8 could never be opened again.
    const QByteArray badName = QFile::encodeName(folder.path()) + "/bad\xff_fl.bmp";
    const int fd = ::open(badName.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    // A link back to its own folder must not send the folder list round forever.
    QVERIFY(QFile::link(folder.path(), folder.path(QStringLiteral("loop"))));

    auto window = openWindow(folder);
    auto* files = child<QListWidget>(*window, QStringLiteral("flb"));
    QCOMPARE(entries(files), (QStringList{"A_fl.bmp", "b_fl.bmp"}));
    QCOMPARE(entries(window->lst(4)), (QStringList{"A_fl", "b_fl"}));

    QVERIFY(window->changeFolder(folder.path(QStringLiteral("loop"))));
    QVERIFY(window->changeFolder(folder.path(QStringLiteral("loop/loop"))));
    QCOMPARE(entries(window->lst(4)), (QStringList{"A_fl", "b_fl"}));
    auto* folders = child<QTreeWidget>(*window, QStringLiteral("dir"));
    QCOMPARE(folders->currentItem()->text(0), QStringLiteral("loop"));
    QCOMPARE(folders->currentItem()->childCount(), 2); // loop, sub_fl.bmp
    ::unlink(badName.constData()); // beyond what the folder's own clean-up can name
}

void TestFrmMain::refreshReadsTheFolderAgain() {
    ProgramFolder folder;
    auto window = openWindow(folder);
    QCOMPARE(window->lst(0)->count(), 0);
    folder.writePart(QStringLiteral("ob_new.bmp"), markedPart());
    QCOMPARE(window->lst(0)->count(), 0);
    child<QAction>(*window, QStringLiteral("mnuRenew(0)"))->trigger();
    QCOMPARE(entries(window->lst(0)), QStringList{QStringLiteral("ob_new")});
}

void TestFrmMain::pathPanelOpensFromTheMenuAndClosesOnMoves_data() {
    QTest::addColumn<QString>("over");
    for (const char* name :
         {"lst(0)", "lst(3)", "lst(6)", "lst(9)", "pctOb", "pctMain", "frmMainArea"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestFrmMain::pathPanelOpensFromTheMenuAndClosesOnMoves() {
    QFETCH(QString, over);
    ProgramFolder folder;
    auto window = openWindow(folder);
    QAction* menu = child<QAction>(*window, QStringLiteral("mnuPath"));
    QFrame* panel = window->pathPanel();

    menu->trigger();
    QVERIFY(panel->isVisible());
    QCOMPARE(menu->text(), kCloseCaption);
    menu->trigger();
    QVERIFY(!panel->isVisible());
    QCOMPARE(menu->text(), kOpenCaption);

    menu->trigger();
    // Moves over the panel itself keep it open.
    hover(child<QWidget>(*window, QStringLiteral("flb"))->parentWidget());
    QVERIFY(panel->isVisible());
    QWidget* target = child<QWidget>(*window, over);
    if (auto* list = qobject_cast<QListWidget*>(target))
        target = list->viewport();
    hover(target);
    QVERIFY(!panel->isVisible());
    QCOMPARE(menu->text(), kOpenCaption);
}

void TestFrmMain::rememberedFoldersRoundTripThroughTheSettings() {
    ProgramFolder folder;
    const QString first = folder.makeFolder(QStringLiteral("first"));
    folder.writePart(QStringLiteral("first/one_fl.bmp"), markedPart());
    const QString gone = folder.makeFolder(QStringLiteral("gone"));
    auto window = openWindow(folder);
    auto button = [&](const char* kind, int i) {
        return child<QPushButton>(*window, QStringLiteral("%1(%2)").arg(kind).arg(i));
    };

    // Hovering over an empty slot's buttons leaves their tooltips alone.
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(button("cmdRead", 2), &enter);
    QCOMPARE(button("cmdRead", 2)->toolTip(), QString());

    QVERIFY(window->changeFolder(first));
    button("cmdMemory", 2)->click();
    QCOMPARE(folder.iniValue(QStringLiteral("Mof2")), first);
    QVERIFY(window->changeFolder(gone));
    button("cmdMemory", 5)->click();
    QVERIFY(QDir(gone).removeRecursively());
    QVERIFY(window->changeFolder(folder.path()));

    QCoreApplication::sendEvent(button("cmdRead", 2), &enter);
    QCOMPARE(button("cmdRead", 2)->toolTip(), first);
    QCoreApplication::sendEvent(button("cmdMemory", 2), &enter);
    QCOMPARE(button("cmdMemory", 2)->toolTip(), first);

    ModalScript script({tarn::test::press(QMessageBox::Ok)});
    button("cmdRead", 0)->click(); // never stored: nothing happens
    QCOMPARE(window->currentFolder(), folder.path());
    button("cmdRead", 2)->click();
    QCOMPARE(window->currentFolder(), first);
    QCOMPARE(entries(window->lst(4)), QStringList{QStringLiteral("one_fl")});
    QCOMPARE(script.seen().size(), std::size_t{0});

    button("cmdRead", 5)->click(); // its folder is gone
    QCOMPARE(script.seen().size(), std::size_t{1});
    QCOMPARE(script.seen()[0].text, kNotFound);
    QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
    QCOMPARE(window->currentFolder(), first);
    QCOMPARE(entries(window->lst(4)), QStringList{QStringLiteral("one_fl")});
    QCOMPARE(folder.iniValue(QStringLiteral("Mof5")), gone);
}

void TestFrmMain::backGoesUpOneFolder() {
    ProgramFolder folder;
    const QString deep = folder.makeFolder(QStringLiteral("a/b"));
    folder.writePart(QStringLiteral("a/up_br.bmp"), markedPart());
    auto window = openWindow(folder);
    auto* back = child<QPushButton>(*window, QStringLiteral("cmdBack"));

    // A double click on a subfolder in the folder list moves into it.
    child<QAction>(*window, QStringLiteral("mnuPath"))->trigger();
    auto* folders = child<QTreeWidget>(*window, QStringLiteral("dir"));
    const QList<QTreeWidgetItem*> found =
        folders->findItems(QStringLiteral("a"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    folders->scrollToItem(found[0]);
    // Press, release, then the second press that arrives as a double click.
    const QPoint at = folders->visualItemRect(found[0]).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, folders->viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(folders->viewport(), &doubleClick);
    QCOMPARE(window->currentFolder(), folder.path(QStringLiteral("a")));
    QCOMPARE(entries(window->lst(3)), QStringList{QStringLiteral("up_br")});

    QVERIFY(window->changeFolder(deep));
    back->click();
    QCOMPARE(window->currentFolder(), folder.path(QStringLiteral("a")));
    QCOMPARE(entries(window->lst(3)), QStringList{QStringLiteral("up_br")});
    back->click();
    QCOMPARE(window->currentFolder(), folder.path());

    QVERIFY(window->changeFolder(QStringLiteral("/")));
    back->click();
    QCOMPARE(window->currentFolder(), QStringLiteral("/"));
}

void TestFrmMain::anUnreadableDriveAsksToRetryOrCancel() {
    ProgramFolder folder;
    const QString stick = folder.makeFolder(QStringLiteral("stick"));
    folder.writePart(QStringLiteral("stick/usb_ug.bmp"), markedPart());
    auto window = openWindow(folder);
    auto* drives = child<QComboBox>(*window, QStringLiteral("drv"));
    const QString home = window->currentFolder();

    // A drive that answers only after one retry.
    int asked = 0;
    window->setDriveProbe([&](const QString& drive) { return drive != stick || ++asked > 1; });
    drives->addItem(stick);
    {
        ModalScript retry({tarn::test::press(QMessageBox::Retry)});
        emit drives->activated(drives->count() - 1);
        QCOMPARE(retry.seen().size(), std::size_t{1});
        QCOMPARE(retry.seen()[0].title, QStringLiteral("Tarn"));
        QCOMPARE(retry.seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(retry.seen()[0].buttons, QMessageBox::Retry | QMessageBox::Cancel);
        // Paths keep their case here.
        QCOMPARE(retry.seen()[0].text,
                 stick +
                     QStringLiteral("/ にアクセスできません。\nデバイスの準備ができていません。"));
        QCOMPARE(window->currentFolder(), stick);
        QCOMPARE(entries(window->lst(1)), QStringList{QStringLiteral("usb_ug")});
    }

    // A drive that never answers: retry once more, then cancel back to the
    // program folder's drive.
    QVERIFY(window->changeFolder(home));
    const QString dead = folder.path(QStringLiteral("no-such-drive"));
    window->setDriveProbe([&](const QString& drive) { return drive != dead; });
    drives->addItem(dead);
    ModalScript cancel(
        {tarn::test::press(QMessageBox::Retry), tarn::test::press(QMessageBox::Cancel)});
    emit drives->activated(drives->count() - 1);
    QCOMPARE(cancel.seen().size(), std::size_t{2});
    QCOMPARE(drives->currentText(), window->pathBuff());
    QCOMPARE(window->currentFolder(), window->pathBuff());
}

void TestFrmMain::endLeavesWithoutRememberingButClosingRemembers() {
    ProgramFolder folder;
    const QString sub = folder.makeFolder(QStringLiteral("sub"));
    folder.writeIni(QStringLiteral("[MemData]\nMofFirst=%1\n").arg(folder.path()));
    auto window = openWindow(folder);
    int exits = 0;
    window->setExitHandler([&] { ++exits; });
    QVERIFY(window->changeFolder(sub));

    child<QAction>(*window, QStringLiteral("mnuEnd"))->trigger();
    QCOMPARE(exits, 1);
    QCOMPARE(folder.iniValue(QStringLiteral("MofFirst")), folder.path());

    window->close();
    QCOMPARE(exits, 1);
    QCOMPARE(folder.iniValue(QStringLiteral("MofFirst")), sub);
}

void TestFrmMain::versionDisplayDisablesTheWindowUntilDismissed_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("OK button") << false;
    QTest::newRow("key press") << true;
}

void TestFrmMain::versionDisplayDisablesTheWindowUntilDismissed() {
    QFETCH(bool, byKey);
    ProgramFolder folder;
    auto window = openWindow(folder);
    child<QAction>(*window, QStringLiteral("mnuVersion"))->trigger();

    QWidget* screen = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmBoot") && w->isVisible())
            screen = w;
    QVERIFY(screen != nullptr);
    QVERIFY(!window->isEnabled());
    QVERIFY(screen->isEnabled());
    QVERIFY(screen->findChild<QPushButton*>(QStringLiteral("Command1"))->isVisible());
    QVERIFY(!screen->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QVERIFY(!screen->findChild<QLabel*>(QStringLiteral("Label4"))->isVisible());
    QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("Label5"))->text(),
             QStringLiteral("Ver. 1.03.7"));
    QVERIFY(screen->findChild<QLabel*>(QStringLiteral("Label5"))->isVisible());

    QPointer<QWidget> watched = screen;
    if (byKey)
        QTest::keyClick(screen, Qt::Key_A);
    else
        screen->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QTRY_VERIFY(watched.isNull()); // closed and gone
    QVERIFY(window->isEnabled());
}

QTEST_MAIN(TestFrmMain)
#include "tst_frm_main.moc"
