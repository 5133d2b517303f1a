// The scene as a document: undo and redo of every edit, scene files saved,
// opened (here and in another process), moved, damaged, and the question asked
// before unsaved changes are set aside.
#include "app/canvas_view.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "app/recent_scenes.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/shown_scene.h"
#include "support/test_pictures.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace tarn;
using namespace tarn::test;
using enum QMessageBox::StandardButton;

namespace {

// What the user sees: the canvas, the title, the slot names and the object rows.
struct View {
    QImage canvas;
    QStringList controls;
    bool operator==(const View&) const = default;
};

enum class Edit {
    ChoosePart,
    ClearSlot,
    ClearAll,
    Insert,
    Delete,
    MirrorLeftRight,
    MirrorUpDown,
    MirrorBack,
    ToggleFlag,
    Drag,
    ExchangeRows,
    Gray,
    Sepia,
};

// How the unsaved-changes question was put.
struct Asked {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = NoButton;
    QMessageBox::StandardButton escapeButton = NoButton;
    QStringList buttonTexts; // Save, Discard, Cancel
};

ModalScript::Step answer(QMessageBox::StandardButton which, Asked& asked) {
    return [which, &asked](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (box == nullptr) {
            dialog->reject();
            return;
        }
        asked = {box->windowTitle(),
                 box->text(),
                 box->icon(),
                 box->standardButton(box->defaultButton()),
                 box->standardButton(box->escapeButton()),
                 {}};
        for (QMessageBox::StandardButton b : {Save, Discard, Cancel})
            asked.buttonTexts << (box->button(b) ? box->button(b)->text() : QString());
        press(which)(dialog);
    };
}

ModalScript::Step cancelDialog() {
    return [](QDialog* dialog) { dialog->reject(); };
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestSceneDocument : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<FrmMain> w;
    QString parts; // the folder the window browses: <program>/project/parts

    void open() {
        w = std::make_unique<FrmMain>(folder->context());
        w->load();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QVERIFY(w->changeFolder(parts));
    }
    template <typename T> T* get(const QString& name) const { return w->findChild<T*>(name); }
    QAction* action(const QString& name) const { return get<QAction>(name); }
    View view() const { return {w->canvasView()->shownImage(), shownScene(*w)}; }
    void expectView(const View& expected) const {
        QCOMPARE(shownScene(*w), expected.controls);
        QVERIFY(w->canvasView()->shownImage() == expected.canvas);
    }
    QString scenePath(const QString& name) const { return folder->path("project/" + name); }

    void mouse(QTest::MouseAction a, int list, int row) const {
        const QRect place = w->lst(list)->visualItemRect(w->lst(list)->item(row));
        QTest::mouseEvent(a, w->lst(list)->viewport(), Qt::LeftButton, {}, place.center());
    }
    void click(int list, int row) const { mouse(QTest::MouseClick, list, row); }
    void button(const char* name) const {
        QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
    }
    void insert(int partRow) const {
        click(0, partRow);
        button("cmd_ob(0)");
    }
    // One gesture on the canvas through the window, so that Qt's pointer grab
    // routes the moves: pressed at the first point, released at the last.
    void drag(const QList<QPoint>& path) const {
        const auto at = [this](QPoint p) {
            return w->canvasView()->mapTo(w.get(),
                                          p + QPoint(CanvasView::kBorder, CanvasView::kBorder));
        };
        QTest::mousePress(w->windowHandle(), Qt::LeftButton, {}, at(path.first()));
        for (const QPoint p : path)
            QTest::mouseMove(w->windowHandle(), at(p));
        QTest::mouseRelease(w->windowHandle(), Qt::LeftButton, {}, at(path.last()));
    }
    void keys(QKeyCombination combination) const {
        w->lst(6)->setFocus();
        QTest::keyClick(w->lst(6), combination.key(), combination.keyboardModifiers());
    }

    // Two slots and three objects spread over the canvas, the middle one mirrored.
    void buildScene() {
        click(1, 0); // floor_ug
        click(4, 0); // wall_fl
        const QPoint places[] = {{30, 40}, {200, 60}, {120, 150}};
        for (int r = 0; r < 3; ++r) {
            insert(r);
            click(6, r);
            drag({{5, 5}, places[r]});
        }
        click(6, 1);
        button("cmdChange(0)");
        QCOMPARE(w->lst(7)->count(), 3);
        QCOMPARE(w->scene().objects[1].mirroredLeftRight, true);
    }

    void perform(Edit edit) {
        switch (edit) {
        case Edit::ChoosePart:
            click(2, 0);
            break;
        case Edit::ClearSlot:
            button("cmdClear(4)");
            break;
        case Edit::ClearAll:
            button("Command1");
            break;
        case Edit::Insert:
            insert(2);
            break;
        case Edit::Delete:
            click(6, 1);
            button("cmd_ob(1)");
            break;
        case Edit::MirrorLeftRight:
            click(6, 0);
            button("cmdChange(0)");
            break;
        case Edit::MirrorUpDown:
            click(6, 2);
            button("cmdChange(1)");
            break;
        case Edit::MirrorBack:
            click(6, 1);
            button("cmdChange(0)");
            break;
        case Edit::ToggleFlag:
            click(9, 0);
            break;
        case Edit::Drag:
            click(6, 2);
            drag({{125, 155}, {140, 120}, {90, 100}, {60, 30}, {70, 35}});
            break;
        case Edit::ExchangeRows:
            mouse(QTest::MousePress, 6, 0);
            mouse(QTest::MouseMove, 6, 2);
            mouse(QTest::MouseRelease, 6, 2);
            break;
        case Edit::Gray:
            action("mnuGray")->trigger();
            break;
        case Edit::Sepia:
            action("mnuSepia")->trigger();
            break;
        }
    }

    void saveAs(const QString& path) {
        ModalScript script({typeFileName(path)});
        action("mnuSceneSaveAs")->trigger();
        QCOMPARE(script.seen().size(), std::size_t{1});
    }
    QStringList recentMenu() const {
        QStringList captions;
        for (QAction* a : get<QMenu>("mnuSceneRecent")->actions())
            captions << a->text() + " " + a->toolTip();
        return captions;
    }
    // Another process opens the scene as `tarn SCENE.tarn` does.
    QStringList openElsewhere(const QString& scene, QImage& canvas) const {
        const QString bmp = folder->path("elsewhere.bmp");
        QProcess process;
        process.start(TARN_SCENE_DUMP, {folder->path(), bmp, scene});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            qWarning() << process.readAllStandardError();
            return {};
        }
        canvas = QImage(bmp).convertToFormat(w->canvasView()->shownImage().format());
        return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

  private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        parts = folder->makeFolder("project/parts");
        folder->writePart("project/parts/floor_ug.bmp", part(478, 90, 1));
        folder->writePart("project/parts/wall_bl.bmp", part(120, 200, 2));
        folder->writePart("project/parts/wall_fl.bmp", part(70, 120, 3));
        folder->writePart("project/parts/ob_a.bmp", part(40, 60, 4));
        folder->writePart("project/parts/ob_b.bmp", part(30, 20, 5));
        folder->writePart("project/parts/ob_c.bmp", part(25, 35, 6));
    }
    void cleanup() { w.reset(); }

