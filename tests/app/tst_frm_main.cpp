// The main window as a user meets it, and part files that fight back.
#include "app/canvas_view.h"
#include "app/frm_boot.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "app/picture_io.h"
#include "objects/exchange_files.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/test_pictures.h"
#include "support/unprivileged_user.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

using namespace tarn;
using namespace tarn::test;

class TestFrmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<FrmMain> w;

    void open() {
        w = std::make_unique<FrmMain>(folder->context());
        w->load();
        w->show();
    }
    template <typename T> T* get(const QString& name) const { return w->findChild<T*>(name); }
    const QImage& canvas() const { return w->canvasView()->shownImage(); }
    Rgb shown(int x, int y) const { return fromQImage(canvas().copy(x, y, 1, 1)).pixel(0, 0); }
    QPoint rowPoint(int list, int row) const {
        return w->lst(list)->visualItemRect(w->lst(list)->item(row)).center();
    }
    void click(int list, int row) const {
        QTest::mouseClick(w->lst(list)->viewport(), Qt::LeftButton, {}, rowPoint(list, row));
    }
    void insert(int partRow) const {
        click(0, partRow);
        QTest::mouseClick(get<QToolButton>("cmd_ob(0)"), Qt::LeftButton);
    }
    // From canvas pixel (5, 5), through the window so that Qt's pointer grab routes the moves.
    void drag(QPoint to, const QList<Qt::MouseButton>& held) const {
        const QPoint from = w->canvasView()->mapTo(w.get(), QPoint(6, 6));
        for (Qt::MouseButton b : held)
            QTest::mousePress(w->windowHandle(), b, {}, from);
        QTest::mouseMove(w->windowHandle(), from + to - QPoint(5, 5));
        for (Qt::MouseButton b : held)
            QTest::mouseRelease(w->windowHandle(), b, {}, from + to - QPoint(5, 5));
    }
    // The five columns show exactly these rows, and the scene holds their pictures.
    void expectRows(const std::vector<ObjectRow>& expected) const {
        QCOMPARE(w->scene().objects.size(), expected.size());
        for (int i = 0; i < 5; ++i) {
            QStringList column;
            for (const ObjectRow& o : expected)
                column << QString::fromStdString(std::array{o.name, o.x, o.y, o.flag, o.path}[i]);
            QCOMPARE(entries(w->lst(6 + i)), column);
        }
        for (std::size_t r = 0; r < expected.size(); ++r) {
            QVERIFY(w->scene().objects[r].picture == expected[r].picture);
            QVERIFY(w->scene().objects[r].mask == expected[r].mask);
        }
    }

  private slots:
    void init() { folder = std::make_unique<ProgramFolder>(); }
    void cleanup() { w.reset(); }

    void everyControlCarriesItsName() {
        open();
        QCOMPARE(w->objectName(), "frmMain");
        FrmBoot boot(FrmBoot::Mode::Startup);
        QCOMPARE(boot.objectName(), "frmBoot");
        QVERIFY(boot.findChild<QTimer*>("Timer1"));
        QStringList names = {"mnuFile",  "mnusaveD", "mnuSaveAs",   "mnuWrte",    "mnuH5",
                             "mnuCopy",  "mnuH3",    "mnuEnd",      "mnuPath",    "mnuSpecial",
                             "mnuGray",  "mnuSepia", "mnuLayer(0)", "mnuVersion", "mnuRenew(0)",
                             "Command1", "pctMain",  "pctOb",       "Frame",      "drv",
                             "dir",      "flb",      "cmdBack"};
        const std::tuple<const char*, int, int> indexed[] = {
            {"lst", 0, 10},      {"lbl", 0, 5},     {"use", 1, 5},    {"cmdClear", 1, 5},
            {"cmdMemory", 0, 5}, {"cmdRead", 0, 5}, {"cmd_ob", 0, 1}, {"cmdChange", 0, 1}};
        for (const auto& [name, first, last] : indexed)
            for (int i = first; i <= last; ++i)
                names << QStringLiteral("%1(%2)").arg(name).arg(i);
        for (const QString& name : names)
            QVERIFY2(get<QObject>(name), qPrintable(name));
    }

    void startsOnTheRememberedFolder_data() {
        QTest::addColumn<QString>("remembered"); // "gone" does not exist
        QTest::newRow("nothing remembered") << QString();
        QTest::newRow("remembered subfolder") << QStringLiteral("parts");
        QTest::newRow("remembered folder deleted") << QStringLiteral("gone");
    }
    void startsOnTheRememberedFolder() {
        QFETCH(QString, remembered);
        const QString parts = folder->makeFolder("parts");
        if (!remembered.isNull())
            folder->writeIni("[MemData]\nMofFirst=" + folder->path(remembered) + "\n");
        ModalScript script({press(QMessageBox::Ok)});
        open();
        const QString expected = remembered == "parts" ? parts : folder->path();
        QCOMPARE(w->currentFolder(), expected);
        QCOMPARE(script.seen().size(), std::size_t(remembered == "gone"));
        for (const SeenDialog& box : script.seen()) {
            QCOMPARE(box.title, "Tarn");
            QCOMPARE(box.text, "指定したパスが見つかりません。\n"
                               "記憶された後に何らかの変更があったと思われます。\n");
            QCOMPARE(box.icon, QMessageBox::Warning);
        }
        // End leaves without remembering the folder; closing the window remembers it.
        int exits = 0;
        w->setExitHandler([&] { ++exits; });
        get<QAction>("mnuEnd")->trigger();
        QCOMPARE(exits, 1);
        QCOMPARE(folder->iniValue("MofFirst"),
                 remembered.isNull() ? "App.Path" : folder->path(remembered));
        w->close();
        QCOMPARE(folder->iniValue("MofFirst"), expected);
    }

    void terrainSlotsAndFolders() {
        const Picture wall = part(6, 4, 2), far = part(6, 4, 1);
        folder->writePart("WALL_fl.BMP", wall); // opened under its real name
        folder->writePart("far_bl.bmp", far);
        for (const QString name : {"bad_fl.bmp", "ob_bad.bmp"}) { // pixels cut short
            folder->writePart(name, part(30, 20, 3));
            QVERIFY(QFile::resize(folder->path(name), 54 + 30 * 3 * 7));
        }
        // Never listed: a name that is not UTF-8 ("テス" in Shift-JIS).
        const QByteArray sjis = QFile::encodeName(folder->path()) + "/\x83\x65\x83\x58_fl.bmp";
        QVERIFY(std::ofstream(sjis.constData()).good());
        const QString other = folder->makeFolder("other");
        folder->writePart("other/gate_fr.bmp", wall);
        QVERIFY(QFile::link(other, folder->path("other/loop"))); // must not hang the folder list
        open();
        std::remove(sjis.constData()); // a name the folder's own clean-up cannot spell
        QCOMPARE(entries(w->lst(4)), (QStringList{"bad_fl", "WALL_fl"}));
        QVector<QImage> canvases;
        connect(w.get(), &FrmMain::recomposed, this, [&] { canvases << canvas(); });

        // Once at the choice, once at the mouse release.
        click(4, 1);
        QCOMPARE(canvases.size(), 2);
        QCOMPARE(canvases[0], canvases[1]);
        QCOMPARE(w->use(4)->text(), "WALL_fl");
        for (int y = 0; y < wall.height(); ++y)
            for (int x = 0; x < wall.width(); ++x)
                QCOMPARE(shown(x, 80 + y), wall.pixel(x, y) == kKey ? kBlack : wall.pixel(x, y));

        const Slot before = w->scene().slot(4);
        const QImage chosen = canvas();
        ModalScript script({press(QMessageBox::Ok), press(QMessageBox::Ok)});
        click(4, 0);
        insert(0);
        const QString text = QStringLiteral(
            "「%1」を読み込めませんでした。\nファイルが削除されたか、読み込めない画像です。");
        QCOMPARE(script.seen().size(), std::size_t{2});
        QCOMPARE(script.seen()[0].title, "Tarn");
        QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(script.seen()[0].text, text.arg(folder->path("bad_fl.bmp")));
        QCOMPARE(script.seen()[1].text, text.arg(folder->path("ob_bad.bmp")));
        QCOMPARE(w->use(4)->text(), "WALL_fl");
        QVERIFY(w->scene().slot(4).picture == before.picture);
        QVERIFY(w->scene().slot(4).mask == before.mask);
        QCOMPARE(canvas(), chosen);
        expectRows({});

        click(2, 0);
        QCOMPARE(shown(2, 1), far.pixel(2, 1));
        get<QPushButton>("cmdClear(2)")->click();
        QCOMPARE(w->use(2)->text(), QString());
        QCOMPARE(canvas(), chosen);
        QVERIFY(w->changeFolder(folder->path("other/loop/loop")));
        QCOMPARE(entries(w->lst(5)), QStringList{"gate_fr"});
        QCOMPARE(w->use(4)->text(), "WALL_fl");
        QCOMPARE(canvas(), chosen);

        get<QAction>("mnuPath")->trigger();
        QVERIFY(w->pathPanel()->isVisible());
        QCOMPARE(get<QAction>("mnuPath")->text(), "閉じる(&C)      ");
        get<QAction>("mnuPath")->trigger();
        QVERIFY(!w->pathPanel()->isVisible());
        QCOMPARE(get<QAction>("mnuPath")->text(), "パスの指定(&P)");
        get<QPushButton>("cmdMemory(2)")->click();
        QCOMPARE(folder->iniValue("Mof2"), folder->path("other/loop/loop"));
        QVERIFY(w->changeFolder(folder->path()));
        get<QPushButton>("cmdRead(2)")->click();
        QCOMPARE(w->currentFolder(), folder->path("other/loop/loop"));
        get<QPushButton>("cmdBack")->click();
        QCOMPARE(w->currentFolder(), folder->path("other/loop"));
        QVERIFY(w->changeFolder("/"));
        get<QPushButton>("cmdBack")->click();
        QCOMPARE(w->currentFolder(), "/");

        get<QPushButton>("Command1")->click();
        for (int slot = 1; slot <= kSlotCount; ++slot)
            QCOMPARE(w->use(slot)->text(), QString());
        QVERIFY(w->scene().canvas == Picture(kCanvasWidth, kCanvasHeight, kBlack));
    }

    // Each is refused, leaving the picture it was given untouched; none blocks.
    void loaderRefusesWhatIsNoPart() {
        folder->writePart("no read permission", part(30, 20, 0));
        const QByteArray bmp = fileBytes(folder->path("no read permission"));
        QByteArray giant = bmp.left(54 + 16);
        qToLittleEndian<qint32>(30000, giant.data() + 18);
        qToLittleEndian<qint32>(30000, giant.data() + 22);
        writeFile(folder->path("zero bytes"), {});
        writeFile(folder->path("text"), "Notes.\n");
        writeFile(folder->path("header only"), bmp.left(54));
        writeFile(folder->path("pixels cut short"), bmp.left(54 + 30 * 3 * 7));
        writeFile(folder->path("30000 x 30000"), giant);
        QVERIFY(QFile::copy(TARN_TEST_DATA "/crashes/picture/bitfields16_offset0_short.bmp",
                            folder->path("pixels inside the headers")));
        QVERIFY(QFile::setPermissions(folder->path("no read permission"), {}));
        QVERIFY(::mkfifo(QFile::encodeName(folder->path("pipe")), 0644) == 0);
        folder->makeFolder("folder");
        QVERIFY(QFile::link(folder->path("loop"), folder->path("loop")));
        QStringList names =
            QDir(folder->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(names.size(), 10);
        UnprivilegedUser user(folder->path().toStdString());
        QVERIFY(user.ok());
        for (const QString& name : names << "missing") {
            Picture out(3, 2, kKey);
            QVERIFY2(!loadPicture(folder->path(name), out), qPrintable(name));
            QVERIFY2(out == Picture(3, 2, kKey), qPrintable(name));
        }
        // One column past the limit is refused from the header, before any pixel is read.
        qToLittleEndian<qint32>(kMaxPartSide + 1, giant.data() + 18);
        qToLittleEndian<qint32>(1, giant.data() + 22);
        QBuffer device(&giant);
        device.open(QIODevice::ReadOnly);
        Picture out;
        QVERIFY(!loadPicture(&device, out));
        QCOMPARE(device.pos(), 54);

        // A fuzzer's find: this run-length bitmap writes no pixel; primed stale heap must not show.
        for (int i = 0; i < 16; ++i) {
            void* block = std::malloc(64 * 64);
            std::memset(block, 0xAB, 64 * 64);
            std::free(block);
        }
        QVERIFY(loadPicture(TARN_TEST_DATA "/crashes/picture/rle8_end_at_once_64x64.bmp", out));
        QVERIFY(out == Picture(64, 64, kBlack));
    }

    // One session with the object rows, each step checked against the rows it leaves.
    void objectRows() {
        const Picture ob[] = {part(40, 60, 0), part(80, 30, 1), part(12, 9, 2), part(30, 100, 3)};
        for (int k = 0; k < 4; ++k)
            folder->writePart(QStringLiteral("ob_%1.bmp").arg(k), ob[k]);
        folder->writePart("stone_fl.bmp", part(240, 198, 4)); // the front-left wall
        open();
        click(4, 0);
        for (int k = 0; k < 4; ++k)
            insert(k);
        const QStringList fourth = {"ob_3", "0", "0", "F",
                                    QDir(folder->path()).canonicalPath() + "/ob_3.bmp"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w->lst(6 + i)->item(3)->text(), fourth[i]);
        QCOMPARE(shown(5, 79), ob[3].pixel(5, 79));
        QCOMPARE(shown(5, 90), part(240, 198, 4).pixel(5, 10));
        QTest::mousePress(w->lst(9)->viewport(), Qt::LeftButton, {}, rowPoint(9, 3));
        QCOMPARE(w->lst(9)->item(3)->text(), "T");
        QCOMPARE(shown(5, 90), part(240, 198, 4).pixel(5, 10));
        QTest::mouseRelease(w->lst(9)->viewport(), Qt::LeftButton, {}, rowPoint(9, 3));
        QCOMPARE(shown(5, 90), ob[3].pixel(5, 90));

        std::vector<ObjectRow> model = w->scene().objects;
        click(6, 0);
        for (const QPoint to : {QPoint(-5, 40), QPoint(100, 50)}) {
            drag(to, {Qt::LeftButton});
            model[0].x = std::to_string(to.x());
            model[0].y = std::to_string(to.y());
            expectRows(model);
        }
        // Every pixel of a part differs: its last opaque column, then its key column.
        QCOMPARE(shown(138, 50), ob[0].pixel(38, 0));
        QCOMPARE(shown(139, 50), kBlack);
        const QImage placed = canvas();
        for (const auto& held : {QList{Qt::RightButton}, QList{Qt::LeftButton, Qt::RightButton}}) {
            drag({200, 10}, held);
            expectRows(model);
            QCOMPARE(canvas(), placed);
        }

        click(6, 3);
        QTest::mouseClick(get<QToolButton>("cmdChange(0)"), Qt::LeftButton);
        QCOMPARE(shown(28, 5), ob[3].pixel(1, 5));
        model[3] = w->scene().objects[3];
        // Row exchanges on a first run, without MySystem.
        QVERIFY(QDir(folder->path("MySystem")).removeRecursively());
        const ExchangeFiles files(folder->path().toStdString());
        for (int to : {3, 2}) {
            const std::vector<ObjectRow> former = model;
            QTest::mousePress(w->lst(6)->viewport(), Qt::LeftButton, {}, rowPoint(6, 0));
            QTest::mouseMove(w->lst(6)->viewport(), rowPoint(6, to));
            QTest::mouseRelease(w->lst(6)->viewport(), Qt::LeftButton, {}, rowPoint(6, to));
            std::swap(model[0], model[to]);
            expectRows(model);
            QCOMPARE(w->lst(6)->selectedRow(), to);
            Picture read[4];
            for (int i = 0; i < 4; ++i)
                QVERIFY(files.read(ExchangeFile(i), read[i]).ok());
            QVERIFY(read[0] == former[0].picture && read[1] == former[0].mask);
            QVERIFY(read[2] == former[to].picture && read[3] == former[to].mask);
        }
        // The mirrored row is now row 2: delete row 0 of 4, the last, then the only row.
        for (int row : {0, 2, 0, 0}) {
            click(6, row);
            QTest::mouseClick(get<QToolButton>("cmd_ob(1)"), Qt::LeftButton);
            model.erase(model.begin() + row);
            expectRows(model);
            QCOMPARE(w->lst(6)->selectedRow(), row < int(model.size()) ? row : -1);
        }

        for (int k = 0; k < 10; ++k)
            insert(k % 4);
        model = w->scene().objects;
        QCOMPARE(model.size(), std::size_t{10});
        ModalScript none({});
        insert(0);
        QVERIFY(none.seen().empty());
        expectRows(model);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frm_main.moc"
