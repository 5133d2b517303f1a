#include "app/canvas_view.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "objects/exchange_files.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <memory>
#include <vector>

using namespace tarn;
using tarn::test::ModalScript;
using tarn::test::ProgramFolder;

namespace {

constexpr Rgb kKey{255, 0, 255};
constexpr Rgb kMarker{250, 250, 10};
constexpr Rgb kWall{90, 90, 90};

struct PartRecipe {
    const char* name;
    int width;
    int height;
    Rgb body;
};

// Object parts of distinct sizes and colours; each has its key colour at
// (0, 0) and down the right column and a marker at (1, 0), so a lost mask,
// a mirror or an exchanged picture all show.
const PartRecipe kParts[] = {
    {"ob_tall", 40, 60, {200, 30, 30}},   {"ob_wide", 80, 30, {30, 160, 40}},
    {"ob_small", 12, 9, {30, 40, 200}},   {"ob_long", 30, 100, {180, 120, 20}},
    {"ob_huge", 300, 60, {20, 150, 150}},
};

Picture objectPart(const PartRecipe& recipe) {
    Picture p(recipe.width, recipe.height, recipe.body);
    for (int y = 0; y < recipe.height; ++y)
        p.setPixel(recipe.width - 1, y, kKey);
    p.setPixel(0, 0, kKey);
    p.setPixel(1, 0, kMarker);
    return p;
}

const PartRecipe& recipe(const QString& name) {
    for (const PartRecipe& s : kParts)
        if (name == QLatin1String(s.name))
            return s;
    return kParts[0];
}

class Harness {
  public:
    Harness() {
        for (const PartRecipe& s : kParts)
            folder.writePart(QString::fromLatin1(s.name) + QStringLiteral(".bmp"), objectPart(s));
        // The front-left wall covers the canvas from (0, 80); its own key is black.
        Picture wall(240, 198, kWall);
        wall.setPixel(0, 0, kBlack);
        folder.writePart(QStringLiteral("stone_fl.bmp"), wall);

        window = std::make_unique<FrmMain>(folder.context());
        window->setExitHandler([] {});
        window->load();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("main window not exposed");
    }