    void menus() {
        open();
        QStringList bar;
        for (QAction* a : w->menuBar()->actions())
            bar << (a->menu() ? a->menu()->objectName() : a->objectName());
        QCOMPARE(bar.mid(0, 3), (QStringList{"mnuFile", "mnuEdit", "mnuPath"}));
        QStringList file;
        for (QAction* a : get<QMenu>("mnuFile")->actions())
            file << (a->isSeparator()
                         ? QStringLiteral("-")
                         : a->text() + " " + a->shortcut().toString(QKeySequence::PortableText));
        QCOMPARE(file, (QStringList{"新しいシーン(&N) Ctrl+N", "シーンを開く(&O)... Ctrl+O",
                                    "シーンを保存(&V) ", "名前を付けてシーンを保存... ",
                                    "最近使ったシーン(&R) ", "-", "保存(&S) ", "-",
                                    "クリップボードにコピー(&C) Ctrl+C", "-", "終了(&Q) Ctrl+Q"}));
        QCOMPARE(action("mnuSaveAs")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(get<QMenu>("mnuEdit")->title(), "編集(&E)");
        QCOMPARE(action("mnuUndo")->text(), "元に戻す(&U)");
        QCOMPARE(action("mnuUndo")->shortcuts(), QList{QKeySequence("Ctrl+Z")});
        QCOMPARE(action("mnuRedo")->text(), "やり直し(&R)");
        QCOMPARE(action("mnuRedo")->shortcuts(),
                 (QList{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));

        // Enabled only while there is something to undo or redo; a new edit drops the redo.
        const auto enabled = [this] {
            return std::pair{action("mnuUndo")->isEnabled(), action("mnuRedo")->isEnabled()};
        };
        QCOMPARE(enabled(), std::pair(false, false));
        QCOMPARE(w->windowTitle(), "Tarn");
        click(1, 0);
        QCOMPARE(enabled(), std::pair(true, false));
        QCOMPARE(w->windowTitle(), "無題* - Tarn");
        action("mnuUndo")->trigger();
        QCOMPARE(enabled(), std::pair(false, true));
        QCOMPARE(w->windowTitle(), "Tarn");
        action("mnuRedo")->trigger();
        action("mnuUndo")->trigger();
        click(4, 0);
        QCOMPARE(enabled(), std::pair(true, false));
        QCOMPARE(w->use(1)->text(), QString());
    }

    void editsUndoAndRedo_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<bool>("toned"); // the canvas is gray before the edit
        QTest::newRow("choose a part") << Edit::ChoosePart << false;
        QTest::newRow("choose a part on a gray canvas") << Edit::ChoosePart << true;
        QTest::newRow("clear a slot") << Edit::ClearSlot << false;
        QTest::newRow("clear all") << Edit::ClearAll << false;
        QTest::newRow("clear all on a gray canvas") << Edit::ClearAll << true;
        QTest::newRow("insert") << Edit::Insert << false;
        QTest::newRow("delete") << Edit::Delete << false;
        QTest::newRow("mirror left-right") << Edit::MirrorLeftRight << false;
        QTest::newRow("mirror upside-down") << Edit::MirrorUpDown << false;
        QTest::newRow("mirror back") << Edit::MirrorBack << false;
        QTest::newRow("toggle the flag") << Edit::ToggleFlag << false;
        QTest::newRow("drag of many moves") << Edit::Drag << false;
        QTest::newRow("exchange rows") << Edit::ExchangeRows << false;
        QTest::newRow("gray") << Edit::Gray << false;
        QTest::newRow("sepia") << Edit::Sepia << false;
        QTest::newRow("sepia on a gray canvas") << Edit::Sepia << true;
    }

    // Undo from the keyboard with the focus in a list gives back exactly what
    // was shown before the edit, redo exactly what was shown after it.
    void editsUndoAndRedo() {
        QFETCH(Edit, edit);
        QFETCH(bool, toned);
        open();
        buildScene();
        if (toned)
            action("mnuGray")->trigger();
        const View before = view();
        perform(edit);
        const View after = view();
        QVERIFY(after != before);

        keys(Qt::CTRL | Qt::Key_Z);
        expectView(before);
        QVERIFY(action("mnuRedo")->isEnabled());
        keys(Qt::CTRL | Qt::Key_Y);
        expectView(after);
        QVERIFY(!action("mnuRedo")->isEnabled());
        keys(Qt::CTRL | Qt::Key_Z);
        keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        expectView(after);
    }

    // Far more steps than a session needs; the oldest is still there.
    void manyStepsUndo() {
        open();
        buildScene();
        const View start = view();
        constexpr int kToggles = 251; // odd, so the end differs from the start
        for (int i = 0; i < kToggles; ++i)
            click(9, 0);
        const View end = view();
        QVERIFY(end != start);
        for (int i = 0; i < kToggles; ++i)
            action("mnuUndo")->trigger();
        expectView(start);
        QVERIFY(action("mnuUndo")->isEnabled()); // the scene's own building is further back
        for (int i = 0; i < kToggles; ++i)
            action("mnuRedo")->trigger();
        expectView(end);
    }

    // Saved, moved together with its parts folder, opened by another process.
    void savedSceneOpensElsewhere() {
        open();
        buildScene();
        click(6, 2);
        button("cmdChange(1)");
        click(9, 0);
        saveAs(scenePath("dungeon")); // the extension is added
        QVERIFY(QFile::exists(scenePath("dungeon.tarn")));
        QCOMPARE(w->windowTitle(), "dungeon.tarn - Tarn");
        QVERIFY(fileBytes(scenePath("dungeon.tarn")).contains("\"parts/ob_a.bmp\""));
        const View saved = view();

        QVERIFY(QDir().rename(folder->path("project"), folder->path("moved")));
        QImage canvas;
        const QStringList shown = openElsewhere(folder->path("moved/dungeon.tarn"), canvas);
        QStringList expected = saved.controls;
        expected.replaceInStrings(folder->path("project/"), folder->path("moved/"));
        QCOMPARE(shown, expected);
        QVERIFY(canvas == saved.canvas);
    }

    void saveAndSaveAs() {
        open();
        buildScene();
        { // Save without a file asks for one.
            ModalScript first({typeFileName(scenePath("a.tarn"))});
            action("mnuSceneSave")->trigger();
            QCOMPARE(first.seen().size(), std::size_t{1});
            QCOMPARE(first.seen()[0].text, "無題.tarn");
        }
        const QByteArray a = fileBytes(scenePath("a.tarn"));
        QVERIFY(!a.isEmpty());
        click(9, 1);
        QCOMPARE(w->windowTitle(), "a.tarn* - Tarn");
        {
            ModalScript none({});
            action("mnuSceneSave")->trigger();
            QCOMPARE(none.seen().size(), std::size_t{0});
        }
        QCOMPARE(w->windowTitle(), "a.tarn - Tarn");
        const QByteArray changed = fileBytes(scenePath("a.tarn"));
        QVERIFY(changed != a);
        QVERIFY(QDir(folder->path("project")).entryList(QDir::Files) == QStringList{"a.tarn"});

        // Save as over an existing file asks first; No leaves both files as they were.
        writeFile(scenePath("b.tarn"), "old");
        click(9, 1);
        {
            ModalScript refused({typeFileName(scenePath("b.tarn")), press(No)});
            action("mnuSceneSaveAs")->trigger();
            QCOMPARE(refused.seen().size(), std::size_t{2});
            QCOMPARE(refused.seen()[1].text,
                     "「b.tarn」\n同じ名前のファイルが存在します。\n上書きしますか？");
        }
        QCOMPARE(fileBytes(scenePath("b.tarn")), QByteArray("old"));
        QCOMPARE(w->windowTitle(), "a.tarn* - Tarn");
        {
            ModalScript accepted({typeFileName(scenePath("b.tarn")), press(Yes)});
            action("mnuSceneSaveAs")->trigger();
            QCOMPARE(accepted.seen().size(), std::size_t{2});
        }
        QCOMPARE(fileBytes(scenePath("b.tarn")), a);
        QCOMPARE(w->windowTitle(), "b.tarn - Tarn");

        // A write that fails names the file and the reason; the scene stays unsaved.
        click(9, 1);
        const QString nowhere = scenePath("gone/c.tarn");
        ModalScript failed({typeFileName(nowhere), press(Ok)});
        action("mnuSceneSaveAs")->trigger();
        QCOMPARE(failed.seen().size(), std::size_t{2});
        QCOMPARE(failed.seen()[1].title, "Tarn");
        QCOMPARE(failed.seen()[1].text, "シーンファイル「" + nowhere +
                                            "」を保存できませんでした。\n"
                                            "ファイルまたはフォルダーが見つかりません。");
        QCOMPARE(w->windowTitle(), "b.tarn* - Tarn");
    }

    void recentScenes() {
        open();
        QVERIFY(!get<QMenu>("mnuSceneRecent")->menuAction()->isEnabled());
        click(1, 0);
        saveAs(scenePath("a.tarn"));
        click(4, 0);
        saveAs(scenePath("b&c.tarn"));
        const QStringList two = {"&1 b&&c.tarn " + scenePath("b&c.tarn"),
                                 "&2 a.tarn " + scenePath("a.tarn")};
        QCOMPARE(recentMenu(), two);
        QVERIFY(get<QMenu>("mnuSceneRecent")->menuAction()->isEnabled());

        // Kept across runs; choosing one brings it first and shows it.
        w.reset();
        open();
        QCOMPARE(recentMenu(), two);
        action("mnuSceneRecent(1)")->trigger();
        QCOMPARE(w->use(1)->text(), "floor_ug");
        QCOMPARE(w->use(4)->text(), QString());
        QCOMPARE(w->windowTitle(), "a.tarn - Tarn");
        QCOMPARE(recentMenu(), (QStringList{"&1 a.tarn " + scenePath("a.tarn"),
                                            "&2 b&&c.tarn " + scenePath("b&c.tarn")}));

        for (int i = 1; i <= 8; ++i)
            saveAs(scenePath(QStringLiteral("s%1.tarn").arg(i)));
        const QStringList eight = tarn::recentScenes(folder->context().ini());
        QCOMPARE(eight.size(), kMaxRecentScenes);
        QCOMPARE(eight.first(), scenePath("s8.tarn"));
        QCOMPARE(eight.last(), scenePath("s1.tarn"));
        QCOMPARE(recentMenu().size(), kMaxRecentScenes);
    }

    // The parts that cannot be read are named in one message; the rest opens.
    void missingParts() {
        open();
        buildScene();
        button("cmdClear(1)");
        click(6, 1);
        button("cmd_ob(1)");
        const View without = view();
        action("mnuUndo")->trigger();
        action("mnuUndo")->trigger();
        saveAs(scenePath("s.tarn"));
        QVERIFY(QFile::remove(folder->path("project/parts/floor_ug.bmp")));
        QVERIFY(QFile::remove(folder->path("project/parts/ob_b.bmp")));
        {
            ModalScript none({});
            action("mnuSceneNew")->trigger(); // saved: nothing to ask
            QCOMPARE(none.seen().size(), std::size_t{0});
        }
        QCOMPARE(w->use(4)->text(), QString());

        ModalScript script({press(Ok)});
        action("mnuSceneRecent(0)")->trigger();
        QCOMPARE(script.seen().size(), std::size_t{1});
        QCOMPARE(script.seen()[0].title, "Tarn");
        QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(script.seen()[0].text,
                 "シーン「s.tarn」の次のパーツを読み込めなかったため、それを除いて開きました。\n" +
                     folder->path("project/parts/floor_ug.bmp") + "\n" +
                     folder->path("project/parts/ob_b.bmp"));
        QCOMPARE(view().canvas, without.canvas);
        QStringList controls = without.controls;
        controls[0] = "title: s.tarn* - Tarn"; // what is shown is not what the file holds
        QCOMPARE(shownScene(*w), controls);
    }

    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("content"); // "" for no file at all
        QTest::addColumn<QString>("message");    // %1: the file
        const QString damaged = "シーンファイル「%1」は壊れているため開けませんでした。";
        QTest::newRow("cut short") << QByteArray("{\"format\": \"tarn-scene\", \"version\": 1, "
                                                 "\"slots\": {\"ground\": {\"name\": \"fl")
                                   << damaged;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << damaged;
        QTest::newRow("hostile nesting") << QByteArray(200000, '[') << damaged;
        QTest::newRow("wrong field") << QByteArray("{\"format\": \"tarn-scene\", \"version\": 1, "
                                                   "\"slots\": {}, \"objects\": [{\"name\": 5}]}")
                                     << damaged;
        QTest::newRow("too large")
            << QByteArray(2 << 20, ' ') << "シーンファイル「%1」は大きすぎるため開けませんでした。";
        QTest::newRow("another program's JSON")
            << QByteArray("{\"format\": \"tiled\", \"version\": 1}")
            << "「%1」は Tarn のシーンファイルではありません。";
        QTest::newRow("newer version")
            << QByteArray("{\"format\": \"tarn-scene\", \"version\": 2, \"slots\": {}, "
                          "\"objects\": []}")
            << "シーンファイル「%1」は新しいバージョンの Tarn で保存されているため"
               "開けませんでした。";
        QTest::newRow("gone") << QByteArray()
                              << "シーンファイル「%1」を開けませんでした。\n"
                                 "ファイルまたはフォルダーが見つかりません。";
    }

