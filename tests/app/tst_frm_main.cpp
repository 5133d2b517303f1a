// The main window as a user meets it: one session over its controls, drives and rows, its two
// languages, its growth and zoom, the user's guide picture; editing from the keyboard and by
// dropping files, checked on the canvas; and part files and settings that fight back.
#include "app/common/language.h"
#include "app/dialogs/frm_boot.h"
#include "objects/exchange_files.h"
#include "scene/mask.h"
#include "support/main_window.h"
#include "support/pipe_release.h"
#include "support/test_pictures.h"

#include <QtWidgets>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace tarn;
using namespace tarn::test;
using enum QMessageBox::StandardButton;
using enum QMessageBox::Icon;

namespace {

QStringList captions(const QList<QAction*>& actions, const QString& indent = {}) {
    QStringList all;
    for (const QAction* action : actions) {
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString(QKeySequence::PortableText);
        all << indent + (action->isSeparator() ? "-" : action->text()) +
                   (keys.isEmpty() ? "" : " " + keys.join(", "));
        if (action->menu() != nullptr)
            all << captions(action->menu()->actions(), indent + "  ");
    }
    return all;
}

// Every named control's place.
QMap<QString, QRect> places(const QWidget* window) {
    QCoreApplication::processEvents(); // the main window lays out its centre on a posted event
    QMap<QString, QRect> all;
    for (const QWidget* w : window->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
            all.insert(w->objectName(), w->geometry());
    return all;
}

// The region of every paint event the watched widget receives.
struct PaintedRegion : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

const Picture kWall = part(6, 4, 2); // front left, at (0, 80)
const Picture kObject = part(30, 100, 0);

struct DropRow {
    QStringList files;   // relative to the program folder; "http:" for a web address
    QString use4;        // the front-left slot afterwards
    QStringList objects; // the object rows' names afterwards
    QString folder;      // the folder shown afterwards, relative
    QString told;        // the message; "": none
};

} // namespace

class TestFrmMain : public QObject, MainWindowTest {
    Q_OBJECT

    // The scene holds exactly these rows, and the five columns show them.
    void expectRows(const std::vector<ObjectRow>& expected) const {
        QVERIFY(w->scene().objects == expected);
        for (int i = 0; i < 5; ++i) {
            QStringList column;
            for (const ObjectRow& o : expected)
                column << QString::fromStdString(
                    std::array{o.name, std::to_string(o.x), std::to_string(o.y),
                               std::string(layerText(o.layer)), o.path}[i]);
            QCOMPARE(entries(w->lst(6 + i)), column);
        }
    }

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

  private slots:
    void init() { folder = std::make_unique<ProgramFolder>(); }
    void cleanup() {
        w.reset();
        for (QTranslator* t : qApp->findChildren<QTranslator*>())
            delete t;
    }

