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

const char* const kRoleFiles[] = {"floor", "nlw", "nld", "nrw", "nrd", "flw", "fld",
                                  "frw",   "frd", "nfw", "nfd", "ffw", "ffd"};

QString packText() {
    const auto file = [](int role) { return QStringLiteral("\"%1.bmp\"").arg(kRoleFiles[role]); };
    const auto front = [&](int wall, int door, int x, int y) {
        return QStringLiteral("{\"wall\": {\"part\": %1, \"x\": %3, \"y\": %4},"
                              " \"door\": {\"part\": %2, \"x\": %3, \"y\": %4}}")
            .arg(file(wall), file(door))
            .arg(x)
            .arg(y);
    };
    const auto side = [&](int wall) {
        return QStringLiteral("{\"wall\": %1, \"door\": %2}").arg(file(wall), file(wall + 1));
    };
    return QStringLiteral("{\"format\": \"tarn-dungeon-pack\", \"version\": 1, \"floor\": %1,"
                          " \"near_left\": %2, \"near_right\": %3, \"far_left\": %4,"
                          " \"far_right\": %5, \"near_front\": %6, \"far_front\": %7}")
        .arg(file(0), side(1), side(3), side(5), side(7), front(9, 10, 40, 20),
             front(11, 12, 160, 90));
}

QImage rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB888);
}

} // namespace

class TestDungeon : public QObject, MainWindowTest {
    Q_OBJECT

    FrmDungeon* d = nullptr;
    QString mapPath, packPath, scenario;

    template <typename T> T* in(const char* name) const {
        return d->findChild<T*>(QString::fromLatin1(name));
    }
    MapView* mapView() const { return in<MapView>("mapView"); }
    QImage shownView() const { return rgb(in<QLabel>("pctView")->pixmap().toImage()); }

    void openDungeon() {
        action("mnuDungeon")->trigger();
        d = w->findChild<FrmDungeon*>();
        QVERIFY(d != nullptr && d->isVisible() && !d->isModal());
    }
    // The view the core composes at a square, read without the window's help.
    QImage composed(Square s, Facing f) const {
        DungeonMap map;
        DungeonPack pack;
        if (!readDungeonMap(mapPath.toStdString(), map).ok() ||
            !readDungeonPack(packPath.toStdString(), pack).ok())
            return {};
        Scene scene;
        std::string unreadable;
        const PartImageLoader load = [](const std::string& path, PartKind kind) {
            return makePartImage(loadPartFile, path, kind);
        };
        return sceneOfView(viewAt(map, s, f), pack, load, scene, unreadable)
                   ? rgb(toQImage(scene.canvas))
                   : QImage();
    }

