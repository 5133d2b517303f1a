// User actions while picture-sized allocations fail: the window tells the user
// once, shows exactly what it showed before, and the same action works once
// memory is back. Actions that need no picture-sized memory just work.
#include "app/canvas_view.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "document/scene_file.h"
#include "support/allocation_faults.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/shown_scene.h"
#include "support/test_pictures.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>
#include <optional>

using namespace tarn;
using namespace tarn::test;

namespace {

// What the user is doing, with the moment the shortage begins.
struct Ui {
    FrmMain& w;
    const ProgramFolder& folder;
    std::function<void()> arm;
};

struct ActionRow {
    std::function<void(Ui&)> run;
    // Dialogs the action opens before the failure, answered as a user would.
    std::function<std::vector<ModalScript::Step>(Ui&)> dialogs = [](Ui&) {
        return std::vector<ModalScript::Step>{};
    };
    bool needsPictureMemory = true;
};

const QString kOutOfMemory = QStringLiteral("メモリが足りないため、この操作を取り消しました。");

void clickRow(const FrmMain& w, int list, int row) {
    const QRect place = w.lst(list)->visualItemRect(w.lst(list)->item(row));
    QTest::mouseClick(w.lst(list)->viewport(), Qt::LeftButton, {}, place.center());
}

void click(const FrmMain& w, const char* button) {
    QTest::mouseClick(w.findChild<QAbstractButton*>(button), Qt::LeftButton);
}

void trigger(const FrmMain& w, const char* action) {
    w.findChild<QAction*>(action)->trigger();
}

// Arms the shortage, then answers the dialog with `step`.
ModalScript::Step armed(Ui& ui, ModalScript::Step step) {
    return [&ui, step](QDialog* dialog) {
        ui.arm();
        step(dialog);
    };
}

// The scene shown, with the program folder left out of the paths so that two
// folders compare.
QStringList shownIn(const FrmMain& w, const ProgramFolder& folder) {
    return shownScene(w).replaceInStrings(folder.path(), QStringLiteral("<folder>"));
}

} // namespace

Q_DECLARE_METATYPE(ActionRow)

class TestOutOfMemory : public QObject {
    Q_OBJECT

    // A front-left wall and two objects, unsaved; a ground, the parts and a
    // scene file to use.
    static std::unique_ptr<FrmMain> openWindow(const ProgramFolder& folder) {
        folder.writePart("wall_fl.bmp", part(200, 120, 1));
        folder.writePart("floor_ug.bmp", part(200, 120, 2));
        folder.writePart("ob_a.bmp", part(150, 150, 3)); // picture-sized
        folder.writePart("ob_b.bmp", part(40, 30, 4));
        SceneFileData scene;
        scene.terrain[0] = {"floor_ug", folder.path("floor_ug.bmp").toStdString()};
        scene.objects.push_back(
            {"ob_a", folder.path("ob_a.bmp").toStdString(), 5, 6, Layer::InFront, false, false});
        if (!writeSceneFile(folder.path("scene.tarn").toStdString(), scene).ok())
            return nullptr;
        auto w = std::make_unique<FrmMain>(folder.context());
        w->load();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            return nullptr;
        clickRow(*w, 4, 0);
        for (int row : {0, 1}) {
            clickRow(*w, 0, row);
            click(*w, "cmd_ob(0)");
        }
        w->document().moveObject(1, 150, 20);
        w->document().endGesture();
        return w;
    }

    // With memory to spare: no shortage is told.
    static void perform(const ActionRow& row, Ui& ui) {
        ModalScript script(row.dialogs(ui));
        row.run(ui);
        for (const SeenDialog& seen : script.seen())
            QVERIFY2(seen.text != kOutOfMemory, "memory ran short with none held back");
    }