    ListBox* lst(int i) const { return window->lst(i); }
    QToolButton* button(const char* name) const {
        return window->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    const std::vector<ObjectRow>& rows() const { return window->scene().objects; }
    int current() const { return lst(6)->selectedRow(); }

    QPoint rowPoint(int list, int row) const {
        ListBox* box = lst(list);
        box->scrollToItem(box->item(row));
        return box->visualItemRect(box->item(row)).center();
    }
    void clickRow(int list, int row) const {
        QTest::mouseClick(lst(list)->viewport(), Qt::LeftButton, {}, rowPoint(list, row));
    }
    void choosePart(const QString& name) const {
        const QList<QListWidgetItem*> found = lst(0)->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        clickRow(0, lst(0)->row(found.first()));
    }
    void insert(const QString& name) const {
        choosePart(name);
        QTest::mouseClick(button("cmd_ob(0)"), Qt::LeftButton);
    }
    void chooseWall() const {
        const QList<QListWidgetItem*> found = lst(4)->findItems("stone_fl", Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        clickRow(4, lst(4)->row(found.first()));
    }

    // Window coordinates of a canvas pixel (the canvas sits inside a one-pixel border).
    QPoint onCanvas(QPoint canvasPixel) const {
        return window->canvasView()->mapTo(
            window.get(), canvasPixel + QPoint(CanvasView::kBorder, CanvasView::kBorder));
    }
    // A drag through the window, so Qt's own pointer grab routes the moves.
    void dragOnCanvas(QPoint from, QPoint to, const std::vector<Qt::MouseButton>& held) const {
        QWindow* w = window->windowHandle();
        for (Qt::MouseButton b : held)
            QTest::mousePress(w, b, {}, onCanvas(from));
        QTest::mouseMove(w, onCanvas(from + QPoint(1, 1)));
        QTest::mouseMove(w, onCanvas(to));
    }
    void endDrag(QPoint at, const std::vector<Qt::MouseButton>& held) const {
        for (Qt::MouseButton b : held)
            QTest::mouseRelease(window->windowHandle(), b, {}, onCanvas(at));
    }
    // Places the current object by a left drag on the canvas.
    void place(int row, QPoint at) const {
        clickRow(6, row);
        dragOnCanvas({200, 200}, at, {Qt::LeftButton});
        endDrag(at, {Qt::LeftButton});
    }

    Rgb canvasAt(int x, int y) const { return window->scene().canvas.pixel(x, y); }
    Rgb shownAt(int x, int y) const {
        const QColor c = window->canvasView()->shownImage().pixelColor(x, y);
        return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                static_cast<std::uint8_t>(c.blue())};
    }

    // Every list row shows the texts of its scene row.
    void verifyListsMatchScene() const {
        for (int i = 6; i <= 10; ++i)
            QCOMPARE(lst(i)->count(), static_cast<int>(rows().size()));
        for (int r = 0; r < static_cast<int>(rows().size()); ++r) {
            const ObjectRow& o = rows()[static_cast<std::size_t>(r)];
            const std::string* texts[] = {&o.name, &o.x, &o.y, &o.flag, &o.path};
            for (int i = 6; i <= 10; ++i)
                QCOMPARE(lst(i)->item(r)->text(), QString::fromStdString(*texts[i - 6]));
        }
    }

    ProgramFolder folder;
    std::unique_ptr<FrmMain> window;
};

void compareRows(const ObjectRow& actual, const ObjectRow& expected) {
    QCOMPARE(actual.name, expected.name);
    QCOMPARE(actual.x, expected.x);
    QCOMPARE(actual.y, expected.y);
    QCOMPARE(actual.flag, expected.flag);
    QCOMPARE(actual.path, expected.path);
    QVERIFY2(actual.picture == expected.picture, expected.name.c_str());
    QVERIFY2(actual.mask == expected.mask, expected.name.c_str());
}

// Four objects with their own places and flags; the second one mirrored.
void buildFour(Harness& h) {
    for (const char* name : {"ob_tall", "ob_wide", "ob_small", "ob_long"})
        h.insert(QString::fromLatin1(name));
    const QPoint places[] = {{10, 20}, {150, 5}, {-3, 200}, {300, 100}};
    for (int r = 0; r < 4; ++r)
        h.place(r, places[r]);
    h.clickRow(9, 1);
    h.clickRow(9, 3);
    h.clickRow(6, 1);
    QTest::mouseClick(h.button("cmdChange(0)"), Qt::LeftButton);
}

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)

class TestObjects : public QObject {
    Q_OBJECT

