// The dungeon window: walking the map with the keys and the mouse, the view it
// shows against the core's composition, faults in the map or the pack, the
// export with its progress and cancel, and a view opened as the main window's scene.
#include "app/common/messages.h"
#include "app/window/frm_dungeon.h"
#include "app/window/map_view.h"
#include "export/export_procedure.h"
#include "support/main_window.h"
#include "support/test_pictures.h"

#include "dungeon/dungeon_view.h"

#include <QtTest>
#include <QtWidgets>

using namespace tarn;
using namespace tarn::test;

namespace {

// Three squares in a row, a door between the last two; below the first and
// the last a square each, rock between them. The start faces north.
const char* const kMap = "+-+-+-+\n"
                         "|^ .D.|\n"
                         "+ +-+ +\n"
                         "|.|#| |\n"
                         "+-+-+-+\n";

// Every role its own picture, named as the sample pack names it.
const char* const kRoleFiles[] = {
    "cell_ug", "cell_fl", "door_fl",       "cell_fr",       "door_fr",     "cell_bl",    "door_bl",
    "cell_br", "door_br", "ob_front_wall", "ob_front_door", "ob_far_wall", "ob_far_door"};
const QString kPack = TARN_SAMPLE_PARTS "/crypt.pack.json";

} // namespace

class TestDungeon : public QObject, MainWindowTest {
    Q_OBJECT

    FrmDungeon* d = nullptr;
    QString mapPath, packPath, scenario;