    // A message names the file, and the scene shown, its file and its history stay.
    void damagedFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString bad = scenePath("bad.tarn");
        if (content.isEmpty())
            rememberScene(folder->context().ini(), bad); // a recent scene since removed
        else
            writeFile(bad, content);
        open();
        buildScene();
        saveAs(scenePath("good.tarn"));
        click(9, 0);
        const View before = view();

        std::vector<ModalScript::Step> steps;
        Asked asked;
        steps.push_back(answer(Discard, asked));
        if (!content.isEmpty())
            steps.push_back(typeFileName(bad));
        steps.push_back(press(Ok));
        ModalScript script(steps);
        if (content.isEmpty())
            action("mnuSceneRecent(1)")->trigger();
        else
            action("mnuSceneOpen")->trigger();
        QCOMPARE(script.seen().size(), steps.size());
        QCOMPARE(script.seen().back().title, "Tarn");
        QCOMPARE(script.seen().back().text, message.arg(bad));
        expectView(before);
        QCOMPARE(w->windowTitle(), "good.tarn* - Tarn");
        action("mnuUndo")->trigger();
        QCOMPARE(w->windowTitle(), "good.tarn - Tarn");
        QCOMPARE(tarn::recentScenes(folder->context().ini()), QStringList{scenePath("good.tarn")});
    }

    // `tarn SCENE.tarn` with a file that cannot be used: its message and an empty scene.
    void commandLineWithDamagedScene() {
        writeFile(scenePath("bad.tarn"), "{");
        open();
        const View empty = view();
        QImage canvas;
        const QStringList shown = openElsewhere(scenePath("bad.tarn"), canvas);
        QCOMPARE(shown,
                 empty.controls + QStringList{"message: シーンファイル「" + scenePath("bad.tarn") +
                                              "」は壊れているため開けませんでした。"});
        QVERIFY(canvas == empty.canvas);
    }

    void unsavedQuestion_data() {
        QTest::addColumn<bool>("closing"); // closing the window, else New
        QTest::addColumn<QMessageBox::StandardButton>("reply");
        QTest::addColumn<bool>("saveCancelled"); // the save dialog is cancelled
        for (const bool closing : {false, true}) {
            const char* by = closing ? "close" : "new";
            QTest::addRow("%s, save", by) << closing << Save << false;
            QTest::addRow("%s, save cancelled", by) << closing << Save << true;
            QTest::addRow("%s, discard", by) << closing << Discard << false;
            QTest::addRow("%s, cancel", by) << closing << Cancel << false;
        }
    }

    void unsavedQuestion() {
        QFETCH(bool, closing);
        QFETCH(QMessageBox::StandardButton, reply);
        QFETCH(bool, saveCancelled);
        open();
        const View empty = view();
        buildScene();
        const View edited = view();

        Asked asked;
        std::vector<ModalScript::Step> steps{answer(reply, asked)};
        if (reply == Save)
            steps.push_back(saveCancelled ? cancelDialog() : typeFileName(scenePath("kept")));
        ModalScript script(steps);
        if (closing)
            w->close();
        else
            action("mnuSceneNew")->trigger();
        QCOMPARE(script.seen().size(), steps.size());
        QCOMPARE(asked.title, "Tarn");
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.text, "このシーンへの変更を保存しますか？\n無題");
        QCOMPARE(asked.defaultButton, Save);
        QCOMPARE(asked.escapeButton, Cancel);
        QCOMPARE(asked.buttonTexts, (QStringList{"保存", "破棄", "キャンセル"}));

        const bool saved = reply == Save && !saveCancelled;
        const bool goesOn = saved || reply == Discard;
        QCOMPARE(QFile::exists(scenePath("kept.tarn")), saved);
        if (closing) {
            QCOMPARE(w->isVisible(), !goesOn);
            QCOMPARE(folder->iniValue("MofFirst"), goesOn ? parts : "App.Path");
        } else {
            expectView(goesOn ? empty : edited);
            QCOMPARE(action("mnuUndo")->isEnabled(), !goesOn);
        }
    }

    // Nothing to lose, nothing asked; End leaves at once whatever is unsaved.
    void noQuestionWithoutChanges() {
        open();
        buildScene();
        saveAs(scenePath("s.tarn"));
        ModalScript script({});
        action("mnuSceneNew")->trigger();
        QCOMPARE(w->windowTitle(), "Tarn");
        click(1, 0);
        int exits = 0;
        w->setExitHandler([&] { ++exits; });
        action("mnuEnd")->trigger();
        QCOMPARE(exits, 1);
        action("mnuUndo")->trigger();
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(script.seen().size(), std::size_t{0});
    }
};

QTEST_MAIN(TestSceneDocument)
#include "tst_scene_document.moc"
