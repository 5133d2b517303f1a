// Editing the scene from the keyboard and by dropping files: the flag column,
// nudging, typed positions, drops, each checked on the canvas shown.
#include "support/main_window.h"
#include "support/test_pictures.h"

#include <QtWidgets>

using namespace tarn;
using namespace tarn::test;

namespace {

const Picture kWall = part(6, 4, 2); // front left, at (0, 80)
const Picture kObject = part(30, 100, 0);

struct DropRow {
    QStringList files;   // relative to the program folder; "http:" for a web address
    QString use4;        // the front-left slot afterwards
    QStringList objects; // the object rows' names afterwards
    QString folder;      // the folder shown afterwards, relative
    QString told;        // the message; "": none
};

struct TypedRow {
    int list;
    QString text;
    QPoint position; // of row 0 afterwards
    QString told;    // "": accepted
};

} // namespace

Q_DECLARE_METATYPE(DropRow)
Q_DECLARE_METATYPE(TypedRow)

class TestEditing : public QObject, MainWindowTest {
    Q_OBJECT

    // Where the lists put a row; far away when they disagree with the scene.
    QPoint position(int row) const {
        const ObjectRow& o = w->scene().objects[static_cast<std::size_t>(row)];
        const QPoint listed(w->lst(7)->item(row)->text().toInt(),
                            w->lst(8)->item(row)->text().toInt());
        return listed == QPoint(o.x, o.y) ? listed : QPoint(-100000, -100000);
    }
    // The object's own pixel shows where the row says it is (probed inside the canvas).
    bool objectShownAt(QPoint p) const {
        const QPoint probe(std::max(p.x(), 0) + 4, std::max(p.y(), 0) + 4);
        return shown(probe.x(), probe.y()) == kObject.pixel(probe.x() - p.x(), probe.y() - p.y());
    }
    static QLineEdit* shownEditor(const QListWidget* list) {
        for (QLineEdit* e : list->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Objects ob_0 .. ob_{n-1}, row 0 at (0, 0) and the others off to the right.
    void openWithObjects(int n) {
        folder->writePart("WALL_fl.bmp", kWall);
        for (int k = 0; k < n; ++k)
            folder->writePart(QStringLiteral("ob_%1.bmp").arg(k), k ? part(8, 8, k) : kObject);
        open();
        click(4, 0);
        for (int k = 0; k < n; ++k) {
            insert(k);
            if (k)
                w->document().moveObject(k, 100 + 10 * k, 0);
        }
    }

  private slots:
    void init() { folder = std::make_unique<ProgramFolder>(); }
    void cleanup() { w.reset(); }

    // A mirrored row shows a mark after its name for each direction, and the name keeps its
    // text; mirrored back, the row looks as it did.
    void mirrorMarks() {
        folder->writePart("ob_a.bmp", kObject);
        open();
        const QStringList mirrors[] = {{},
                                       {"cmdChange(0)"},
                                       {"cmdChange(1)"},
                                       {"cmdChange(0)", "cmdChange(1)"},
                                       {"cmdChange(1)", "cmdChange(1)"}};
        for (int r = 0; r < 5; ++r) {
            insert(0);
            click(6, r);
            for (const QString& b : mirrors[r])
                button(b);
        }
        w->lst(6)->setCurrentItem(nullptr);
        w->lst(6)->clearSelection();
        QList<QImage> rows;
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(w->lst(6)->item(r)->text(), "ob_a");
            const QRect place = w->lst(6)->visualItemRect(w->lst(6)->item(r));
            rows << w->lst(6)->viewport()->grab(place).toImage();
        }
        QCOMPARE(rows[4], rows[0]);
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QVERIFY2(rows[a] != rows[b], qPrintable(QString("rows %1 and %2").arg(a).arg(b)));
    }

    // Walking the flag column with the keys toggles nothing; a click or Space toggles and redraws.
    void flagColumnKeys() {
        openWithObjects(5);
        for (int row : {1, 3})
            w->document().toggleLayer(row);
        ListBox* flags = w->lst(9);
        const QStringList walked = {"F", "T", "F", "T", "F"};
        QCOMPARE(entries(flags), walked);
        QCOMPARE(shown(4, 81), kWall.pixel(4, 1)); // row 0 behind the front-left wall
        const QImage before = canvas();
        flags->setFocus();
        const std::pair<Qt::Key, int> walk[] = {
            {Qt::Key_Down, 0}, {Qt::Key_Down, 1},     {Qt::Key_End, 4},   {Qt::Key_Up, 3},
            {Qt::Key_Home, 0}, {Qt::Key_PageDown, 4}, {Qt::Key_PageUp, 0}};
        for (const auto& [key, row] : walk) {
            QTest::keyClick(flags, key);
            QCOMPARE(flags->selectedRow(), row);
            QCOMPARE(entries(flags), walked);
        }
        QCOMPARE(canvas(), before);
        QTest::keyClick(flags, Qt::Key_Space);
        QCOMPARE(entries(flags), (QStringList{"T", "T", "F", "T", "F"}));
        QCOMPARE(shown(4, 81), kObject.pixel(4, 81)); // now in front of the wall
        click(9, 0);
        QCOMPARE(entries(flags), walked);
        QCOMPARE(canvas(), before);
    }

    // Arrow keys on the focused canvas move the current object, each press one step to undo.
    void nudging() {
        openWithObjects(2);
        QTest::keyClick(w->canvasView(), Qt::Key_Right); // no current object: nothing moves
        QCOMPARE(position(0), QPoint(0, 0));
        click(6, 0);
        activate();
        QTest::mouseClick(w->canvasView(), Qt::RightButton, {}, QPoint(300, 200));
        QVERIFY(w->canvasView()->hasFocus());
        const std::tuple<Qt::Key, Qt::KeyboardModifiers, QPoint> presses[] = {
            {Qt::Key_Right, {}, {1, 0}}, {Qt::Key_Right, Qt::ShiftModifier, {11, 0}},
            {Qt::Key_Down, {}, {11, 1}}, {Qt::Key_Down, Qt::ShiftModifier, {11, 11}},
            {Qt::Key_Up, {}, {11, 10}},  {Qt::Key_Left, Qt::ShiftModifier, {1, 10}},
            {Qt::Key_Left, {}, {0, 10}}, {Qt::Key_Left, {}, {-1, 10}}};
        std::vector<QPoint> trail{{0, 0}};
        for (const auto& [key, modifiers, to] : presses) {
            QTest::keyClick(w->canvasView(), key, modifiers);
            QCOMPARE(position(0), to);
            QVERIFY(objectShownAt(to));
            trail.push_back(to);
        }
        QCOMPARE(position(1), QPoint(110, 0));
        trail.pop_back();
        for (; !trail.empty(); trail.pop_back()) {
            action("mnuUndo")->trigger();
            QCOMPARE(position(0), trail.back());
            QVERIFY(objectShownAt(trail.back()));
        }
    }

    void typedPositions_data() {
        QTest::addColumn<TypedRow>("row");
        QTest::newRow("x") << TypedRow{7, "120", {120, 0}, ""};
        QTest::newRow("y, blanks and sign") << TypedRow{8, " -15 ", {0, -15}, ""};
        QTest::newRow("half to even") << TypedRow{7, "12.5", {12, 0}, ""};
        QTest::newRow("letters") << TypedRow{7, "abc", {0, 0}, "「abc」は整数ではありません。"};
        QTest::newRow("exponent") << TypedRow{8, "1e3", {0, 0}, "「1e3」は整数ではありません。"};
        QTest::newRow("empty") << TypedRow{8, "", {0, 0}, "「」は整数ではありません。"};
        QTest::newRow("past an int")
            << TypedRow{7, "3000000000", {0, 0}, "「3000000000」は大きすぎます。"};
    }
    void typedPositions() {
        QFETCH(TypedRow, row);
        openWithObjects(1);
        ListBox* list = w->lst(row.list);
        const QImage before = canvas();
        ModalScript script({press(QMessageBox::Ok)});
        list->setCurrentRow(0);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F2);
        QLineEdit* editor = shownEditor(list);
        QVERIFY(editor);
        QCOMPARE(editor->text(), "0");
        editor->setText(row.text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(boxes(script),
                     row.told.isEmpty() ? QStringList() : QStringList{box(row.told)});
        QTRY_COMPARE(position(0), row.position);
        QVERIFY(objectShownAt(row.position));
        QTRY_VERIFY(!shownEditor(list));
        // Double-click opens the editor too.
        const QPoint middle = list->visualItemRect(list->item(0)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, middle);
        QMouseEvent twice(QEvent::MouseButtonDblClick, middle,
                          list->viewport()->mapToGlobal(middle), Qt::LeftButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(list->viewport(), &twice);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, middle);
        QTRY_VERIFY(shownEditor(list));
        QTest::keyClick(shownEditor(list), Qt::Key_Escape);
        action("mnuUndo")->trigger(); // a refused text left no step: this takes the insert back
        QCOMPARE(w->scene().objects.size(), std::size_t(row.told.isEmpty()));
        if (row.told.isEmpty())
            QCOMPARE(canvas(), before);
    }

    void drops_data() {
        QTest::addColumn<DropRow>("row");
        const QString refused =
            "次のものは部品ファイルでもフォルダでもないため、使いませんでした。\n";
        QTest::newRow("terrain part from another folder")
            << DropRow{{"other/stone_fl.bmp"}, "stone_fl", {}, "", ""};
        QTest::newRow("object parts, one named in capitals")
            << DropRow{{"other/ob_a.bmp", "other/ob_b.BMP"}, "", {"ob_a", "ob_b"}, "", ""};
        QTest::newRow("folder") << DropRow{{"other"}, "", {}, "other", ""};
        QTest::newRow("text file")
            << DropRow{{"other/notes.txt"}, "", {}, "", refused + "notes.txt"};
        QTest::newRow("part with something else: nothing used") << DropRow{
            {"other/stone_fl.bmp", "other/wall_FL.bmp"}, "", {}, "", refused + "wall_FL.bmp"};
        QTest::newRow("web address") << DropRow{
            {"http://example.com/ob_a.bmp"}, "", {}, "", refused + "http://example.com/ob_a.bmp"};
    }
    void drops() {
        QFETCH(DropRow, row);
        folder->makeFolder("other");
        const Picture stone = part(6, 4, 3);
        folder->writePart("other/stone_fl.bmp", stone);
        folder->writePart("other/wall_FL.bmp", stone);
        folder->writePart("other/ob_a.bmp", kObject);
        folder->writePart("other/ob_b.BMP", part(8, 8, 1));
        writeFile(folder->path("other/notes.txt"), "not a picture");
        open();
        const QImage before = canvas();

        QList<QUrl> urls;
        for (const QString& f : row.files)
            urls << (f.startsWith("http:") ? QUrl(f) : QUrl::fromLocalFile(folder->path(f)));
        ModalScript script({press(QMessageBox::Ok)});
        QVERIFY(dropOn(w.get(), urls));

        QCOMPARE(boxes(script), row.told.isEmpty()
                                    ? QStringList()
                                    : QStringList{box(row.told, QMessageBox::Information)});
        QCOMPARE(w->currentFolder(),
                 row.folder.isEmpty() ? folder->path() : folder->path(row.folder));
        QCOMPARE(w->use(4)->text(), row.use4);
        QCOMPARE(entries(w->lst(6)), row.objects);
        for (int y = 0; y < stone.height() && row.objects.isEmpty(); ++y)
            QCOMPARE(shown(2, 80 + y), row.use4.isEmpty() ? kBlack : stone.pixel(2, y));
        if (!row.objects.isEmpty()) {
            QCOMPARE(w->lst(10)->item(0)->text(), folder->path("other/ob_a.bmp"));
            QCOMPARE(shown(4, 4), part(8, 8, 1).pixel(4, 4)); // ob_b, drawn last, on top
            QCOMPARE(shown(20, 4), kObject.pixel(20, 4));
        }
        if (row.use4.isEmpty() && row.objects.isEmpty())
            QCOMPARE(canvas(), before);
        QCOMPARE(w->document().canUndo(), !row.use4.isEmpty() || !row.objects.isEmpty());
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