    template <typename T> T* in(const char* name) const {
        return d->findChild<T*>(QString::fromLatin1(name));
    }
    void clickOn(const char* button) const {
        QTest::mouseClick(in<QPushButton>(button), Qt::LeftButton);
    }
    static QImage rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB888); }
    MapView* mapView() const { return in<MapView>("mapView"); }
    QImage shownView() const { return rgb(in<QLabel>("pctView")->pixmap().toImage()); }

    // The view the core composes at a square, read without the window's help.
    QImage composed(Square s, Facing f) const {
        DungeonMap map;
        DungeonPack pack;
        Scene scene;
        std::string unreadable;
        const PartImageLoader load = [](const std::string& path, PartKind kind) {
            return makePartImage(loadPartFile, path, kind);
        };
        const bool read = readDungeonMap(mapPath.toStdString(), map).ok() &&
                          readDungeonPack(packPath.toStdString(), pack).ok() &&
                          sceneOfView(viewAt(map, s, f), pack, load, scene, unreadable);
        return read ? rgb(toQImage(scene.canvas)) : QImage();
    }

  private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        mapPath = folder->path("maze.txt");
        packPath = folder->path("pack.json");
        scenario = folder->makeFolder("scenario");
        writeFile(mapPath, kMap);
        writeFile(packPath, fileBytes(kPack));
        for (int role = 0; role < 13; ++role)
            folder->writePart(QStringLiteral("%1.bmp").arg(kRoleFiles[role]),
                              part(120 + role * 7, 90 + role * 5, role));
        // The window takes its files from the settings, as it remembers them.
        const AppContext context = folder->context();
        for (const auto& [key, path] :
             {std::pair{"Map", mapPath}, {"Pack", packPath}, {"Folder", scenario}})
            QVERIFY(context.ini().putini("Dungeon", key, path.toStdString()));
        open();
        action("mnuDungeon")->trigger();
        d = w->findChild<FrmDungeon*>();
        QVERIFY(d != nullptr && d->isVisible() && !d->isModal());
    }
    void cleanup() {
        d = nullptr;
        w.reset();
    }

    // Keys (stopped by the border, a wall and rock), then clicks on the floor at
    // (0,1) ("a") and on rock ("b"): the preview and the caption at every step.
    void walkingFollowsTheMap() {
        const QHash<QChar, Qt::Key> keys{
            {'U', Qt::Key_Up}, {'D', Qt::Key_Down}, {'L', Qt::Key_Left}, {'R', Qt::Key_Right}};
        mapView()->setFocus();
        QCOMPARE(shownView(), composed({0, 0}, Facing::North));
        QStringList where{in<QLabel>("lblWhere")->text()};
        for (const QChar key : QStringLiteral("DUDUULDURULUURURUab")) {
            if (key.isUpper())
                QTest::keyClick(mapView(), keys[key]);
            else
                QTest::mouseClick(mapView(), Qt::LeftButton, {},
                                  mapView()->centreOf(key == 'a' ? Square{0, 1} : Square{1, 1}));
            QCOMPARE(shownView(), composed(mapView()->square(), mapView()->facing()));
            where << in<QLabel>("lblWhere")->text();
        }
        // Areas by the floor squares in reading order: (0,0) (1,0) (2,0) (0,1) (2,1).
        QCOMPARE(where, (QStringList{"(0, 0) 北向き  エリア 1",  "(0, 0) 南向き  エリア 3",
                                     "(0, 1) 南向き  エリア 15", "(0, 1) 北向き  エリア 13",
                                     "(0, 0) 北向き  エリア 1",  "(0, 0) 北向き  エリア 1",
                                     "(0, 0) 西向き  エリア 4",  "(0, 0) 東向き  エリア 2",
                                     "(1, 0) 東向き  エリア 6",  "(1, 0) 南向き  エリア 7",
                                     "(1, 0) 南向き  エリア 7",  "(1, 0) 東向き  エリア 6",
                                     "(2, 0) 東向き  エリア 10", "(2, 0) 東向き  エリア 10",
                                     "(2, 0) 南向き  エリア 11", "(2, 1) 南向き  エリア 19",
                                     "(2, 1) 西向き  エリア 20", "(2, 1) 西向き  エリア 20",
                                     "(0, 1) 西向き  エリア 16", "(0, 1) 西向き  エリア 16"}));
    }

    void faultsAreShownAndNothingIsWritten_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("unknown character") << "maze.txt" << QByteArray("+-+\n|^X\n+-+\n");
        QTest::newRow("pack not JSON") << "pack.json" << QByteArray("{\"format\": ");
        QTest::newRow("role missing")
            << "pack.json" << fileBytes(kPack).replace("\"far_front\"", "\"far_front_\"");
    }
    // The problem in the core's words beside the fields; the fields stay usable,
    // export and open wait for a readable dungeon.
    void faultsAreShownAndNothingIsWritten() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        writeFile(folder->path(file), content);
        QLineEdit* field = in<QLineEdit>(file == "maze.txt" ? "txtMap" : "txtPack");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);

        DungeonMap map;
        DungeonPack pack;
        const MapResult mapRead = readDungeonMap(mapPath.toStdString(), map);
        const PackResult packRead = readDungeonPack(packPath.toStdString(), pack);
        const QString expected = !mapRead.ok()    ? dungeonFileText(mapRead)
                                 : !packRead.ok() ? dungeonFileText(packRead)
                                                  : missingRolesText(missingRoles(map, pack));
        QCOMPARE(in<QLabel>("lblProblem")->text(), expected);
        QVERIFY(!in<QPushButton>("cmdExport")->isEnabled());
        QVERIFY(!in<QPushButton>("cmdOpenView")->isEnabled());
        QVERIFY(in<QLabel>("pctView")->pixmap().isNull());
        for (const char* name : {"cmdMap", "cmdPack", "cmdFolder"})
            QVERIFY(in<QPushButton>(name)->isEnabled());
    }

    void exportWithProgress_data() {
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("whole, then again") << -1;
        QTest::newRow("cancelled while writing") << 30;
    }
    // The bar counts up while only the cancel button takes a click; a cancel half
    // way leaves the folder as it was; a second export offers to renew the areas.
    void exportWithProgress() {
        QFETCH(int, cancelAt);
        writeFile(scenario + "/notes.txt", "mine");
        const auto listing = [this] {
            return QDir(scenario).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        const QStringList before = listing();
        auto* bar = in<QProgressBar>("prgExport");
        QList<int> values;
        bool busy = true;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            busy = busy && !in<QPushButton>("cmdExport")->isEnabled() &&
                   !in<QLineEdit>("txtFolder")->isEnabled() &&
                   in<QPushButton>("cmdCancel")->isEnabled();
            if (value == cancelAt)
                clickOn("cmdCancel");
        });
        ModalScript script(
            {press(QMessageBox::Ok), press(QMessageBox::Yes), press(QMessageBox::Ok)});
        clickOn("cmdExport");
        QVERIFY(values.size() > 2 && busy);
        QVERIFY(in<QPushButton>("cmdExport")->isEnabled());
        QVERIFY(!in<QPushButton>("cmdCancel")->isEnabled());
        if (cancelAt >= 0) {
            QCOMPARE(values.last(), cancelAt);
            QCOMPARE(boxes(script),
                     QStringList{box("書き出しを中止しました。フォルダは元のままです。",
                                     QMessageBox::Information)});
            QCOMPARE(listing(), before);
            return;
        }
        QCOMPARE(values.last(), bar->maximum());
        QCOMPARE(in<QLineEdit>("txtFirstArea")->text(), "21");
        clickOn("cmdExport");
        const QString written = "20 エリア（1〜20）を書き出しました。開始エリアは 1 です。\n";
        QCOMPARE(
            boxes(script),
            (QStringList{box(written + "Summary.wsm を書き出しました。", QMessageBox::Information),
                         box("このフォルダには「maze.dungeon.json」を前に書き出してあります。\n"
                             "そのエリアを置き換えますか？"
                             "「いいえ」なら最初のエリア番号から新しく書き出します。",
                             QMessageBox::Question, "Tarn",
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                             QMessageBox::Yes),
                         box(written + "Summary.wsm はそのままです。", QMessageBox::Information)}));
        QCOMPARE(listAreaFiles(scenario.toStdString()).size(), std::size_t(20));
    }

    // The view becomes the main window's unsaved scene, after the question Open asks.
    void viewOpensAsScene() {
        action("mnuGray")->trigger(); // an unsaved change
        mapView()->setFocus();
        QTest::keyClick(mapView(), Qt::Key_Right);
        QTest::keyClick(mapView(), Qt::Key_Up);
        const QImage view = shownView();
        ModalScript script({press(QMessageBox::Discard)});
        clickOn("cmdOpenView");
        QCOMPARE(script.seen().size(), std::size_t{1}); // the unsaved-scene question
        QCOMPARE(rgb(canvas()), view);
        QCOMPARE(w->windowTitle(), "無題* - Tarn");
        button("cmdClear(1)");
        QVERIFY(rgb(canvas()) != view);
        action("mnuUndo")->trigger();
        QCOMPARE(rgb(canvas()), view);
    }

    // The picture of the window in the user's guide: the sample dungeon, a step in.
    void guideScreenshot() {
        for (const auto& [field, file] :
             {std::pair{"txtMap", "/crypt.txt"}, std::pair{"txtPack", "/crypt.pack.json"}}) {
            in<QLineEdit>(field)->setText(TARN_SAMPLE_PARTS + QString(file));
            in<QLineEdit>(field)->setFocus();
            QTest::keyClick(in<QLineEdit>(field), Qt::Key_Return);
        }
        // Where an installed program keeps them, and an author's scenario, for the picture.
        in<QLineEdit>("txtMap")->setText("/usr/share/tarn/parts/crypt.txt");
        in<QLineEdit>("txtPack")->setText("/usr/share/tarn/parts/crypt.pack.json");
        in<QLineEdit>("txtFolder")->setText("/home/author/CardWirth/Scenario/Crypt");
        mapView()->setFocus();
        QTest::keyClick(mapView(), Qt::Key_Up);
        QCOMPARE(in<QLabel>("lblProblem")->text(), QString());
        QVERIFY(!in<QLabel>("pctView")->pixmap().isNull());
        const QImage shot = d->grab().toImage();
        QVERIFY(QDir().mkpath(TARN_SCREENSHOT_DIR));
        QVERIFY(shot.save(TARN_SCREENSHOT_DIR "/dungeon.png"));
    }
};

QTEST_MAIN(TestDungeon)
#include "tst_dungeon.moc"