  private slots:
    void failedActionChangesNothing_data() {
        QTest::addColumn<ActionRow>("row");
        QTest::newRow("choose a terrain part") << ActionRow{[](Ui& ui) {
            ui.arm();
            clickRow(ui.w, 1, 0);
        }};
        QTest::newRow("add an object") << ActionRow{[](Ui& ui) {
            clickRow(ui.w, 0, 0);
            ui.arm();
            click(ui.w, "cmd_ob(0)");
        }};
        QTest::newRow("delete an object") << ActionRow{[](Ui& ui) {
            clickRow(ui.w, 6, 0);
            ui.arm();
            click(ui.w, "cmd_ob(1)");
        }};
        QTest::newRow("mirror") << ActionRow{[](Ui& ui) {
            clickRow(ui.w, 6, 0);
            ui.arm();
            click(ui.w, "cmdChange(0)");
        }};
        // The press fails; the release of the same drag must exchange nothing.
        QTest::newRow("drag a row onto another") << ActionRow{[](Ui& ui) {
            ListBox* names = ui.w.lst(6);
            const auto at = [names](int row) {
                return names->visualItemRect(names->item(row)).center();
            };
            ui.arm();
            QTest::mousePress(names->viewport(), Qt::LeftButton, {}, at(0));
            QTest::mouseMove(names->viewport(), at(1));
            QTest::mouseRelease(names->viewport(), Qt::LeftButton, {}, at(1));
        }};
        QTest::newRow("drop a part") << ActionRow{[](Ui& ui) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(ui.folder.path("ob_a.bmp"))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&ui.w, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            ui.arm();
            QApplication::sendEvent(&ui.w, &drop);
        }};
        QTest::newRow("open a scene")
            << ActionRow{[](Ui& ui) { trigger(ui.w, "mnuSceneOpen"); },
                         [](Ui& ui) {
                             return std::vector<ModalScript::Step>{
                                 press(QMessageBox::Discard),
                                 armed(ui, typeFileName(ui.folder.path("scene.tarn")))};
                         }};
        QTest::newRow("save the picture")
            << ActionRow{[](Ui& ui) { trigger(ui.w, "mnuSaveAs"); },
                         [](Ui& ui) {
                             return std::vector<ModalScript::Step>{
                                 armed(ui, typeFileName(ui.folder.path("out.bmp")))};
                         }};
        // Toned in place: a tone that silently failed would show the colours.
        QTest::newRow("gray") << ActionRow{[](Ui& ui) {
                                               ui.arm();
                                               trigger(ui.w, "mnuGray");
                                           },
                                           [](Ui&) { return std::vector<ModalScript::Step>{}; },
                                           false};
    }

    void failedActionChangesNothing() {
        QFETCH(ActionRow, row);
        // What the action shows with memory to spare.
        ProgramFolder spare;
        std::unique_ptr<FrmMain> reference = openWindow(spare);
        QVERIFY(reference);
        Ui plain{*reference, spare, [] {}};
        perform(row, plain);
        const QImage expectedCanvas = reference->canvasView()->shownImage();
        const QStringList expectedScene = shownIn(*reference, spare);
        const QStringList expectedFiles = QDir(spare.path()).entryList(QDir::Files);
        reference.reset();

        ProgramFolder folder;
        std::unique_ptr<FrmMain> w = openWindow(folder);
        QVERIFY(w);
        const QImage before = w->canvasView()->shownImage();
        const QStringList sceneBefore = shownIn(*w, folder);
        const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);
        QVERIFY(expectedCanvas != before || expectedScene != sceneBefore ||
                expectedFiles != filesBefore);

        std::optional<FailingAllocations> failing;
        Ui ui{*w, folder, [&failing] { failing.emplace(Fault{.minBytes = kPictureSized}); }};
        bool okIsDefault = false;
        std::vector<ModalScript::Step> steps = row.dialogs(ui);
        steps.push_back([&okIsDefault](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            okIsDefault = box && box->defaultButton() == box->button(QMessageBox::Ok);
            if (box && box->defaultButton())
                box->defaultButton()->click();
            else
                dialog->reject();
        });
        {
            ModalScript script(steps);
            row.run(ui);
            QVERIFY(failing);
            failing->disarm();
            if (!row.needsPictureMemory) {
                QCOMPARE(script.seen().size(), steps.size() - 1);
                QCOMPARE(w->canvasView()->shownImage(), expectedCanvas);
                QCOMPARE(shownIn(*w, folder), expectedScene);
                return;
            }
            QVERIFY(failing->failures() > 0);
            QCOMPARE(script.seen().size(), steps.size());
            const SeenDialog& told = script.seen().back();
            QCOMPARE(told.title, QStringLiteral("Tarn"));
            QCOMPARE(told.text, kOutOfMemory);
            QCOMPARE(told.icon, QMessageBox::Critical);
            QCOMPARE(told.buttons, QMessageBox::Ok);
            QVERIFY(okIsDefault);
        }
        QCOMPARE(w->canvasView()->shownImage(), before);
        QCOMPARE(shownIn(*w, folder), sceneBefore);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), filesBefore);

        failing.reset();
        Ui again{*w, folder, [] {}};
        perform(row, again);
        QCOMPARE(w->canvasView()->shownImage(), expectedCanvas);
        QCOMPARE(shownIn(*w, folder), expectedScene);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), expectedFiles);
    }
};

QTEST_MAIN(TestOutOfMemory)
#include "tst_out_of_memory.moc"