  private slots:
    void insertAddsARowDrawnAtTheTopLeftBehindTheFrontWalls();
    void insertStopsAtTenRows();
    void previewFitsThePartWithoutEnlargingIt_data();
    void previewFitsThePartWithoutEnlargingIt();
    void deleteKeepsEveryOtherObjectWhole_data();
    void deleteKeepsEveryOtherObjectWhole();
    void flagToggleShowsAtTheMouseRelease();
    void leftDragPlacesTheCurrentObject_data();
    void leftDragPlacesTheCurrentObject();
    void otherButtonsMoveNothing_data();
    void otherButtonsMoveNothing();
    void mirrorActsOnTheCurrentObjectOnly();
    void rowDragExchangesTwoRows_data();
    void rowDragExchangesTwoRows();
    void rowDragRecordsTheFormerPicturesInMySystem();
};

void TestObjects::insertAddsARowDrawnAtTheTopLeftBehindTheFrontWalls() {
    Harness h;
    h.chooseWall();
    for (const char* name : {"ob_tall", "ob_wide", "ob_small"})
        h.insert(QString::fromLatin1(name));
    QCOMPARE(h.rows().size(), std::size_t{3});
    h.insert(QStringLiteral("ob_long"));

    QCOMPARE(h.rows().size(), std::size_t{4});
    h.verifyListsMatchScene();
    QCOMPARE(h.lst(6)->item(3)->text(), QStringLiteral("ob_long"));
    QCOMPARE(h.lst(7)->item(3)->text(), QStringLiteral("0"));
    QCOMPARE(h.lst(8)->item(3)->text(), QStringLiteral("0"));
    QCOMPARE(h.lst(9)->item(3)->text(), QStringLiteral("F"));
    QCOMPARE(h.lst(10)->item(3)->text(),
             QDir(h.folder.path()).canonicalPath() + QStringLiteral("/ob_long.bmp"));
    QCOMPARE(h.current(), -1);

    const Rgb body = recipe("ob_long").body;
    for (const auto& [x, y, expected] :
         {std::tuple{5, 5, body}, std::tuple{5, 79, body}, std::tuple{5, 90, kWall},
          std::tuple{29, 5, recipe("ob_wide").body}, std::tuple{1, 0, kMarker}}) {
        QCOMPARE(h.canvasAt(x, y), expected);
        QCOMPARE(h.shownAt(x, y), expected);
    }
}

void TestObjects::insertStopsAtTenRows() {
    Harness h;
    for (int k = 0; k < 9; ++k)
        h.insert(QString::fromLatin1(kParts[k % 4].name));
    h.insert(QStringLiteral("ob_huge"));
    QCOMPARE(h.rows().size(), std::size_t{10});
    QCOMPARE(h.rows()[9].name, std::string("ob_huge"));
    const std::vector<ObjectRow> ten = h.rows();

    ModalScript script({});
    QSignalSpy recomposed(h.window.get(), &FrmMain::recomposed);
    h.insert(QStringLiteral("ob_small"));
    QVERIFY(script.seen().empty());
    QVERIFY(recomposed.count() >= 1);
    QCOMPARE(h.rows().size(), std::size_t{10});
    for (std::size_t k = 0; k < 10; ++k)
        compareRows(h.rows()[k], ten[k]);
    h.verifyListsMatchScene();
}

void TestObjects::previewFitsThePartWithoutEnlargingIt_data() {
    QTest::addColumn<QString>("part");
    QTest::newRow("small part at its own size") << QStringLiteral("ob_small");
    QTest::newRow("tall part") << QStringLiteral("ob_long");
    QTest::newRow("wide part") << QStringLiteral("ob_huge");
}

void TestObjects::previewFitsThePartWithoutEnlargingIt() {
    QFETCH(QString, part);
    Harness h;
    h.choosePart(part);
    const QLabel* preview = h.window->findChild<QLabel*>(QStringLiteral("pctOb"));
    QVERIFY(preview);
    const QPixmap shown = preview->pixmap();
    QVERIFY(!shown.isNull());
    const PartRecipe& s = recipe(part);
    const QSize box = preview->contentsRect().size();
    QVERIFY(shown.width() <= box.width() && shown.height() <= box.height());
    QVERIFY(shown.width() <= s.width && shown.height() <= s.height);
    if (s.width <= box.width() && s.height <= box.height()) {
        QCOMPARE(shown.size(), QSize(s.width, s.height));
    } else {
        // Fills the box in one direction, keeps the proportions within a pixel.
        QVERIFY(shown.width() == box.width() || shown.height() == box.height());
        QVERIFY(std::abs(shown.width() * s.height - shown.height() * s.width) <=
                std::max(s.width, s.height));
    }
    QVERIFY(h.rows().empty());
}

void TestObjects::deleteKeepsEveryOtherObjectWhole_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("currentAfter");
    QTest::newRow("row 0 of 4, above the mirrored one") << 4 << 0 << 0;
    QTest::newRow("last row of 4") << 4 << 3 << -1;
    QTest::newRow("only row") << 1 << 0 << -1;
}

