// The main window as a user meets it, and part files that fight back.
#include "app/dialogs/frm_boot.h"
#include "objects/exchange_files.h"
#include "support/main_window.h"
#include "support/pipe_release.h"
#include "support/test_pictures.h"
#include "support/unprivileged_user.h"

#include <QtWidgets>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>

using namespace tarn;
using namespace tarn::test;
using enum QMessageBox::StandardButton;
using enum QMessageBox::Icon;

class TestFrmMain : public QObject, MainWindowTest {
    Q_OBJECT

    // The five columns show exactly these rows, and the scene holds their pictures.
    void expectRows(const std::vector<ObjectRow>& expected) const {
        QCOMPARE(w->scene().objects.size(), expected.size());
        for (int i = 0; i < 5; ++i) {
            QStringList column;
            for (const ObjectRow& o : expected)
                column << QString::fromStdString(
                    std::array{o.name, std::to_string(o.x), std::to_string(o.y),
                               std::string(layerText(o.layer)), o.path}[i]);
            QCOMPARE(entries(w->lst(6 + i)), column);
        }
        for (std::size_t r = 0; r < expected.size(); ++r)
            QVERIFY(w->scene().objects[r].picture() == expected[r].picture() &&
                    w->scene().objects[r].mask() == expected[r].mask());
    }

  private slots:
    void init() { folder = std::make_unique<ProgramFolder>(); }
    void cleanup() { w.reset(); }

    void startsOnTheRememberedFolder() {
        const QString parts = folder->makeFolder("parts");
        ModalScript script({press(Ok)});
        open();
        QCOMPARE(w->currentFolder(), folder->path());
        QCOMPARE(quit(), 1); // leaves without remembering the folder
        QCOMPARE(folder->iniValue("MofFirst"), "App.Path");
        QVERIFY(w->changeFolder(parts));
        w->close();
        QCOMPARE(folder->iniValue("MofFirst"), parts);
        open();
        QCOMPARE(w->currentFolder(), parts);
        QVERIFY(QDir(parts).removeRecursively());
        open();
        QCOMPARE(w->currentFolder(), folder->path());
        QCOMPARE(boxes(script),
                 QStringList{box("指定したパスが見つかりません。\n"
                                 "記憶された後に何らかの変更があったと思われます。\n")});
    }

    // One user's session: names, terrain slots, drives, object rows, the path panel.
    void session() {
        const Picture wall = part(6, 4, 2);
        const Picture ob[] = {part(40, 60, 0), part(80, 30, 1), part(12, 9, 2), part(30, 100, 3)};
        const QString other = folder->makeFolder("other");
        for (int k = 0; k < 4; ++k)
            folder->writePart(QStringLiteral("other/ob_%1.bmp").arg(k), ob[k]);
        folder->writePart("WALL_fl.BMP", wall); // opened under its real name
        folder->writePart("bad_fl.bmp", part(30, 20, 3));
        QVERIFY(QFile::resize(folder->path("bad_fl.bmp"), 54 + 30 * 3 * 7)); // pixels cut short
        QVERIFY(QFile::copy(folder->path("bad_fl.bmp"), folder->path("other/ob_bad.bmp")));
        const QByteArray sjis = QFile::encodeName(folder->path()) + "/\x83\x65\x83\x58_fl.bmp";
        QVERIFY(std::ofstream(sjis.constData()).good());
        QVERIFY(QFile::link(other, folder->path("other/loop"))); // must not hang the folder list
        open();
        std::remove(sjis.constData()); // a name the folder's own clean-up cannot spell
        QCOMPARE(w->objectName(), "frmMain");
        FrmBoot boot(FrmBoot::Mode::Startup);
        QCOMPARE(boot.objectName(), "frmBoot");
        QVERIFY(boot.findChild<QTimer*>("Timer1"));
        for (const char* name :
             {"mnuFile",  "mnusaveD",    "mnuSaveAs",  "mnuWrte",     "mnuH5",      "mnuCopy",
              "mnuH3",    "mnuEnd",      "mnuEdit",    "mnuPath",     "mnuSpecial", "mnuGray",
              "mnuSepia", "mnuLayer(0)", "mnuVersion", "mnuRenew(0)", "Command1",   "pctMain",
              "pctOb",    "Frame",       "drv",        "dir",         "flb",        "cmdBack"})
            QVERIFY2(get<QObject>(name), name);
        const std::tuple<const char*, int, int> indexed[] = {
            {"lst", 0, 10},      {"lbl", 0, 5},     {"use", 1, 5},    {"cmdClear", 1, 5},
            {"cmdMemory", 0, 5}, {"cmdRead", 0, 5}, {"cmd_ob", 0, 1}, {"cmdChange", 0, 1}};
        for (const auto& [name, first, last] : indexed)
            for (int i = first; i <= last; ++i)
                QVERIFY2(get<QObject>(QStringLiteral("%1(%2)").arg(name).arg(i)), name);
        QCOMPARE(entries(w->lst(4)), (QStringList{"bad_fl", "WALL_fl"})); // not "テス" in Shift-JIS
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
        QCOMPARE(shown(4, 79), ob[3].pixel(4, 79));
        QCOMPARE(shown(4, 81), wall.pixel(4, 1)); // behind the front-left wall
        mouse(QTest::MousePress, 9, 3);           // the toggle itself redraws
        QCOMPARE(w->lst(9)->item(3)->text(), "T");
        QCOMPARE(shown(4, 81), ob[3].pixel(4, 81));
        mouse(QTest::MouseRelease, 9, 3);
        QCOMPARE(shown(4, 81), ob[3].pixel(4, 81));

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
        const auto unreadable = [](const QString& file) {
            return box("「" + file +
                       "」を読み込めませんでした。\n"
                       "ファイルが削除されたか、読み込めない画像です。");
        };
        const auto notReady = [](const QString& drive) {
            return box(drive + "/ にアクセスできません。\nデバイスの準備ができていません。",
                       Critical, "Tarn", Retry | Cancel);
        };
        QCOMPARE(boxes(script), (QStringList{unreadable(folder->path("bad_fl.bmp")),
                                             notReady(other), unreadable(other + "/ob_bad.bmp"),
                                             notReady("/gone"), notReady("/gone")}));
    }

