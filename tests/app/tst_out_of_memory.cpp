// User actions while picture-sized allocations fail: the window tells the user
// once, shows exactly what it showed before, and the same action works once
// memory is back. Actions that need no picture-sized memory just work.
#include "document/scene_file.h"
#include "support/allocation_faults.h"
#include "support/main_window.h"
#include "support/modal_script.h"
#include "support/shown_scene.h"
#include "support/test_pictures.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace tarn;
using namespace tarn::test;
using enum QMessageBox::StandardButton;

namespace {

// What the user does: a button or menu command by its name, a click on a list's
// first row ("lst(n)"), a drag of the first object row onto the second or a part
// dropped from a file manager. The shortage begins as it is done, or as the file
// dialog it opens is answered.
struct ActionRow {
    QString what;
    int clickFirst = -1; // the list whose first row is clicked before
    QString file = {};
    bool discardFirst = false; // the question about the unsaved scene, before the file dialog
    bool needsPictureMemory = true;
};

// What the user sees: the canvas, the scene beside it with the program folder left
// out of the paths so that two folders compare, and the files in the folder.
struct Shown {
    QImage canvas;
    QStringList scene, files;
    bool operator==(const Shown&) const = default;
};

} // namespace

Q_DECLARE_METATYPE(ActionRow)

class TestOutOfMemory : public QObject, MainWindowTest {
    Q_OBJECT

    bool short_ = false;
    std::optional<FailingAllocations> failing_;

    void arm() {
        if (short_)
            failing_.emplace(Fault{.minBytes = kPictureSized});
    }

    // A front-left wall and two objects, unsaved; a ground, the parts and a
    // scene file to use.
    void openScene() {
        folder = std::make_unique<ProgramFolder>();
        folder->writePart("wall_fl.bmp", part(200, 120, 1));
        folder->writePart("floor_ug.bmp", part(200, 120, 2));
        folder->writePart("ob_a.bmp", part(150, 150, 3)); // picture-sized
        folder->writePart("ob_b.bmp", part(40, 30, 4));
        SceneFileData scene;
        scene.terrain[0] = {"floor_ug", folder->path("floor_ug.bmp").toStdString()};
        scene.objects.push_back(
            {"ob_a", folder->path("ob_a.bmp").toStdString(), 5, 6, Layer::InFront, false, false});
        QVERIFY(writeSceneFile(folder->path("scene.tarn").toStdString(), scene).ok());
        open();
        click(4, 0);
        insert(0);
        insert(1);
        w->document().moveObject(1, 150, 20);
    }
    Shown shown() const {
        return {canvas(), shownScene(*w).replaceInStrings(folder->path(), "<folder>"),
                QDir(folder->path()).entryList(QDir::Files)};
    }

    void act(const ActionRow& row) {
        if (row.clickFirst >= 0)
            click(row.clickFirst, 0);
        if (row.what == "drop") {
            QVERIFY(dropOn(w.get(), {QUrl::fromLocalFile(folder->path("ob_a.bmp"))},
                           [this] { arm(); }));
            return;
        }
        if (row.file.isEmpty())
            arm();
        if (row.what == "drag")
            exchange(0, 1);
        else if (row.what.startsWith("lst("))
            click(row.what.mid(4).chopped(1).toInt(), 0);
        else if (QAction* command = action(row.what))
            command->trigger();
        else
            button(row.what);
    }
    // The row run, short of memory from its moment on if `shortOfMemory`: the boxes
    // after its own dialogs.
    QStringList perform(const ActionRow& row, bool shortOfMemory) {
        short_ = shortOfMemory;
        std::vector<ModalScript::Step> steps;
        if (row.discardFirst)
            steps.push_back(press(Discard));
        if (!row.file.isEmpty())
            steps.push_back([this, &row](QDialog* dialog) {
                arm();
                typeFileName(folder->path(row.file))(dialog);
            });
        const auto own = static_cast<qsizetype>(steps.size());
        steps.push_back(press(Ok));
        ModalScript script(steps);
        act(row);
        const bool armed = failing_.has_value();
        failing_.reset();
        [&] { QCOMPARE(armed, shortOfMemory); }();
        return boxes(script).mid(own);
    }

    static inline const QString kOutOfMemory = box(
        "メモリが足りないため、この操作を取り消しました。", QMessageBox::Critical, "Tarn", Ok, Ok);

  private slots:
    void cleanup() { w.reset(); }

    void failedActionChangesNothing_data() {
        QTest::addColumn<ActionRow>("row");
        QTest::newRow("choose a terrain part") << ActionRow{"lst(1)"};
        QTest::newRow("add an object") << ActionRow{"cmd_ob(0)", 0};
        QTest::newRow("delete an object") << ActionRow{"cmd_ob(1)", 6};
        QTest::newRow("mirror") << ActionRow{"cmdChange(0)", 6};
        // The press fails; the release of the same drag must exchange nothing.
        QTest::newRow("drag a row onto another") << ActionRow{"drag"};
        QTest::newRow("drop a part") << ActionRow{"drop"};
        QTest::newRow("open a scene") << ActionRow{"mnuSceneOpen", -1, "scene.tarn", true};
        QTest::newRow("save the picture") << ActionRow{"mnuSaveAs", -1, "out.bmp"};
        // Toned in place: a tone that silently failed would show the colours.
        QTest::newRow("gray") << ActionRow{"mnuGray", -1, {}, false, false};
    }

    void failedActionChangesNothing() {
        QFETCH(ActionRow, row);
        openScene();
        QVERIFY(!perform(row, false).contains(kOutOfMemory));
        const Shown expected = shown();
        w.reset();
        openScene();
        const Shown before = shown();
        QVERIFY(expected != before);
        const bool told = row.needsPictureMemory;
        QCOMPARE(perform(row, true), told ? QStringList{kOutOfMemory} : QStringList());
        QVERIFY(shown() == (told ? before : expected));
        if (told) {
            QVERIFY(!perform(row, false).contains(kOutOfMemory));
            QVERIFY(shown() == expected);
        }
    }
};

QTEST_MAIN(TestOutOfMemory)
#include "tst_out_of_memory.moc"