    // One user's session: names, terrain slots, drives, object rows, the path panel.
    void session() {
        const Picture ob[] = {part(40, 60, 0), part(80, 30, 1), part(12, 9, 2), part(30, 100, 3)};
        const QString other = folder->makeFolder("other");
        for (int k = 0; k < 4; ++k)
            folder->writePart(QStringLiteral("other/ob_%1.bmp").arg(k), ob[k]);
        folder->writePart("WALL_fl.BMP", kWall); // opened under its real name
        folder->writePart("bad_fl.bmp", part(30, 20, 3));
        QVERIFY(QFile::resize(folder->path("bad_fl.bmp"), 54 + 30 * 3 * 7)); // pixels cut short
        QVERIFY(QFile::copy(folder->path("bad_fl.bmp"), folder->path("other/ob_bad.bmp")));
        QVERIFY(QFile::link(other, folder->path("other/loop"))); // must not hang the folder list
        open();
        FrmBoot boot(FrmBoot::Mode::Startup);
        QCOMPARE(boot.objectName(), "frmBoot");
        QVERIFY(boot.findChild<QTimer*>("Timer1"));
        // The other controls' names are used by the tests that drive them.
        for (const char* name : {"mnuFile", "mnusaveD", "mnuH5", "mnuH3", "mnuEdit", "mnuSpecial",
                                 "mnuLayer(0)", "mnuVersion", "pctOb", "Frame", "dir"})
            QVERIFY2(get<QObject>(name), name);
        const std::tuple<const char*, int, int> indexed[] = {
            {"lst", 0, 10},      {"lbl", 0, 5},     {"use", 1, 5},    {"cmdClear", 1, 5},
            {"cmdMemory", 0, 5}, {"cmdRead", 0, 5}, {"cmd_ob", 0, 1}, {"cmdChange", 0, 1}};
        for (const auto& [name, first, last] : indexed)
            for (int i = first; i <= last; ++i)
                QVERIFY2(get<QObject>(QStringLiteral("%1(%2)").arg(name).arg(i)), name);
        QCOMPARE(entries(w->lst(4)), (QStringList{"bad_fl", "WALL_fl"}));
        QVector<QImage> canvases;
        connect(w.get(), &FrmMain::recomposed, this, [&] { canvases << canvas(); });
        click(4, 1); // shown once: the release after the choice finds nothing new to show
        QCOMPARE(canvases, (QVector<QImage>{canvas()}));
        QCOMPARE(w->use(4)->text(), "WALL_fl");

        // The canvas is recomposed at each release, so a slot changed by a refused part would show.
        const QImage chosen = canvas();
        ModalScript script({press(Ok), press(Retry), press(Ok), press(Retry), press(Cancel)});
        click(4, 0);
        QCOMPARE(w->use(4)->text(), "WALL_fl");
        QCOMPARE(canvas(), chosen);

        // A drive that is ready at the second probe; entering it keeps the slots.
        auto* drv = get<QComboBox>("drv");
        const QString home = drv->currentText();
        int probes = 0;
        w->setDriveProbe([&](const QString& drive) { return drive != other || ++probes > 1; });
        drv->addItem(other);
        emit drv->activated(drv->count() - 1);
        QCOMPARE(w->currentFolder(), other);
        QCOMPARE(w->use(4)->text(), "WALL_fl");
        QCOMPARE(canvas(), chosen);

        insert(4); // ob_bad
        expectRows({});
        for (int k = 0; k < 4; ++k)
            insert(k);

        std::vector<ObjectRow> model = w->scene().objects;
        click(6, 0);
        for (const QPoint to : {QPoint(-5, 40), QPoint(100, 50)}) {
            drag({{5, 5}, to});
            model[0].x = to.x();
            model[0].y = to.y();
            expectRows(model);
        }
        QCOMPARE(shown(138, 50), ob[0].pixel(38, 0)); // its last opaque column
        for (const auto& held : {QList{Qt::RightButton}, QList{Qt::LeftButton, Qt::RightButton}}) {
            drag({{5, 5}, {200, 10}}, held);
            expectRows(model);
        }

        click(6, 3);
        button("cmdChange(0)");
        QCOMPARE(shown(28, 5), ob[3].pixel(1, 5));
        model[3] = w->scene().objects[3];
        // Row exchanges on a first run, without MySystem.
        QVERIFY(QDir(folder->path("MySystem")).removeRecursively());
        const ExchangeFiles files(folder->path().toStdString());
        for (int to : {3, 2}) {
            const std::vector<ObjectRow> former = model;
            exchange(0, to);
            std::swap(model[0], model[to]);
            expectRows(model);
            QCOMPARE(w->lst(6)->selectedRow(), to);
            Picture read[4];
            for (int i = 0; i < 4; ++i)
                QVERIFY(files.read(ExchangeFile(i), read[i]).ok());
            QVERIFY(read[0] == former[0].picture() && read[1] == former[0].mask());
            QVERIFY(read[2] == former[to].picture() && read[3] == former[to].mask());
        }
        // The mirrored row is now row 2: delete row 0 of 4, the last, then the only row.
        for (int row : {0, 2, 0, 0}) {
            click(6, row);
            button("cmd_ob(1)");
            model.erase(model.begin() + row);
            expectRows(model);
            QCOMPARE(w->lst(6)->selectedRow(), row < int(model.size()) ? row : -1);
        }

        get<QPushButton>("cmdMemory(2)")->click();
        QCOMPARE(folder->iniValue("Mof2"), other);
        get<QPushButton>("cmdBack")->click();
        QCOMPARE(w->currentFolder(), folder->path());
        // From another drive where /dev is mounted, a drive that never answers: Cancel goes home.
        QVERIFY(w->changeFolder("/dev"));
        drv->addItem("/gone");
        emit drv->activated(drv->count() - 1);
        QCOMPARE(drv->currentText(), home);
        QCOMPARE(w->currentFolder(), home);
        QVERIFY(w->changeFolder("/"));
        get<QPushButton>("cmdBack")->click();
        QCOMPARE(w->currentFolder(), "/");
        get<QPushButton>("Command1")->click();
        for (int slot = 1; slot <= kSlotCount; ++slot)
            QCOMPARE(w->use(slot)->text(), QString());
        QVERIFY(w->scene().canvas == Picture(kCanvasWidth, kCanvasHeight, kBlack));

        get<QPushButton>("cmdRead(2)")->click();
        QCOMPARE(w->currentFolder(), other);
        for (int k = 0; k < 10; ++k)
            insert(k % 4);
        model = w->scene().objects;
        QCOMPARE(model.size(), std::size_t{10});
        insert(0);
        expectRows(model);
        const QString unreadable = "「%1」を読み込めませんでした。\n"
                                   "ファイルが削除されたか、読み込めない画像です。";
        const auto notReady = [](const QString& drive) {
            return box(drive + "/ にアクセスできません。\nデバイスの準備ができていません。",
                       Critical, "Tarn", Retry | Cancel);
        };
        QCOMPARE(boxes(script),
                 (QStringList{box(unreadable.arg(folder->path("bad_fl.bmp"))), notReady(other),
                              box(unreadable.arg(other + "/ob_bad.bmp")), notReady("/gone"),
                              notReady("/gone")}));
    }

