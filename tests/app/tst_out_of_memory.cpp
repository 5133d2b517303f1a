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

#include <functional>
#include <optional>

using namespace tarn;
using namespace tarn::test;
using enum QMessageBox::StandardButton;
using enum QMessageBox::Icon;

class TestOutOfMemory;

namespace {

// What the user does; the test's `arm` begins the shortage at the right moment.
struct ActionRow {
    std::function<void(TestOutOfMemory&)> run;
    bool needsPictureMemory = true;
    // Dialogs the action opens before the failure, answered as a user would.
    std::function<std::vector<ModalScript::Step>(TestOutOfMemory&)> dialogs = [](TestOutOfMemory&) {
        return std::vector<ModalScript::Step>{};
    };
};

const QString kOutOfMemory = QStringLiteral("メモリが足りないため、この操作を取り消しました。");

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

    std::function<void()> arm;

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

    // With memory to spare: no shortage is told.
    void perform(const ActionRow& row) {
        arm = [] {};
        ModalScript script(row.dialogs(*this));
        row.run(*this);
        for (const SeenDialog& seen : script.seen())
            QVERIFY2(seen.text != kOutOfMemory, "memory ran short with none held back");
    }

    // A row clicked, then a button pressed as the shortage begins.
    static ActionRow pressAfter(int list, int row, const char* name) {
        return {[=](TestOutOfMemory& t) {
            t.click(list, row);
            t.arm();
            t.button(name);
        }};
    }
    // A menu command whose file dialog is answered as the shortage begins, after `first` if any.
    static ActionRow fileChosen(const char* command, const QString& file,
                                QMessageBox::StandardButton first = NoButton) {
        return {[=](TestOutOfMemory& t) { t.action(command)->trigger(); }, true,
                [=](TestOutOfMemory& t) {
                    std::vector<ModalScript::Step> steps;
                    if (first != NoButton)
                        steps.push_back(press(first));
                    steps.push_back([&t, file](QDialog* dialog) {
                        t.arm();
                        typeFileName(t.folder->path(file))(dialog);
                    });
                    return steps;
                }};
    }

  private slots:
    void cleanup() {
        w.reset();
        arm = {};
    }

    void failedActionChangesNothing_data() {
        QTest::addColumn<ActionRow>("row");
        QTest::newRow("choose a terrain part") << ActionRow{[](TestOutOfMemory& t) {
            t.arm();
            t.click(1, 0);
        }};
        QTest::newRow("add an object") << pressAfter(0, 0, "cmd_ob(0)");
        QTest::newRow("delete an object") << pressAfter(6, 0, "cmd_ob(1)");
        QTest::newRow("mirror") << pressAfter(6, 0, "cmdChange(0)");
        // The press fails; the release of the same drag must exchange nothing.
        QTest::newRow("drag a row onto another") << ActionRow{[](TestOutOfMemory& t) {
            t.arm();
            t.exchange(0, 1);
        }};
        QTest::newRow("drop a part") << ActionRow{[](TestOutOfMemory& t) {
            QVERIFY(dropOn(t.w.get(), {QUrl::fromLocalFile(t.folder->path("ob_a.bmp"))}, t.arm));
        }};
        QTest::newRow("open a scene") << fileChosen("mnuSceneOpen", "scene.tarn", Discard);
        QTest::newRow("save the picture") << fileChosen("mnuSaveAs", "out.bmp");
        // Toned in place: a tone that silently failed would show the colours.
        QTest::newRow("gray") << ActionRow{[](TestOutOfMemory& t) {
                                               t.arm();
                                               t.action("mnuGray")->trigger();
                                           },
                                           false};
    }

    void failedActionChangesNothing() {
        QFETCH(ActionRow, row);
        openScene(); // what the action shows with memory to spare
        perform(row);
        const Shown expected = shown();
        w.reset();
        openScene();
        const Shown before = shown();
        QVERIFY(expected != before);

        std::optional<FailingAllocations> failing;
        arm = [&failing] { failing.emplace(Fault{.minBytes = kPictureSized}); };
        std::vector<ModalScript::Step> steps = row.dialogs(*this);
        steps.push_back(press(Ok));
        {
            ModalScript script(steps);
            row.run(*this);
            QVERIFY(failing);
            failing->disarm();
            if (!row.needsPictureMemory) {
                QCOMPARE(script.seen().size(), steps.size() - 1);
                QVERIFY(shown() == expected);
                return;
            }
            QVERIFY(failing->failures() > 0);
            QCOMPARE(script.seen().size(), steps.size());
            QCOMPARE(boxes(script).back(), box(kOutOfMemory, Critical, "Tarn", Ok, Ok));
        }
        QVERIFY(shown() == before);
        failing.reset();
        perform(row);
        QVERIFY(shown() == expected);
    }
};

QTEST_MAIN(TestOutOfMemory)
#include "tst_out_of_memory.moc"