void TestObjects::deleteKeepsEveryOtherObjectWhole() {
    QFETCH(int, rows);
    QFETCH(int, deleted);
    QFETCH(int, currentAfter);
    Harness h;
    if (rows == 4) {
        buildFour(h);
        QVERIFY(h.rows()[1].picture != objectPart(recipe("ob_wide")));
    } else {
        h.insert(QStringLiteral("ob_tall"));
        h.place(0, {33, 44});
    }
    const std::vector<ObjectRow> former = h.rows();
    h.clickRow(6, deleted);
    // As on a first run: no working folder yet.
    const QString mySystem = h.folder.path(QStringLiteral("MySystem"));
    QDir(mySystem).removeRecursively();

    QSignalSpy recomposed(h.window.get(), &FrmMain::recomposed);
    QTest::mouseClick(h.button("cmd_ob(1)"), Qt::LeftButton);

    std::vector<ObjectRow> expected = former;
    expected.erase(expected.begin() + deleted);
    QCOMPARE(h.rows().size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k)
        compareRows(h.rows()[k], expected[k]);
    h.verifyListsMatchScene();
    QCOMPARE(h.current(), currentAfter);
    QCOMPARE(recomposed.count(), 1);
    // Exchanging rows makes the working folder when it is missing.
    QCOMPARE(QFileInfo(mySystem).isDir(), deleted < rows - 1);
}

void TestObjects::flagToggleShowsAtTheMouseRelease() {
    Harness h;
    h.chooseWall();
    h.insert(QStringLiteral("ob_long"));
    h.insert(QStringLiteral("ob_small"));
    const Rgb body = recipe("ob_long").body;
    QCOMPARE(h.shownAt(5, 90), kWall);

    QWidget* flags = h.lst(9)->viewport();
    QTest::mousePress(flags, Qt::LeftButton, {}, h.rowPoint(9, 0));
    QCOMPARE(h.lst(9)->item(0)->text(), QStringLiteral("T"));
    QCOMPARE(h.shownAt(5, 90), kWall); // not yet redrawn
    QTest::mouseRelease(flags, Qt::LeftButton, {}, h.rowPoint(9, 0));
    QCOMPARE(h.shownAt(5, 90), body);
    QCOMPARE(h.rows()[0].flag, std::string("T"));

    h.clickRow(9, 0);
    QCOMPARE(h.lst(9)->item(0)->text(), QStringLiteral("F"));
    QCOMPARE(h.shownAt(5, 90), kWall);

    // The arrow keys choose, and so toggle, the row they move to.
    QTest::keyClick(h.lst(9), Qt::Key_Down);
    QCOMPARE(h.lst(9)->item(1)->text(), QStringLiteral("T"));
    QCOMPARE(h.lst(9)->item(0)->text(), QStringLiteral("F"));
    QCOMPARE(h.current(), -1);
    h.verifyListsMatchScene();
}

void TestObjects::leftDragPlacesTheCurrentObject_data() {
    QTest::addColumn<QPoint>("to");
    QTest::newRow("inside") << QPoint(100, 50);
    QTest::newRow("left of the canvas") << QPoint(-12, 40);
    QTest::newRow("above the canvas") << QPoint(30, -25);
    QTest::newRow("past the bottom right") << QPoint(520, 300);
}