    // Each is refused, leaving the picture it was given untouched; none blocks. Few bytes that
    // declare a huge picture cost no more memory than their headers; a format no part comes in
    // is not decoded at all.
    void loaderRefusesWhatIsNoPart() {
        const Picture wall = part(7, 5, 2);
        folder->makeFolder("folder");
        folder->writePart("folder/up.bmp", wall);
        const QByteArray up = fileBytes(folder->path("folder/up.bmp"));
        QByteArray wide = up.left(54 + 16);
        qToLittleEndian<qint32>(kMaxPartSide + 1, wide.data() + 18); // Qt alone would read this
        writeFile(folder->path("one column past the limit"), wide);
        // Sides within kMaxPartSide, pixels beyond kMaxPartPixels, every byte present.
        qToLittleEndian<qint32>(4096, wide.data() + 18);
        qToLittleEndian<qint32>(2048, wide.data() + 22);
        writeFile(folder->path("too many pixels"), wide.left(54));
        QVERIFY(QFile::resize(folder->path("too many pixels"), 54 + qint64{4096} * 3 * 2048));
        QByteArray rle(54 + 1024, '\0'); // 8 bits a pixel, run-length, ends at once: 1,080 bytes
        rle.replace(0, 2, "BM");
        const std::pair<int, qint32> rleFields[] = {{2, 1080},  {10, 54 + 1024}, {14, 40},
                                                    {18, 8192}, {22, 8192},      {26, 1 | 8 << 16},
                                                    {30, 1},    {34, 2},         {46, 256}};
        for (const auto& [at, value] : rleFields)
            qToLittleEndian<qint32>(value, rle.data() + at);
        writeFile(folder->path("rle"), rle + QByteArray("\0\1", 2));
        writeFile(folder->path("ppm"), QByteArray("P6\n2 1\n255\n") + QByteArray(6, '\x40'));
        QVERIFY(QFile::copy(TARN_TEST_DATA "/crashes/picture/bitfields16_offset0_short.bmp",
                            folder->path("pixels inside the headers")));
        QVERIFY(::mkfifo(QFile::encodeName(folder->path("pipe")), 0644) == 0);
        QStringList names =
            QDir(folder->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(names.size(), 7);
        for (const QString& name : names << "missing") {
            rusage before{}, after{};
            ::getrusage(RUSAGE_SELF, &before);
            Picture out(3, 2, kKey);
            QVERIFY2(!loadPicture(folder->path(name), out), qPrintable(name));
            ::getrusage(RUSAGE_SELF, &after);
            QVERIFY2(out == Picture(3, 2, kKey), qPrintable(name));
            QVERIFY2(after.ru_maxrss - before.ru_maxrss < 50 * 1024, qPrintable(name)); // kB
        }

        // A fuzzer's find: this run-length bitmap writes no pixel; primed stale heap must not show.
        for (int i = 0; i < 16; ++i)
            QByteArray(64 * 64, '\xAB'); // freed blocks that the decoder's image may reuse
        Picture out;
        QVERIFY(loadPicture(TARN_TEST_DATA "/crashes/picture/rle8_end_at_once_64x64.bmp", out));
        QVERIFY(out == Picture(64, 64, kBlack));

        // The same rows said to be stored top row first (a negative height) load upside down.
        QByteArray down = up;
        qToLittleEndian<qint32>(-wall.height(), down.data() + 22);
        writeFile(folder->path("folder/down.bmp"), down);
        Picture upsideDown = wall;
        flippic(wall, wall.width(), wall.height(), upsideDown, 2);
        QVERIFY(loadPicture(folder->path("folder/down.bmp"), out));
        QVERIFY(out == upsideDown);
    }

    // After a run killed mid-write, with a pipe put in the settings file's place:
    // the start removes the leftovers and says once, at once, that the settings
    // cannot be read; saving one says so once more, and not at every click.
    void startAfterAKilledRunWithAPipeForSettings() {
        folder->makeFolder("MySystem");
        const QStringList leftovers{"Summary.wsm.tarn-x9Y8z7", "MySystem/.tarn-000000"};
        for (const QString& name : leftovers)
            writeFile(folder->path(name), "half");
        const QString settings = folder->path("tarn.ini");
        QVERIFY(::mkfifo(QFile::encodeName(settings), 0644) == 0);
        const PipeRelease release(QFile::encodeName(settings).toStdString());
        ModalScript script({press(Ok), press(Ok)});
        QElapsedTimer clock;
        clock.start();
        open();
        QCOMPARE_LT(clock.elapsed(), 1000);
        for (const QString& name : leftovers)
            QVERIFY2(!QFile::exists(folder->path(name)), qPrintable(name));
        QVERIFY(!entries(w->lst(0)).join(' ').contains("tarn-")); // nor in any list
        const QString why =
            QStringLiteral("通常のファイルではありません。（エラー番号 %1）").arg(ENODEV);
        const QString unread = box("設定ファイル「" + settings + "」を読み込めません。\n" + why +
                                   "\n記憶したフォルダは使えません。");
        QCOMPARE(boxes(script), QStringList{unread});
        for (int i = 0; i < 3; ++i)
            get<QPushButton>("cmdMemory(0)")->click();
        QCOMPARE(boxes(script), (QStringList{unread, box("設定を設定ファイル「" + settings +
                                                         "」に保存できませんでした。\n" + why)}));
    }

    // Messages follow LC_ALL, then LC_MESSAGES, then LANG; no language named is Japanese.
    void environmentChoosesTheLanguage() {
        const char* const rows[][4] = {{"", "ja_JP.UTF-8", "en_US.UTF-8", "ja"},
                                       {"de_DE", "ja_JP.UTF-8", "", "en"},
                                       {"", "", "fr", "en"},
                                       {"", "", "POSIX", "ja"},
                                       {"", "", "", "ja"}};
        for (const auto& [all, messages, lang, language] : rows) {
            qputenv("LC_ALL", all);
            qputenv("LC_MESSAGES", messages);
            qputenv("LANG", lang);
            QCOMPARE(environmentLanguage(), language);
        }
    }

    // Every menu caption and its shortcuts, "|" between entries, a submenu's entries indented;
    // then the first slot's label, Qt's own Yes button and the open path panel's menu caption.
    void menuBarInEachLanguage_data() {
        QTest::addColumn<QString>("shown");
        QTest::newRow("ja") << QString(
            "ファイル(&F)|  新しいシーン(&N) Ctrl+N|  シーンを開く(&O)... Ctrl+O|"
            "  シーンを保存(&V)|  名前を付けてシーンを保存...|  最近使ったシーン(&R)|  -|"
            "  保存(&S)|    名前をつけて画像の保存(&A)... Ctrl+S|    書き出し(&W)... Ctrl+W|"
            "  ダンジョン(&D)... Ctrl+D|  -|"
            "  クリップボードにコピー(&C) Ctrl+C|  -|  終了(&Q) Ctrl+Q|"
            "編集(&E)|  元に戻す(&U) Ctrl+Z|  やり直し(&R) Ctrl+Y, Ctrl+Shift+Z|パスの指定(&P)|"
            "特殊効果(&S)|  グレースケール変換(&G) Ctrl+G|  セピア調変換(&S) Ctrl+F|"
            "レイヤー表示(&L)|  地面|  奥の左側|  奥の右側|  オブジェクト (F)|  手前の左側|"
            "  手前の右側|  オブジェクト (T)|バージョン情報(&V)|最新情報に更新(&R)|"
            "地面|はい(&Y)|閉じる(&C)      ");
        QTest::newRow("en") << QString(
            "&File|  &New scene Ctrl+N|  &Open scene... Ctrl+O|  Sa&ve scene|  Save scene as...|"
            "  &Recent scenes|  -|  &Save|    Save picture &as... Ctrl+S|    E&xport... Ctrl+W|"
            "  &Dungeon... Ctrl+D|  -|"
            "  &Copy to clipboard Ctrl+C|  -|  &Quit Ctrl+Q|&Edit|  &Undo Ctrl+Z|"
            "  &Redo Ctrl+Y, Ctrl+Shift+Z|&Paths|Effect&s|  &Grayscale Ctrl+G|  &Sepia Ctrl+F|"
            "&Layers|  Floor|  Far left|  Far right|  Objects (F)|  Near left|  Near right|"
            "  Objects (T)|Abou&t|Re&fresh|Floor|&Yes|&Close      ");
    }
    void menuBarInEachLanguage() {
        QFETCH(QString, shown);
        QVERIFY(installTranslations(*qApp, QTest::currentDataTag()));
        open();
        QMessageBox box(QMessageBox::Question, "Tarn", "?", QMessageBox::Yes);
        action("mnuPath")->trigger();
        QVERIFY(w->pathPanel()->isVisible());
        const QString closing = action("mnuPath")->text();
        action("mnuPath")->trigger();
        QVERIFY(!w->pathPanel()->isVisible());
        QCOMPARE((captions(w->menuBar()->actions())
                  << get<QLabel>("lbl(1)")->text() << box.button(QMessageBox::Yes)->text()
                  << closing)
                     .join('|'),
                 shown);
    }

    // The first size lays the window out as built, the status bar below it; larger, the canvas
    // zooms, clicks land on the canvas pixel under the pointer and the status bar names it.
    void growsAndZooms() {
        folder->writePart("ob_a.bmp", part(30, 20, 0));
        open();
        const int bar = w->statusBar()->height();
        QVERIFY(bar > 10);
        QCOMPARE(w->size(), QSize(FrmMain::kWidth, FrmMain::kHeight + bar));
        const QMap<QString, QRect> first = places(w.get());
        QCOMPARE(first["pctMain"], QRect(2, 2, kCanvasWidth + 2, kCanvasHeight + 2));
        QCOMPARE(first["statusBar"], QRect(0, FrmMain::kHeight, FrmMain::kWidth, bar));
        insert(0);
        w->lst(6)->setCurrentRow(0);
        const QImage canvas = w->canvasView()->shownImage();

        const std::pair<QSize, int> rows[] = {
            {{FrmMain::kWidth + kCanvasWidth - 1, 900}, 1},
            {{FrmMain::kWidth + kCanvasWidth + 40, FrmMain::kHeight + bar + kCanvasHeight}, 2},
            {{4000, 3000}, 3}};
        for (const auto& [size, zoom] : rows) {
            w->resize(size);
            QCOMPARE(w->canvasView()->zoom(), zoom);
            QCOMPARE(w->canvasView()->size(), CanvasView::boxSize(zoom));
            const QMap<QString, QRect> grown = places(w.get());
            QVERIFY(grown["lst(1)"].height() >= first["lst(1)"].height());
            QVERIFY(grown["lst(0)"].width() > first["lst(0)"].width());
            QVERIFY(grown["lst(6)"].height() > first["lst(6)"].height());
            QVERIFY(grown["lst(1)"].top() > grown["pctMain"].bottom());
            QVERIFY(grown["lst(0)"].left() > grown["pctMain"].right());
            // Nearest neighbour: each canvas pixel a zoom-by-zoom square.
            const QSize zoomed = QSize(kCanvasWidth, kCanvasHeight) * zoom;
            QVERIFY(fromQImage(w->canvasView()->grab().toImage().copy(QRect({1, 1}, zoomed))) ==
                    fromQImage(canvas.scaled(zoomed)));
            // A drag to the last screen pixel of canvas pixel (40, 25) puts the object there.
            QCoreApplication::processEvents(); // the zoom's own whole repaint
            PaintedRegion paints;
            w->canvasView()->installEventFilter(&paints);
            const QPoint target = QPoint(41, 26) * zoom;
            QTest::mousePress(w->canvasView(), Qt::LeftButton, {}, target);
            QMouseEvent move(QEvent::MouseMove, QPointF(target),
                             w->canvasView()->mapToGlobal(QPointF(target)), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(w->canvasView(), &move);
            QTest::mouseRelease(w->canvasView(), Qt::LeftButton, {}, target);
            // The object's whole new place is repainted at the zoom, not its unzoomed size.
            QCoreApplication::processEvents();
            const QRect moved(QPoint(1, 1) + QPoint(40, 25) * zoom, QSize(30, 20) * zoom);
            QVERIFY((QRegion(moved) - paints.painted).isEmpty());
            QCOMPARE(grown["statusBar"], QRect(0, w->height() - bar, w->width(), bar));
            QCOMPARE(
                (QStringList{w->lst(7)->item(0)->text(), w->lst(8)->item(0)->text(),
                             get<QLabel>("lblPointer")->text(), get<QLabel>("lblZoom")->text()}),
                (QStringList{"40", "25", "40, 25", QString("拡大率 %1倍").arg(zoom)}));
            QMouseEvent border(QEvent::MouseMove, QPointF(0, 0), // off the canvas
                               w->canvasView()->mapToGlobal(QPointF(0, 0)), Qt::NoButton,
                               Qt::NoButton, {});
            QApplication::sendEvent(w->canvasView(), &border);
            QCOMPARE(get<QLabel>("lblPointer")->text(), "");
            action("mnuUndo")->trigger();
        }
        w->resize(FrmMain::kWidth, FrmMain::kHeight);
        QCOMPARE(w->size(), QSize(FrmMain::kWidth, FrmMain::kHeight + bar));
        QCOMPARE(places(w.get()), first);
        action("mnuUndo")->trigger(); // the insert: nothing left to save
        QVERIFY(!w->document().isModified());

        // Size and folder are remembered for the next start, not at a quit from the menu; a
        // folder gone since is said once.
        const QString parts = folder->makeFolder("parts");
        QVERIFY(w->changeFolder(parts));
        QCOMPARE(quit(), 1);
        QCOMPARE(folder->iniValue("MofFirst"), "App.Path");
        w->resize(1200, 800);
        w->close();
        open();
        QCOMPARE(w->size(), QSize(1200, 800));
        QCOMPARE(w->canvasView()->zoom(), 2);
        QCOMPARE(w->currentFolder(), parts);
        QVERIFY(QDir(parts).removeRecursively());
        ModalScript script({press(Ok)});
        open();
        QCOMPARE(w->currentFolder(), folder->path());
        QCOMPARE(boxes(script),
                 QStringList{box("指定したパスが見つかりません。\n"
                                 "記憶された後に何らかの変更があったと思われます。\n")});
    }

    // The picture of the window in the user's guide: the sample parts, put together. Then the
    // names show whole on hover in every list and slot, the flag column its own explanation.
    void guideScreenshot() {
        open();
        QVERIFY(w->changeFolder(TARN_SAMPLE_PARTS));
        const std::pair<int, QString> terrain[] = {
            {1, "stone_ug"}, {2, "brick_bl"}, {3, "brick_br"}, {4, "stone_fl"}, {5, "stone_fr"}};
        for (const auto& [slot, name] : terrain) {
            const auto found = w->lst(slot)->findItems(name, Qt::MatchExactly).value(0);
            w->onPartChosen(slot, w->lst(slot)->row(found));
            QCOMPARE(w->use(slot)->text(), name);
        }
        const std::tuple<QString, int, int> objects[] = {
            {"ob_door", 190, 60}, {"ob_torch", 120, 70}, {"ob_barrel", 300, 170}};
        for (const auto& [name, x, y] : objects) {
            w->lst(0)->setCurrentItem(w->lst(0)->findItems(name, Qt::MatchExactly).value(0));
            w->onInsert();
            w->document().moveObject(int(w->scene().objects.size()) - 1, x, y);
        }
        w->document().toggleLayer(2);
        QCOMPARE(entries(w->lst(6)), (QStringList{"ob_door", "ob_torch", "ob_barrel"}));
        QVERIFY(QDir().mkpath(TARN_SCREENSHOT_DIR));
        QVERIFY(w->grab().toImage().save(TARN_SCREENSHOT_DIR "/screenshot.png"));
        const auto hover = [](QListWidget* list) {
            const QPoint at = list->visualItemRect(list->item(0)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        for (QListWidget* list : std::initializer_list<QListWidget*>{
                 w->lst(0), w->lst(4), w->lst(6), w->lst(7), get<QListWidget>("flb")}) {
            QCOMPARE(hover(list), list->item(0)->text());
            QToolTip::hideText();
        }
        QVERIFY(hover(w->lst(9)).startsWith(" オブジェクトが手前"));
        QCOMPARE(w->use(4)->toolTip(), "stone_fl");
    }

    // Arrow keys on the focused canvas and texts typed into the X and Y columns move the
    // current object, each accepted change one step to undo; a refused text is told, no step.
    // Walking the flag column with the keys toggles nothing; a click or Space toggles and redraws.
    // A mirrored row shows a mark after its name for each direction; mirrored back, as it was.
    void keyboardAndRowMarks() {
        folder->writePart("WALL_fl.bmp", kWall);
        folder->writePart("ob_0.bmp", kObject);
        folder->writePart("ob_1.bmp", part(8, 8, 1));
        open();
        click(4, 0);
        insert(0);
        insert(1);
        w->document().moveObject(1, 110, 0);
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
        // F2 opens the X column's editor, a double-click the Y column's.
        const std::tuple<int, QString, QPoint> typed[] = {
            {7, "120", {120, 10}},       {8, " -15 ", {120, -15}}, {7, "12.5", {12, -15}},
            {7, "abc", {12, -15}},       {8, "1e3", {12, -15}},    {8, "", {12, -15}},
            {7, "3000000000", {12, -15}}};
        ModalScript script({press(Ok), press(Ok), press(Ok), press(Ok)});
        for (const auto& [list, text, to] : typed) {
            ListBox* column = w->lst(list);
            column->setCurrentRow(0);
            column->setFocus();
            const QPoint middle = column->visualItemRect(column->item(0)).center();
            if (list == 7) {
                QTest::keyClick(column, Qt::Key_F2);
            } else {
                QTest::mousePress(column->viewport(), Qt::LeftButton, {}, middle);
                QMouseEvent twice(QEvent::MouseButtonDblClick, middle,
                                  column->viewport()->mapToGlobal(middle), Qt::LeftButton,
                                  Qt::LeftButton, {});
                QApplication::sendEvent(column->viewport(), &twice);
                QTest::mouseRelease(column->viewport(), Qt::LeftButton, {}, middle);
            }
            QTRY_VERIFY(shownEditor(column));
            QCOMPARE(shownEditor(column)->text(), column->item(0)->text());
            shownEditor(column)->setText(text);
            const std::size_t answered = script.seen().size() + (to == position(0) ? 1 : 0);
            QTest::keyClick(shownEditor(column), Qt::Key_Return);
            QTRY_COMPARE(script.seen().size(), answered); // a refusal's box before the next edit
            QTRY_COMPARE(position(0), to);
            QVERIFY(objectShownAt(to));
            QTRY_VERIFY(!shownEditor(column));
            if (to != trail.back())
                trail.push_back(to);
        }
        QCOMPARE(boxes(script), (QStringList{box("「abc」は整数ではありません。"),
                                             box("「1e3」は整数ではありません。"),
                                             box("「」は整数ではありません。"),
                                             box("「3000000000」は大きすぎます。")}));
        for (trail.pop_back(); !trail.empty(); trail.pop_back()) {
            action("mnuUndo")->trigger();
            QCOMPARE(position(0), trail.back());
            QVERIFY(objectShownAt(trail.back()));
        }
        action("mnuUndo")->trigger(); // the refused texts left no step: this is row 1's move
        QCOMPARE(position(1), QPoint(0, 0));

        w->document().toggleLayer(1);
        ListBox* flags = w->lst(9);
        const QStringList walked = {"F", "T"};
        QCOMPARE(entries(flags), walked);
        QCOMPARE(shown(4, 81), kWall.pixel(4, 1)); // row 0 behind the front-left wall
        const QImage before = canvas();
        flags->setFocus();
        const std::pair<Qt::Key, int> walk[] = {
            {Qt::Key_Down, 0}, {Qt::Key_End, 1},  {Qt::Key_PageUp, 0}, {Qt::Key_PageDown, 1},
            {Qt::Key_Up, 0},   {Qt::Key_Down, 1}, {Qt::Key_Home, 0}};
        for (const auto& [key, row] : walk) {
            QTest::keyClick(flags, key);
            QCOMPARE(flags->selectedRow(), row);
            QCOMPARE(entries(flags), walked);
        }
        QCOMPARE(canvas(), before);
        QTest::keyClick(flags, Qt::Key_Space);
        QCOMPARE(entries(flags), (QStringList{"T", "T"}));
        QCOMPARE(shown(4, 81), kObject.pixel(4, 81)); // now in front of the wall
        click(9, 0);
        QCOMPARE(entries(flags), walked);
        QCOMPARE(canvas(), before);
        ListBox* names = w->lst(6);
        names->setCurrentItem(nullptr);
        names->clearSelection();
        QList<QImage> looks; // as made, left-right, both, upside-down, as made
        for (int type : {0, 1, 2, 1, 2}) {
            if (type != 0)
                w->document().mirrorObject(0, type);
            QCOMPARE(names->item(0)->text(), "ob_0");
            looks << names->viewport()->grab(names->visualItemRect(names->item(0))).toImage();
        }
        QCOMPARE(looks[4], looks[0]);
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QVERIFY2(looks[a] != looks[b],
                         qPrintable(QString("looks %1 and %2").arg(a).arg(b)));
    }

    // Parts dropped go to their slot or become rows, a folder is entered; when anything dropped
    // is neither, nothing is used and the user is told.
    void drops() {
        folder->makeFolder("other");
        const Picture stone = part(6, 4, 3);
        folder->writePart("other/stone_fl.bmp", stone);
        folder->writePart("other/wall_FL.bmp", stone);
        folder->writePart("other/ob_a.bmp", kObject);
        folder->writePart("other/ob_b.BMP", part(8, 8, 1));
        writeFile(folder->path("other/notes.txt"), "not a picture");
        open();
        const QImage before = canvas();
        const QString refused =
            "次のものは部品ファイルでもフォルダでもないため、使いませんでした。\n";
        const DropRow rows[] = {
            {{"http://example.com/ob_a.bmp"}, "", {}, "", refused + "http://example.com/ob_a.bmp"},
            {{"other/notes.txt"}, "", {}, "", refused + "notes.txt"},
            {{"other/stone_fl.bmp", "other/wall_FL.bmp"}, "", {}, "", refused + "wall_FL.bmp"},
            {{"other"}, "", {}, "other", ""},
            {{"other/stone_fl.bmp"}, "stone_fl", {}, "other", ""},
            {{"other/ob_a.bmp", "other/ob_b.BMP"}, "stone_fl", {"ob_a", "ob_b"}, "other", ""}};
        for (const DropRow& row : rows) {
            QList<QUrl> urls;
            for (const QString& f : row.files)
                urls << (f.startsWith("http:") ? QUrl(f) : QUrl::fromLocalFile(folder->path(f)));
            ModalScript script({press(Ok)});
            QVERIFY(dropOn(w.get(), urls));
            QCOMPARE(
                (QStringList{w->currentFolder(), w->use(4)->text()} + entries(w->lst(6)) +
                 boxes(script)),
                (QStringList{folder->path(row.folder), row.use4} + row.objects +
                 (row.told.isEmpty() ? QStringList() : QStringList{box(row.told, Information)})));
            QCOMPARE(w->document().canUndo(), !row.use4.isEmpty());
            if (row.use4.isEmpty())
                QCOMPARE(canvas(), before);
        }
        for (int y = 0; y < stone.height(); ++y)
            QCOMPARE(shown(2, 80 + y), stone.pixel(2, y));
        QCOMPARE(w->lst(10)->item(0)->text(), folder->path("other/ob_a.bmp"));
        QCOMPARE(shown(4, 4), part(8, 8, 1).pixel(4, 4)); // ob_b, drawn last, on top
        QCOMPARE(shown(20, 4), kObject.pixel(20, 4));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frm_main.moc"