    // Each is refused, leaving the picture it was given untouched; none blocks. Few bytes that
    // declare a huge picture cost no more than their headers; a format no part comes in is not
    // decoded at all.
    void loaderRefusesWhatIsNoPart() {
        folder->writePart("no read permission", part(30, 20, 0));
        QByteArray wide = fileBytes(folder->path("no read permission")).left(54 + 16);
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
        writeFile(folder->path("ppm header"), "P6\n8000 8000\n255\n");
        writeFile(folder->path("ppm"), QByteArray("P6\n2 1\n255\n") + QByteArray(6, '\x40'));
        writeFile(folder->path("zero bytes"), {});
        QVERIFY(QFile::copy(TARN_TEST_DATA "/crashes/picture/bitfields16_offset0_short.bmp",
                            folder->path("pixels inside the headers")));
        QVERIFY(QFile::setPermissions(folder->path("no read permission"), {}));
        QVERIFY(::mkfifo(QFile::encodeName(folder->path("pipe")), 0644) == 0);
        folder->makeFolder("folder");
        QStringList names =
            QDir(folder->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(names.size(), 10);
        const auto seconds = [](const rusage& r) {
            return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                   double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
        };
        {
            // Nothing outside the test's own folder is touched as that user: the
            // checkout may sit in a folder only its owner can enter.
            UnprivilegedUser user(folder->path().toStdString());
            QVERIFY(user.ok());
            for (const QString& name : names << "missing") {
                rusage before{}, after{};
                ::getrusage(RUSAGE_SELF, &before);
                Picture out(3, 2, kKey);
                QVERIFY2(!loadPicture(folder->path(name), out), qPrintable(name));
                ::getrusage(RUSAGE_SELF, &after);
                QVERIFY2(out == Picture(3, 2, kKey), qPrintable(name));
                QVERIFY2(seconds(after) - seconds(before) < 0.5, qPrintable(name));
                QVERIFY2(after.ru_maxrss - before.ru_maxrss < 50 * 1024, qPrintable(name)); // kB
            }
        }

        // A fuzzer's find: this run-length bitmap writes no pixel; primed stale heap must not show.
        for (int i = 0; i < 16; ++i)
            QByteArray(64 * 64, '\xAB'); // freed blocks that the decoder's image may reuse
        Picture out;
        QVERIFY(loadPicture(TARN_TEST_DATA "/crashes/picture/rle8_end_at_once_64x64.bmp", out));
        QVERIFY(out == Picture(64, 64, kBlack));

        // Rows stored top row first (a negative height) load as the same picture.
        const Picture wall = part(7, 5, 2);
        folder->writePart("up.bmp", wall);
        const QByteArray up = fileBytes(folder->path("up.bmp"));
        QCOMPARE(qFromLittleEndian<qint32>(up.constData() + 28) & 0xFFFF, 24);
        const int offset = qFromLittleEndian<qint32>(up.constData() + 10);
        const int rowBytes = (wall.width() * 3 + 3) / 4 * 4;
        QByteArray down = up.left(offset);
        qToLittleEndian<qint32>(-wall.height(), down.data() + 22);
        for (int y = wall.height() - 1; y >= 0; --y)
            down += up.mid(offset + y * rowBytes, rowBytes);
        writeFile(folder->path("down.bmp"), down);
        QVERIFY(loadPicture(folder->path("down.bmp"), out));
        QVERIFY(out == wall);
    }

    // After a run killed mid-write, with a pipe put in the settings file's place:
    // the start removes the leftovers and says once, at once, that the settings
    // cannot be read; saving one says so once more, and not at every click.
    void startAfterAKilledRunWithAPipeForSettings() {
        folder->makeFolder("MySystem");
        const QStringList leftovers{".tarn-Ab12Cd", "Summary.wsm.tarn-x9Y8z7",
                                    "MySystem/.tarn-000000", "MySystem/OLDPIC.emf.tarn-Qq1234"};
        for (const QString& name : leftovers)
            writeFile(folder->path(name), "half");
        writeFile(folder->path("keep.tarn-1"), "the user's");
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
        QVERIFY(QFile::exists(folder->path("keep.tarn-1")));
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
        QVERIFY(QFileInfo(settings).isFile() == false);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frm_main.moc"
