// The scene as a document: undo and redo of every edit, scene files saved,
// opened, damaged, the questions asked before changes are set aside, and user
// actions while picture-sized allocations fail.
#include "app/common/recent_scenes.h"
#include "app/common/recovered_scenes.h"
#include "app/dialogs/frm_write.h"
#include "support/allocation_faults.h"
#include "support/main_window.h"
#include "support/shown_scene.h"
#include "support/test_pictures.h"

#include <QtWidgets>

#include <sys/stat.h>

#include <fstream>
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
    bool needsPictureMemory = true;
};

} // namespace

Q_DECLARE_METATYPE(ActionRow)

class TestSceneDocument : public QObject, MainWindowTest {
    Q_OBJECT

    QString parts; // the folder the window browses: <program>/project/parts

    void open() {
        MainWindowTest::open();
        activate();
        QVERIFY(w->changeFolder(parts));
    }
    // The part selected in each slot's list: undo, redo, New and opening a scene select them
    // as a click would have.
    QString chosen() const {
        QStringList names;
        for (int list = 1; list <= kSlotCount; ++list) {
            const QListWidgetItem* item = w->lst(list)->selectedItems().value(0);
            names << (item ? item->text() : "");
        }
        return "chosen: " + names.join('|');
    }
    // What the user sees: the canvas (by its pixels' hash), the title, the slots, the parts
    // chosen in their lists and the rows.
    QStringList view() const {
        const QImage& shown = canvas();
        return QStringList{QString::number(qHashBits(shown.constBits(), shown.sizeInBytes())),
                           chosen()} +
               shownScene(*w);
    }
    QString scenePath(const QString& name) const { return folder->path("project/" + name); }

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
    }

    void saveAs(const QString& path) {
        QCOMPARE(run("mnuSceneSaveAs", {typeFileName(path)}).size(), 1);
    }
    QStringList recentMenu() const {
        QStringList captions;
        for (QAction* a : get<QMenu>("mnuSceneRecent")->actions())
            captions << a->text() + " " + a->toolTip();
        return captions;
    }
    static inline const QString kOutOfMemory = box(
        "メモリが足りないため、この操作を取り消しました。", QMessageBox::Critical, "Tarn", Ok, Ok);
    bool short_ = false;
    std::optional<FailingAllocations> failing_;

    void arm() {
        if (short_)
            failing_.emplace(Fault{.minBytes = kPictureSized});
    }
    // buildScene()'s scene, saved, then changed.
    void openSaved() {
        open();
        buildScene();
        saveAs(scenePath("s.tarn"));
        click(9, 0);
    }
    // The view and the files, without the folder's name so that two folders compare.
    QStringList shown() const {
        return (view() + QDir(folder->path()).entryList(QDir::Files))
            .replaceInStrings(folder->path(), "<folder>");
    }

    // The row run, short of memory from its moment on if `shortOfMemory`: the boxes
    // after its own dialogs.
    QStringList perform(const ActionRow& row, bool shortOfMemory) {
        short_ = shortOfMemory;
        std::vector<ModalScript::Step> steps;
        if (row.what == "mnuSceneOpen")
            steps.push_back(press(Discard));
        if (!row.file.isEmpty())
            steps.push_back([this, &row](QDialog* dialog) {
                arm();
                typeFileName(folder->path(row.file))(dialog);
            });
        const auto own = static_cast<qsizetype>(steps.size());
        steps.push_back(press(Ok));
        ModalScript script(steps);
        if (row.clickFirst >= 0)
            click(row.clickFirst, 0);
        if (row.file.isEmpty() && row.what != "drop")
            arm();
        if (row.what == "drop")
            dropOn(w.get(), {QUrl::fromLocalFile(parts + "/ob_a.bmp")}, [this] { arm(); });
        else if (row.what == "drag")
            exchange(0, 1);
        else if (row.what.startsWith("lst("))
            click(row.what.mid(4).chopped(1).toInt(), 0);
        else if (QAction* command = action(row.what))
            command->trigger();
        else
            button(row.what);
        failing_.reset();
        return boxes(script).mid(own);
    }

  private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        parts = folder->makeFolder("project/parts");
        const std::tuple<QString, int, int> sizes[] = {{"floor_ug", 478, 90}, {"wall_bl", 120, 200},
                                                       {"wall_fl", 70, 120},  {"ob_a", 150, 150},
                                                       {"ob_b", 30, 20},      {"ob_c", 25, 35}};
        int seed = 0;
        for (const auto& [name, width, height] : sizes)
            folder->writePart("project/parts/" + name + ".bmp", part(width, height, ++seed));
    }
    void cleanup() { w.reset(); }

    // Every kind of edit on the scene buildScene() gives: a click on a list row, then a
    // button, a menu command or a gesture.
    void editsUndoAndRedo_data() {
        QTest::addColumn<int>("list"); // -1: no row clicked
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("toned");    // the canvas is gray before the edit
        QTest::addColumn<QString>("named"); // in the undo and redo entries
        for (const bool toned : {false, true}) {
            const char* gray = toned ? " on a gray canvas" : "";
            QTest::addRow("choose a part%s", gray) << 2 << 0 << "" << toned << "パーツの選択";
            QTest::addRow("clear all%s", gray) << -1 << 0 << "Command1" << toned << "オールクリア";
            QTest::addRow("sepia%s", gray) << -1 << 0 << "mnuSepia" << toned << "セピア";
        }
        QTest::newRow("clear a slot") << -1 << 0 << "cmdClear(4)" << false << "クリア";
        QTest::newRow("insert") << 0 << 2 << "cmd_ob(0)" << false << "挿入";
        QTest::newRow("delete") << 6 << 1 << "cmd_ob(1)" << false << "削除";
        QTest::newRow("mirror left-right") << 6 << 0 << "cmdChange(0)" << false << "反転";
        QTest::newRow("mirror upside-down") << 6 << 2 << "cmdChange(1)" << false << "反転";
        QTest::newRow("mirror back") << 6 << 1 << "cmdChange(0)" << false << "反転";
        QTest::newRow("toggle the flag") << 9 << 0 << "" << false << "F/T の切り替え";
        QTest::newRow("drag of many moves") << 6 << 2 << "drag" << false << "移動";
        QTest::newRow("exchange rows") << -1 << 0 << "exchange" << false << "入れ替え";
        QTest::newRow("gray") << -1 << 0 << "mnuGray" << false << "グレースケール";
        QTest::newRow("redraw of a gray canvas") << 0 << 1 << "" << true << "再描画";
    }

    // Undo from the keyboard with the focus in a list gives back exactly what was shown before
    // the edit, redo exactly what was shown after it; each menu entry is enabled only while
    // there is something to undo or redo, and names the edit it would undo or redo.
    void editsUndoAndRedo() {
        QFETCH(int, list);
        QFETCH(int, row);
        QFETCH(QString, then);
        QFETCH(bool, toned);
        QFETCH(QString, named);
        open();
        QVERIFY(!action("mnuUndo")->isEnabled() && !action("mnuRedo")->isEnabled());
        buildScene();
        if (toned)
            action("mnuGray")->trigger();
        const QStringList before = view();
        if (list >= 0)
            click(list, row);
        if (then == "drag")
            drag({{125, 155}, {140, 120}, {90, 100}, {60, 30}, {70, 35}});
        else if (then == "exchange")
            exchange(0, 2);
        else if (then.startsWith("mnu"))
            action(then)->trigger();
        else if (!then.isEmpty())
            button(then);
        const QStringList after = view();
        QVERIFY(after != before);
        QCOMPARE(action("mnuUndo")->text(), "元に戻す: " + named + "(&U)");

        w->lst(6)->setFocus();
        QTest::keyClick(w->lst(6), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(view(), before);
        QVERIFY(action("mnuRedo")->isEnabled());
        QCOMPARE(action("mnuRedo")->text(), "やり直し: " + named + "(&R)");
        QTest::keyClick(w->lst(6), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(view(), after);
        QVERIFY(!action("mnuRedo")->isEnabled());
        QCOMPARE(action("mnuRedo")->text(), "やり直し(&R)");
        QTest::keyClick(w->lst(6), Qt::Key_Z, Qt::ControlModifier);
        click(9, 1); // a new edit drops what could be redone
        QVERIFY(!action("mnuRedo")->isEnabled());
    }

    void saveAndSaveAs() {
        open();
        buildScene();
        // Save without a file asks for one.
        QCOMPARE(run("mnuSceneSave", {typeFileName(scenePath("a"))}), // the extension is added
                 QStringList{box("無題.tarn", QMessageBox::NoIcon, "名前を付けてシーンを保存", 0)});
        const QByteArray a = fileBytes(scenePath("a.tarn"));
        click(9, 1);
        QCOMPARE(w->windowTitle(), "a.tarn* - Tarn");
        QCOMPARE(run("mnuSceneSave", {}), QStringList());
        QCOMPARE(w->windowTitle(), "a.tarn - Tarn");
        QVERIFY(QDir(folder->path("project")).entryList(QDir::Files) == QStringList{"a.tarn"});

        // Save as over an existing file asks first; No leaves both files as they were.
        writeFile(scenePath("b.tarn"), "old");
        click(9, 1);
        QCOMPARE(run("mnuSceneSaveAs", {typeFileName(scenePath("b.tarn")), press(No)}).mid(1),
                 QStringList{replaceQuestion("b.tarn")});
        QCOMPARE(fileBytes(scenePath("b.tarn")), QByteArray("old"));
        QCOMPARE(w->windowTitle(), "a.tarn* - Tarn");
        QCOMPARE(run("mnuSceneSaveAs", {typeFileName(scenePath("b.tarn")), press(Yes)}).size(), 2);
        QCOMPARE(fileBytes(scenePath("b.tarn")), a);
        QCOMPARE(w->windowTitle(), "b.tarn - Tarn");

        // A pipe in the file's place is refused without the question, naming the file and the
        // reason, and stays; the scene stays unsaved.
        click(9, 1);
        const QString pipe = scenePath("p.tarn");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0644) == 0);
        QCOMPARE(run("mnuSceneSaveAs", {typeFileName(pipe), press(Ok)}).mid(1),
                 QStringList{box("シーンファイル「" + pipe +
                                 "」を保存できませんでした。\n通常のファイルではありません。")});
        QVERIFY(!QFileInfo(pipe).isFile());
        QCOMPARE(w->windowTitle(), "b.tarn* - Tarn");

        // A scene named in bytes that are no UTF-8, as the command line gives
        // them, is saved back into that very file.
        const QByteArray odd = QFile::encodeName(folder->path("project")) + "/sj\x82\xa0.tarn";
        QVERIFY(::rename(QFile::encodeName(scenePath("a.tarn")).constData(), odd.constData()) == 0);
        QVERIFY(w->openScene(odd.toStdString()));
        click(9, 1);
        QCOMPARE(run("mnuSceneSave", {}), QStringList());
        std::ifstream in(odd.constData(), std::ios::binary);
        const std::string saved{std::istreambuf_iterator<char>(in), {}};
        ::unlink(odd.constData()); // QTemporaryDir cannot remove what Qt cannot name
        QCOMPARE(QByteArray::fromStdString(saved), a);
    }

    // Kept across runs, the latest first and at most eight; choosing one brings it first and
    // shows it.
    void recentScenes() {
        open();
        QVERIFY(!get<QMenu>("mnuSceneRecent")->menuAction()->isEnabled());
        click(1, 0);
        for (int i = 1; i <= kMaxRecentScenes; ++i)
            saveAs(scenePath(QStringLiteral("s%1.tarn").arg(i)));
        click(4, 0);
        saveAs(scenePath("b&c.tarn"));
        QVERIFY(get<QMenu>("mnuSceneRecent")->menuAction()->isEnabled());
        w.reset();
        open();
        const QStringList menu = recentMenu();
        QCOMPARE(tarn::recentScenes(folder->context().ini()).size(), kMaxRecentScenes);
        QCOMPARE((QStringList{menu[0], menu[1], menu.last()}),
                 (QStringList{"&1 b&&c.tarn " + scenePath("b&c.tarn"),
                              "&2 s8.tarn " + scenePath("s8.tarn"),
                              "&8 s2.tarn " + scenePath("s2.tarn")}));
        action("mnuSceneRecent(1)")->trigger();
        QCOMPARE(chosen(), "chosen: floor_ug||||");
        QCOMPARE(w->windowTitle(), "s8.tarn - Tarn");
        QCOMPARE(recentMenu().mid(0, 2), (QStringList{"&1 s8.tarn " + scenePath("s8.tarn"),
                                                      "&2 b&&c.tarn " + scenePath("b&c.tarn")}));
    }

    // The parts that cannot be read are named in one message and stay, marked,
    // with their recorded paths as tips; the canvas lacks them; delete and undo
    // treat them as any row.
    void missingParts() {
        open();
        buildScene();
        button("cmdClear(1)");
        click(6, 1);
        button("cmd_ob(1)");
        const QString without = view().first(); // the canvas
        action("mnuUndo")->trigger();
        action("mnuUndo")->trigger();
        saveAs(scenePath("s.tarn"));
        QStringList expected = view();
        const QString floor = folder->path("project/parts/floor_ug.bmp");
        const QString ob = folder->path("project/parts/ob_b.bmp");
        QVERIFY(QFile::remove(floor) && QFile::remove(ob));
        action("mnuSceneNew")->trigger();

        QCOMPARE(run("mnuSceneRecent(0)", {press(Ok)}),
                 QStringList{box("シーン「s.tarn」の次のパーツを読み込めませんでした。"
                                 "パーツはシーンに残してありますが、表示されません。\n" +
                                 floor + "\n" + ob)});
        expected[0] = without;
        expected.replaceInStrings("use(1): floor_ug", "use(1): × floor_ug（読み込めません）");
        expected.replaceInStrings("|ob_b|", "|× ob_b（読み込めません）|");
        QCOMPARE(view(), expected);
        QCOMPARE((QStringList{w->use(1)->toolTip(), w->lst(6)->item(1)->toolTip(),
                              w->lst(6)->item(2)->toolTip()}),
                 (QStringList{floor, ob, ""}));

        click(6, 1);
        button("cmd_ob(1)");
        QCOMPARE(w->lst(6)->item(1)->toolTip(), QString());
        action("mnuUndo")->trigger();
        QCOMPARE(view(), expected);

        // Not exported without them: they are named, and nothing is written.
        action("mnuWrte")->trigger();
        auto* dialog = w->findChild<FrmWrite*>("frmWrite");
        const QString out = folder->makeFolder("out");
        dialog->findChild<QLineEdit*>("txtFolder")->setText(out);
        ModalScript script({press(Ok)});
        dialog->findChild<QPushButton*>("OKButton")->click();
        QCOMPARE(boxes(script), QStringList{box("次のパーツを読み込めないため、書き出しません。\n" +
                                                floor + "\n" + ob)});
        QCOMPARE(QDir(out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // One message a kind of file, naming it; the scene shown, its file and its history stay,
    // and the recent list drops a scene since removed and takes no damaged one.
    void damagedFiles() {
        const QString bad = scenePath("bad.tarn");
        rememberScene(folder->context().ini(), bad);
        openSaved();
        const QStringList before = view();
        QCOMPARE(run("mnuSceneRecent(1)", {press(Discard), press(Ok)}).mid(1),
                 QStringList{box(QString("シーンファイル「%1」を開けませんでした。\nファイルまたは"
                                         "フォルダーが見つかりません。")
                                     .arg(bad))});
        const std::pair<QByteArray, QString> files[] = {
            {"{\"format\"", "シーンファイル「%1」は壊れているため開けませんでした。"},
            {QByteArray(2 << 20, ' '), "シーンファイル「%1」は大きすぎるため開けませんでした。"},
            {"{\"format\": \"tiled\"}", "「%1」は Tarn のシーンファイルではありません。"},
            {"{\"format\": \"tarn-scene\", \"version\": 2}",
             "シーンファイル「%1」は新しいバージョンの Tarn "
             "で保存されているため開けませんでした。"}};
        for (const auto& [content, message] : files) {
            writeFile(bad, content);
            QCOMPARE(run("mnuSceneOpen", {press(Discard), typeFileName(bad), press(Ok)}).mid(2),
                     QStringList{box(message.arg(bad))});
            QCOMPARE(view(), before);
        }
        action("mnuUndo")->trigger();
        QCOMPARE(w->windowTitle(), "s.tarn - Tarn");
        QCOMPARE(tarn::recentScenes(folder->context().ini()), QStringList{scenePath("s.tarn")});
    }

    // Before unsaved changes are set aside (New, closing the window), and before a save over a
    // file another program rewrote, where Enter saves elsewhere so that neither version is lost.
    void questions_data() {
        QTest::addColumn<QString>("command"); // "close": the window's
        QTest::addColumn<QMessageBox::StandardButton>("reply");
        QTest::addColumn<bool>("saveCancelled"); // the save dialog is cancelled
        for (const QString command : {"mnuSceneNew", "close"}) {
            QTest::addRow("%s, save", qPrintable(command)) << command << Save << false;
            QTest::addRow("%s, save cancelled", qPrintable(command)) << command << Save << true;
            QTest::addRow("%s, discard", qPrintable(command)) << command << Discard << false;
            QTest::addRow("%s, cancel", qPrintable(command)) << command << Cancel << false;
        }
        QTest::newRow("changed on disk, save as") << "mnuSceneSave" << Save << false;
        QTest::newRow("changed on disk, replace") << "mnuSceneSave" << Yes << false;
        QTest::newRow("changed on disk, keep") << "mnuSceneSave" << Cancel << false;
    }
    void questions() {
        QFETCH(QString, command);
        QFETCH(QMessageBox::StandardButton, reply);
        QFETCH(bool, saveCancelled);
        const bool onDisk = command == "mnuSceneSave";
        open();
        const QStringList empty = view();
        buildScene();
        if (onDisk) {
            saveAs(scenePath("a.tarn"));
            writeFile(scenePath("a.tarn"), "another window's");
            click(9, 1);
        }
        const QStringList edited = view();

        std::vector<ModalScript::Step> steps{press(reply)};
        if (reply == Save)
            steps.push_back(saveCancelled ? [](QDialog* d) { d->reject(); }
                                          : typeFileName(scenePath("b.tarn")));
        ModalScript script(steps);
        if (command == "close")
            w->close();
        else
            action(command)->trigger();
        QCOMPARE(script.seen().size(), steps.size());
        QCOMPARE(script.seen()[0].escapeButton, Cancel);
        QCOMPARE(boxes(script).first() + script.seen()[0].buttonTexts.join(','),
                 onDisk ? box("シーンファイル「a.tarn」は、開いた後（または保存した後）にほかで"
                              "変更されています。\n置き換えると、その変更は失われます。",
                              QMessageBox::Warning, "Tarn", Save | Yes | Cancel, Save) +
                              "名前を付けて保存...,置き換える,そのままにする"
                        : box("このシーンへの変更を保存しますか？\n無題", QMessageBox::Question,
                              "Tarn", Save | Discard | Cancel, Save) +
                              "保存,キャンセル,破棄");

        const bool saved = reply == Save && !saveCancelled;
        const bool goesOn = saved || reply == Discard || reply == Yes;
        QCOMPARE(QFile::exists(scenePath("b.tarn")), saved);
        if (onDisk) {
            QCOMPARE(fileBytes(scenePath("a.tarn")) == "another window's", reply != Yes);
            QCOMPARE(w->windowTitle(),
                     (saved ? "b.tarn" : "a.tarn") + QString(goesOn ? "" : "*") + " - Tarn");
        } else if (command == "close") {
            QCOMPARE(w->isVisible(), !goesOn);
            QCOMPARE(folder->iniValue("MofFirst"), goesOn ? parts : "App.Path");
        } else {
            QCOMPARE(view(), goesOn ? empty : edited);
            QCOMPARE(action("mnuUndo")->isEnabled(), !goesOn);
        }
    }

    // An unsaved scene kept at an emergency end goes to the first folder that
    // takes it, under a name of its own; the next start names it once and lists it.
    void recoveredScenes() {
        const std::string program = folder->path().toStdString(), missing = program + "/missing";
        QStringList kept;
        for (const auto& folders : {std::vector{program}, std::vector{missing, program}})
            kept.prepend(QString::fromStdString(keepRecoveredScene({}, folders)));
        QVERIFY(keepRecoveredScene({}, {missing}).empty());
        QCOMPARE(QStringList(kept).replaceInStrings(QRegularExpression("/recovered-[^/]*$"), ""),
                 QStringList(2, folder->path()));
        QVERIFY(kept[0] != kept[1]);
        QCOMPARE(recoveryFolders(folder->context()), std::vector<std::string>{program});
        open();
        ModalScript script({});
        w->offerRecoveredScenes();
        QCOMPARE(tarn::recentScenes(folder->context().ini()), kept);
        w->offerRecoveredScenes();
        QCOMPARE(script.seen().size(), std::size_t{1});
        QVERIFY(script.seen()[0].text.endsWith(kept.join('\n')));
    }

    void failedActionChangesNothing_data() {
        QTest::addColumn<ActionRow>("row");
        QTest::newRow("choose a terrain part") << ActionRow{"lst(2)"};
        QTest::newRow("add an object") << ActionRow{"cmd_ob(0)", 0};
        QTest::newRow("delete an object") << ActionRow{"cmd_ob(1)", 6};
        QTest::newRow("mirror") << ActionRow{"cmdChange(0)", 6};
        // The press fails; the release of the same drag must exchange nothing.
        QTest::newRow("drag a row onto another") << ActionRow{"drag"};
        QTest::newRow("drop a part") << ActionRow{"drop"};
        QTest::newRow("open a scene") << ActionRow{"mnuSceneOpen", -1, "project/s.tarn"};
        QTest::newRow("save the picture") << ActionRow{"mnuSaveAs", -1, "out.bmp"};
        // Toned in place: a tone that silently failed would show the colours.
        QTest::newRow("gray") << ActionRow{"mnuGray", -1, {}, false};
    }

    // While picture-sized allocations fail, the window tells the user once, shows exactly
    // what it showed before, and the same action works once memory is back. Actions that
    // need no picture-sized memory just work.
    void failedActionChangesNothing() {
        QFETCH(ActionRow, row);
        openSaved();
        QVERIFY(!perform(row, false).contains(kOutOfMemory));
        const QStringList expected = shown();
        w.reset();
        init();
        openSaved();
        const QStringList before = shown();
        QVERIFY(expected != before);
        const bool told = row.needsPictureMemory;
        QCOMPARE(perform(row, true), told ? QStringList{kOutOfMemory} : QStringList());
        QCOMPARE(shown(), told ? before : expected);
        if (told) {
            QVERIFY(!perform(row, false).contains(kOutOfMemory));
            QCOMPARE(shown(), expected);
        }
    }
};

QTEST_MAIN(TestSceneDocument)
#include "tst_scene_document.moc"