  private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        mapPath = folder->path("maze.txt");
        packPath = folder->path("pack.json");
        scenario = folder->makeFolder("scenario");
        writeFile(mapPath, kMap);
        writeFile(packPath, packText().toUtf8());
        for (int role = 0; role < 13; ++role)
            folder->writePart(QStringLiteral("%1.bmp").arg(kRoleFiles[role]),
                              part(120 + role * 7, 90 + role * 5, role));
        // The window takes its files from the settings, as it remembers them.
        const AppContext context = folder->context();
        const IniStore& ini = context.ini();
        QVERIFY(ini.putini("Dungeon", "Map", mapPath.toStdString()));
        QVERIFY(ini.putini("Dungeon", "Pack", packPath.toStdString()));
        QVERIFY(ini.putini("Dungeon", "Folder", scenario.toStdString()));
        open();
        openDungeon();
    }
    void cleanup() {
        d = nullptr;
        w.reset();
    }

    void walkingFollowsTheMap_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("facing");
        QTest::newRow("the start") << "" << 0 << 0 << 0;
        QTest::newRow("border ahead") << "U" << 0 << 0 << 0;
        QTest::newRow("turn left") << "L" << 0 << 0 << 3;
        QTest::newRow("turn around, step") << "DU" << 0 << 1 << 2;
        QTest::newRow("open edge") << "RU" << 1 << 0 << 1;
        QTest::newRow("through the door") << "RUU" << 2 << 0 << 1;
        QTest::newRow("border east") << "RUUU" << 2 << 0 << 1;
        QTest::newRow("down the side") << "RUURU" << 2 << 1 << 2;
        QTest::newRow("rock is a wall") << "RUURURU" << 2 << 1 << 3;
        QTest::newRow("wall under the middle") << "RURU" << 1 << 0 << 2;
    }
    // Each key as the player presses it, the preview checked at every step.
    void walkingFollowsTheMap() {
        QFETCH(QString, keys);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, facing);
        mapView()->setFocus();
        QCOMPARE(shownView(), composed({0, 0}, Facing::North));
        for (const QChar key : keys) {
            const Qt::Key k = key == 'U'   ? Qt::Key_Up
                              : key == 'D' ? Qt::Key_Down
                              : key == 'L' ? Qt::Key_Left
                                           : Qt::Key_Right;
            QTest::keyClick(mapView(), k);
            QCOMPARE(shownView(), composed(mapView()->square(), mapView()->facing()));
        }
        QCOMPARE(mapView()->square(), (Square{x, y}));
        QCOMPARE(int(mapView()->facing()), facing);
        // Floor squares in reading order: (0,0) (1,0) (2,0) (0,1) (2,1).
        const int index = y == 0 ? x : (x == 0 ? 3 : 4);
        const char* const names[] = {"北", "東", "南", "西"};
        QCOMPARE(in<QLabel>("lblWhere")->text(), QStringLiteral("(%1, %2) %3向き  エリア %4")
                                                     .arg(x)
                                                     .arg(y)
                                                     .arg(names[facing])
                                                     .arg(1 + 4 * index + facing));
    }

    // A click on a floor square goes there, facing as before; rock takes no click.
    void clickSelectsASquare() {
        QTest::mouseClick(mapView(), Qt::LeftButton, {}, mapView()->centreOf({2, 1}));
        QCOMPARE(mapView()->square(), (Square{2, 1}));
        QCOMPARE(shownView(), composed({2, 1}, Facing::North));
        QTest::mouseClick(mapView(), Qt::LeftButton, {}, mapView()->centreOf({1, 1}));
        QCOMPARE(mapView()->square(), (Square{2, 1}));
    }

    void faultsAreShownAndNothingIsWritten_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("unknown character") << "maze.txt" << QByteArray("+-+\n|^X\n+-+\n");
        QTest::newRow("pack not JSON") << "pack.json" << QByteArray("{\"format\": ");
        QTest::newRow("role missing")
            << "pack.json" << packText().replace("\"far_front\"", "\"far_front_\"").toUtf8();
    }
    // The problem in the core's words beside the fields; the fields stay usable.
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
        QTest::mouseClick(in<QPushButton>("cmdExport"), Qt::LeftButton);
        QCOMPARE(QDir(scenario).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void exportWithProgress_data() {
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<QString>("message");
        QTest::newRow("whole") << -1
                               << "20 エリア（1〜20）を書き出しました。開始エリアは 1 です。\n"
                                  "Summary.wsm を書き出しました。";
        QTest::newRow("cancelled while writing")
            << 30 << "書き出しを中止しました。フォルダは元のままです。";
    }
    // The bar counts up to the end; a cancel half way leaves the folder as it was.
    void exportWithProgress() {
        QFETCH(int, cancelAt);
        QFETCH(QString, message);
        writeFile(scenario + "/notes.txt", "mine");
        const auto listing = [this] {
            return QDir(scenario).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        const QStringList before = listing();
        auto* bar = in<QProgressBar>("prgExport");
        QList<int> values;
        bool busy = true; // while it runs, only the cancel button takes a click
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            busy = busy && !in<QPushButton>("cmdExport")->isEnabled() &&
                   !in<QLineEdit>("txtFolder")->isEnabled() &&
                   in<QPushButton>("cmdCancel")->isEnabled();
            if (value == cancelAt)
                QTest::mouseClick(in<QPushButton>("cmdCancel"), Qt::LeftButton);
        });
        ModalScript script({press(QMessageBox::Ok)});
        QTest::mouseClick(in<QPushButton>("cmdExport"), Qt::LeftButton);
        QCOMPARE(script.seen().size(), std::size_t(1));
        QCOMPARE(script.seen()[0].text, message);
        QVERIFY(values.size() > 2);
        QVERIFY(busy);
        if (cancelAt < 0) {
            QCOMPARE(values.last(), bar->maximum());
            QCOMPARE(listAreaFiles(scenario.toStdString()).size(), std::size_t(20));
            QCOMPARE(in<QLineEdit>("txtFirstArea")->text(), "21");
        } else {
            QCOMPARE(values.last(), cancelAt);
            QCOMPARE(listing(), before);
        }
        QVERIFY(in<QPushButton>("cmdExport")->isEnabled());
        QVERIFY(!in<QPushButton>("cmdCancel")->isEnabled());
    }

    // A second export into the same folder offers to renew the first one's areas.
    void exportAgainReplaces() {
        {
            ModalScript first({press(QMessageBox::Ok)});
            QTest::mouseClick(in<QPushButton>("cmdExport"), Qt::LeftButton);
        }
        QCOMPARE(in<QLineEdit>("txtFirstArea")->text(), "21");
        ModalScript again({press(QMessageBox::Yes), press(QMessageBox::Ok)});
        QTest::mouseClick(in<QPushButton>("cmdExport"), Qt::LeftButton);
        QCOMPARE(
            boxes(again),
            (QStringList{box("このフォルダには「maze.dungeon.json」を前に書き出してあります。\n"
                             "そのエリアを置き換えますか？"
                             "「いいえ」なら最初のエリア番号から新しく書き出します。",
                             QMessageBox::Question, "Tarn",
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                             QMessageBox::Yes),
                         box("20 エリア（1〜20）を書き出しました。開始エリアは 1 です。\n"
                             "Summary.wsm はそのままです。",
                             QMessageBox::Information)}));
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
        QTest::mouseClick(in<QPushButton>("cmdOpenView"), Qt::LeftButton);
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