void TestObjects::leftDragPlacesTheCurrentObject() {
    QFETCH(QPoint, to);
    Harness h;
    for (const char* name : {"ob_small", "ob_wide", "ob_tall"})
        h.insert(QString::fromLatin1(name));
    h.clickRow(6, 2);
    const std::vector<ObjectRow> former = h.rows();

    h.dragOnCanvas({5, 5}, to, {Qt::LeftButton});
    // The columns follow during the drag, before any release.
    QCOMPARE(h.lst(7)->item(2)->text(), QString::number(to.x()));
    QCOMPARE(h.lst(8)->item(2)->text(), QString::number(to.y()));
    h.endDrag(to, {Qt::LeftButton});

    QCOMPARE(h.rows()[2].x, std::to_string(to.x()));
    QCOMPARE(h.rows()[2].y, std::to_string(to.y()));
    compareRows(h.rows()[0], former[0]);
    compareRows(h.rows()[1], former[1]);
    h.verifyListsMatchScene();

    // The marker at (1, 0) and a body pixel, where they fall on the canvas.
    const Rgb body = recipe("ob_tall").body;
    for (const auto& [dx, dy, colour] : {std::tuple{1, 0, kMarker}, std::tuple{20, 30, body}}) {
        const int x = to.x() + dx;
        const int y = to.y() + dy;
        if (x >= 0 && y >= 0 && x < kCanvasWidth && y < kCanvasHeight)
            QCOMPARE(h.shownAt(x, y), colour);
    }
    if (to.x() < 0) // the cut-off part is simply missing
        QCOMPARE(h.shownAt(0, to.y() + 1), body);
}

void TestObjects::otherButtonsMoveNothing_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<bool>("redraws");
    QTest::newRow("right button") << 0 << QList<int>{Qt::RightButton} << false;
    QTest::newRow("left and right") << 0 << QList<int>{Qt::LeftButton, Qt::RightButton} << false;
    QTest::newRow("left, no current object") << -1 << QList<int>{Qt::LeftButton} << true;
}

void TestObjects::otherButtonsMoveNothing() {
    QFETCH(int, current);
    QFETCH(QList<int>, buttons);
    QFETCH(bool, redraws);
    Harness h;
    h.insert(QStringLiteral("ob_tall"));
    h.insert(QStringLiteral("ob_wide"));
    if (current >= 0)
        h.clickRow(6, current);
    QCOMPARE(h.current(), current);
    const std::vector<ObjectRow> former = h.rows();
    const QImage before = h.window->canvasView()->shownImage();

    std::vector<Qt::MouseButton> held;
    for (int b : buttons)
        held.push_back(static_cast<Qt::MouseButton>(b));
    QSignalSpy recomposed(h.window.get(), &FrmMain::recomposed);
    h.dragOnCanvas({5, 5}, {120, 70}, held);
    h.endDrag({120, 70}, held);

    for (std::size_t k = 0; k < former.size(); ++k)
        compareRows(h.rows()[k], former[k]);
    h.verifyListsMatchScene();
    QCOMPARE(recomposed.count() > 0, redraws);
    QCOMPARE(h.window->canvasView()->shownImage(), before);
}

void TestObjects::mirrorActsOnTheCurrentObjectOnly() {
    Harness h;
    h.insert(QStringLiteral("ob_tall"));
    h.insert(QStringLiteral("ob_tall"));
    h.place(1, {100, 10});
    const std::vector<ObjectRow> former = h.rows();

    // No current object: nothing happens, not even a redraw.
    h.lst(6)->clearSelection();
    QSignalSpy recomposed(h.window.get(), &FrmMain::recomposed);
    QTest::mouseClick(h.button("cmdChange(0)"), Qt::LeftButton);
    QTest::mouseClick(h.button("cmdChange(1)"), Qt::LeftButton);
    QCOMPARE(recomposed.count(), 0);
    compareRows(h.rows()[1], former[1]);

    h.clickRow(6, 1);
    recomposed.clear();
    QTest::mouseClick(h.button("cmdChange(0)"), Qt::LeftButton);
    QCOMPARE(recomposed.count(), 1);
    // Same rectangle, pixels right to left: the marker moves to the far side.
    QCOMPARE(h.rows()[1].x, std::string("100"));
    QCOMPARE(h.shownAt(100 + 38, 10), kMarker);
    QCOMPARE(h.shownAt(100, 10 + 5), kBlack); // the transparent column went left too
    compareRows(h.rows()[0], former[0]);      // the same part added twice stays independent

    QTest::mouseClick(h.button("cmdChange(1)"), Qt::LeftButton);
    QCOMPARE(h.shownAt(100 + 38, 10 + 59), kMarker);
    QTest::mouseClick(h.button("cmdChange(1)"), Qt::LeftButton);
    QTest::mouseClick(h.button("cmdChange(0)"), Qt::LeftButton);
    compareRows(h.rows()[1], former[1]);
}

void TestObjects::rowDragExchangesTwoRows_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("button");
    QTest::addColumn<std::vector<int>>("order");
    QTest::newRow("row 0 onto row 3")
        << 0 << 3 << int(Qt::LeftButton) << std::vector<int>{3, 1, 2, 0};
    QTest::newRow("the mirrored row 1 onto row 2")
        << 1 << 2 << int(Qt::LeftButton) << std::vector<int>{0, 2, 1, 3};
    QTest::newRow("same row") << 2 << 2 << int(Qt::LeftButton) << std::vector<int>{0, 1, 2, 3};
    QTest::newRow("right button") << 0 << 3 << int(Qt::RightButton) << std::vector<int>{0, 1, 2, 3};
}

void TestObjects::rowDragExchangesTwoRows() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, button);
    QFETCH(std::vector<int>, order);
    Harness h;
    buildFour(h);
    const std::vector<ObjectRow> former = h.rows();
    const auto b = static_cast<Qt::MouseButton>(button);
    QWidget* names = h.lst(6)->viewport();

    QSignalSpy recomposed(h.window.get(), &FrmMain::recomposed);
    if (b == Qt::LeftButton) {
        QTest::mousePress(names, b, {}, h.rowPoint(6, from));
        QTest::mouseMove(names, h.rowPoint(6, (from + to) / 2));
        QTest::mouseMove(names, h.rowPoint(6, to));
        QCOMPARE(recomposed.count(), 0);
        QTest::mouseRelease(names, b, {}, h.rowPoint(6, to));
    } else {
        h.clickRow(6, from);
        recomposed.clear();
        QTest::mousePress(names, b, {}, h.rowPoint(6, to));
        QTest::mouseRelease(names, b, {}, h.rowPoint(6, to));
    }
    QCOMPARE(recomposed.count(), 1);

    for (std::size_t k = 0; k < order.size(); ++k)
        compareRows(h.rows()[k], former[static_cast<std::size_t>(order[k])]);
    h.verifyListsMatchScene();
    QCOMPARE(h.current(), b == Qt::LeftButton ? to : from);
}

void TestObjects::rowDragRecordsTheFormerPicturesInMySystem() {
    Harness h;
    for (const char* name : {"ob_tall", "ob_wide", "ob_small"})
        h.insert(QString::fromLatin1(name));
    const std::vector<ObjectRow> former = h.rows();
    const QString mySystem = h.folder.path(QStringLiteral("MySystem"));
    QVERIFY(!QFileInfo::exists(mySystem));

    QWidget* names = h.lst(6)->viewport();
    QTest::mousePress(names, Qt::LeftButton, {}, h.rowPoint(6, 0));
    // A first run: the press makes the working folder.
    QVERIFY(QFileInfo(mySystem).isDir());
    QTest::mouseMove(names, h.rowPoint(6, 2));
    QTest::mouseRelease(names, Qt::LeftButton, {}, h.rowPoint(6, 2));

    const ExchangeFiles files(h.folder.path().toStdString());
    const std::pair<ExchangeFile, const Picture*> expected[] = {
        {ExchangeFile::OldPic, &former[0].picture},
        {ExchangeFile::OldPicMask, &former[0].mask},
        {ExchangeFile::NewPic, &former[2].picture},
        {ExchangeFile::NewPicMask, &former[2].mask}};
    for (const auto& [file, picture] : expected) {
        Picture read;
        QVERIFY2(files.read(file, read).ok(), files.path(file).c_str());
        QVERIFY2(read == *picture, files.path(file).c_str());
    }
    compareRows(h.rows()[2], former[0]);
    compareRows(h.rows()[0], former[2]);
}

QTEST_MAIN(TestObjects)
#include "tst_objects.moc"
