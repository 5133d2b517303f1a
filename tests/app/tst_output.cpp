// The picture and the scenario template out of the main window as a person gets them:
// the menu, the real dialogs and boxes, and what reaches the disk.
#include "app/common/messages.h"
#include "app/dialogs/frm_jpg.h"
#include "app/dialogs/frm_write.h"
#include "app/dialogs/save_as_flow.h"
#include "export/area_plan.h"
#include "export/cw_writers.h"
#include "support/main_window.h"
#include "support/test_pictures.h"
#include "support/unprivileged_user.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

using namespace tarn;
using namespace tarn::test;

namespace {

// Where a row leaves the plain path: the user's choice or a fault while a dialog is open.
enum class Twist { None, DefaultBg, Unselected, Cancel, FolderIsFile, ReadOnly, DiskFull };

struct SaveRow {
    QString name;
    int answer;           // to the question about an earlier file; 0: none there
    QStringList told;     // after the question
    QByteArray read = {}; // what Pillow reads in the file written; "": the folder stays as it was
    Twist twist = Twist::None;
    Picture canvas = twoColourCanvas();
    int filter = 0;    // selected in the dialog: bmp, jpg, png
    QString file = {}; // the name saved under; "": the name typed
};

struct ExportRow {
    QString told; // what stops the export ("@": the folder); "": it runs and says what it wrote
    Twist twist = Twist::None;
    QStringList existing{"Area1.wid"}; // area files there before, each its own number
    QStringList written{};             // files new or replaced in the scenario folder
    QString selected{};                // chosen in existing-file mode
    QString ground = "floor_ug";       // the ground part's name
};

// Every entry under a folder and its bytes: a touched or leftover temporary file shows.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(path, it.fileInfo().isDir() ? QByteArray("<folder>") : fileBytes(path));
    }
    return found;
}

// Near the left end: a stretched option button only reacts over its mark and caption.
void clickOption(const QObject* parent, const char* name) {
    auto* button = parent->findChild<QAbstractButton*>(name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QByteArray areaBytes(int n, const std::vector<AreaCell>& cells) {
    Bytes area;
    return encodeArea(n, cells, area).ok() ? qBytes(area) : QByteArray();
}

void clickRow(QListWidget* list, const QListWidgetItem* item) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

} // namespace

Q_DECLARE_METATYPE(SaveRow)
Q_DECLARE_METATYPE(ExportRow)

class TestOutput : public QObject, MainWindowTest {
    Q_OBJECT

    QString out_; // in "work", which snapshots cover, so that out_ replaced by a file shows
    std::optional<UnprivilegedUser> user_;

    void setScene(const std::vector<std::pair<int, QString>>& terrain,
                  const QStringList& objects = {}) {
        int seed = 0;
        const auto place = [&](const QString& name) {
            folder->writePart(name + ".bmp", part(8, 6, ++seed));
            return part(8, 6, seed);
        };
        const std::string at = QFile::encodeName(folder->path()).toStdString();
        for (const auto& [slot, name] : terrain)
            w->document().choosePart(slot + 1, name.toStdString(),
                                     at + '/' + name.toStdString() + ".bmp", place(name));
        for (const QString& name : objects)
            w->document().insertObject(name.toStdString(), at, name.toStdString() + ".bmp",
                                       place(name));
    }
    FrmWrite* exportDialog() {
        action("mnuWrte")->trigger();
        auto* dialog = w->findChild<FrmWrite*>("frmWrite");
        dialog->findChild<QLineEdit*>("txtFolder")->setText(out_);
        return dialog;
    }

    // Root plays nobody from a read-only folder on, so that permissions count.
    void strike(Twist twist) {
        if (twist == Twist::FolderIsFile && QDir(out_).removeRecursively())
            writeFile(out_, "a file now");
        // The program folder stays open to that user, whose settings are saved as usual.
        if (twist == Twist::ReadOnly && ::chmod(QFile::encodeName(out_).constData(), 0555) == 0)
            QVERIFY(user_.emplace(folder->path().toStdString(), 0777).ok());
        if (twist == Twist::DiskFull) // room for the settings and small files, not dark.bmp
            testing::injectWriteFailure(ENOSPC, 200);
    }

  private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        out_ = folder->makeFolder("work/out");
        open();
    }
    void cleanup() {
        testing::injectWriteFailure(0, 0);
        w.reset();
        user_.reset();
        ::chmod(QFile::encodeName(out_).constData(), 0755);
    }

    void saveAs_data() {
        QTest::addColumn<SaveRow>("row");
        const QString notSaved =
            "「x.gif」は保存しませんでした。\n"
            "ファイル名の末尾が「bmp」「jpg」「jpeg」または「png」のときに保存します。";
        const QString diskFull = "エラー番号 28 " + errorDescription(ENOSPC);
        const int no = QMessageBox::No, yes = QMessageBox::Yes, none = QMessageBox::NoIcon;
        const QStringList eight{box("256形式で保存しました", none)},
            full{box("フルカラー形式で保存しました", none)},
            png{box("PNG形式で保存しました", none)};
        const Picture flat = twoColourCanvas(), many = gradientCanvas();
        const QByteArray p8 = "BMP P 478 278 0 10", bmp = "BMP RGB 478 278 0 -1",
                         rgb = "PNG RGB 478 278 0 -1";
        QTest::newRow("more than 236 colours") << SaveRow{"x.bmp", 0, full, bmp, {}, many};
        QTest::newRow("earlier file kept") << SaveRow{"x.bmp", no, {}};
        QTest::newRow("suggested name, bmp filter, flat colours, earlier file replaced")
            << SaveRow{"新規画像", yes, eight, p8, {}, flat, 0, "新規画像.bmp"};
        QTest::newRow("no ending, jpg filter, earlier file: asked before the JPEG dialog")
            << SaveRow{"dungeon1", yes, {}, {}, {}, flat, 1, "dungeon1.jpg"};
        QTest::newRow("no ending, png filter, earlier file replaced")
            << SaveRow{"dungeon1", yes, png, rgb, {}, flat, 2, "dungeon1.png"};
        QTest::newRow("jpeg ending, png filter") << SaveRow{"view.jpeg", 0, {}, {}, {}, flat, 2};
        QTest::newRow("PNG ending, bmp filter, many colours")
            << SaveRow{"view.PNG", 0, png, rgb, {}, many};
        QTest::newRow("unknown ending kept")
            << SaveRow{"x.gif", 0, {box(notSaved, QMessageBox::Information)}, {}, {}, flat, 2};
        QTest::newRow("disk full, full colour") << SaveRow{
            "x.bmp",         yes, {box(diskFull, QMessageBox::Warning, "エラー発生！")}, {},
            Twist::DiskFull, many};
    }
    void saveAs() {
        QFETCH(SaveRow, row);
        const QString file = row.file.isEmpty() ? row.name : row.file;
        const QString path = out_ + '/' + file;
        if (row.answer != 0)
            writeFile(path, "earlier");
        strike(row.twist);
        auto expected = snapshot(folder->path("work"));
        const auto answer = [&](QDialog* box) {
            press(QMessageBox::StandardButton(row.answer ? row.answer : QMessageBox::Ok))(box);
            QVERIFY(!w->findChild<FrmJpg*>()); // asked before the JPEG dialog opens
        };
        const auto type = [&](QDialog* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files);
            QCOMPARE(files->nameFilters(),
                     (QStringList{"DIBビットマップ (*.bmp)", "jpg (*.jpg *.jpeg)", "PNG (*.png)"}));
            files->selectNameFilter(files->nameFilters()[row.filter]);
            typeFileName(out_ + '/' + row.name)(dialog);
        };
        ModalScript script({type, answer});
        // Canvases no scene of parts would give, straight into the flow the menu runs.
        saveAsFlow(w.get(), row.canvas, folder->context());

        const FrmJpg* jpg = w->findChild<FrmJpg*>(); // and the name it shows
        QCOMPARE(boxes(script) << (jpg ? jpg->findChild<QLabel*>("lblFNAME")->text() : ""),
                 QStringList{box("新規画像", QMessageBox::NoIcon, "名前を付けて保存", 0)} +
                         (row.answer ? QStringList{replaceQuestion(file)} : QStringList()) +
                         row.told
                     << (file.endsWith(".jpg") || file.endsWith(".jpeg") ? path : ""));
        if (!row.read.isEmpty()) { // read back by Pillow, not by the Qt that wrote it
            expected.insert(path, fileBytes(path));
            QCOMPARE(QProcess::execute("/usr/bin/python3",
                                       {TARN_TEST_DATA "/../python/pil_read.py", path}),
                     0);
            // Pictures are packed R, G, B rows, top row first, as Pillow gives them.
            QVERIFY(fileBytes(path + ".pil") ==
                    row.read + '\n' +
                        qBytes({row.canvas.bits(), row.canvas.bits() + row.canvas.byteCount()}));
            QVERIFY(QFile::remove(path + ".pil"));
        }
        QCOMPARE(snapshot(folder->path("work")), expected);
    }

    void jpegDialog() {
        const QString target = out_ + "/出力.jpg";
        const QString preview = folder->context().mySystemFolder() + "/tmp.jpg";
        for (const bool confirm : {false, true}) {
            ModalScript script({typeFileName(target)});
            action("mnuSaveAs")->trigger();
            QPointer<FrmJpg> jpg = w->findChild<FrmJpg*>("frmJpg");
            QVERIFY(jpg && !w->isEnabled());
            QCOMPARE(jpg->findChild<QScrollBar*>("HS")->value(), 65);
            QCOMPARE(jpg->findChild<QLabel*>("lblP")->text(), QStringLiteral("65"));
            QVERIFY(jpg->findChild<QRadioButton*>("optQ(2)")->isChecked());
            QVERIFY(!jpg->findChild<QCheckBox*>("optP")->isChecked());
            const QByteArray first = fileBytes(preview);
            clickOption(jpg, "optQ(3)"); // 低画質
            QCOMPARE(jpg->findChild<QScrollBar*>("HS")->value(), 40);
            QCOMPARE(jpg->findChild<QLabel*>("lblP")->text(), QStringLiteral("40"));
            QVERIFY(fileBytes(preview) != first);
            QCOMPARE(fromQImage(jpg->findChild<QLabel*>("pctPreview")->pixmap().toImage()),
                     fromQImage(QImage(preview)));
            clickOption(jpg, "optP");
            clickOption(jpg, confirm ? "cmd(0)" : "cmd(1)");
            QTRY_VERIFY(jpg.isNull());
            QVERIFY(w->isEnabled());
            QCOMPARE(script.seen().size(), 1u); // the file dialog; no box after it
            QCOMPARE(QDir(out_).isEmpty(), !confirm);
        }
        QVERIFY(fileBytes(target).contains("\xFF\xC2")); // only a progressive frame has it
        QCOMPARE(QImage(target).size(), QSize(kCanvasWidth, kCanvasHeight));
    }

    void exportScenario_data() {
        QTest::addColumn<ExportRow>("row");
        const QStringList copies{"floor_ug.bmp", "wall_bl.bmp", "wall_fl.bmp",
                                 "box.bmp",      "jar.bmp",     "orb.bmp"};
        const QStringList gap{"Area1.wid", "Area10.wid", "Area3.wid"};
        QTest::newRow("first export") << ExportRow{
            {}, {}, {}, QStringList{"Summary.wsm"} + copies + QStringList{"dark.bmp", "Area1.wid"}};
        QTest::newRow("replacing Area10, listed second after a gap: its own number counts; "
                      "default background")
            << ExportRow{
                   {}, Twist::DefaultBg, gap, copies + QStringList{"Area10.wid"}, "Area10.wid"};
        QTest::newRow("cancelled after changing the folder") << ExportRow{{}, Twist::Cancel, {}};
        QTest::newRow("folder replaced by a file") << ExportRow{
            box("保存場所のフォルダ「@」が見つかりません。\n存在するフォルダを指定してください。"),
            Twist::FolderIsFile};
        QTest::newRow("read-only folder")
            << ExportRow{box("保存場所のフォルダ「@"
                             "」に書き込めません。\n書き込みのできるフォルダを指定してください。"),
                         Twist::ReadOnly};
        QTest::newRow("proposed number (count of area files + 1) taken, No")
            << ExportRow{replaceQuestion("Area2.wid"), {}, {"Area2.wid"}};
        QTest::newRow("existing-file mode, nothing selected")
            << ExportRow{box("リストから上書きするファイルを選択してください。",
                             QMessageBox::Warning, "Tarn 警告"),
                         Twist::Unselected};
        const QString diskFull = "エラー発生！\n「@/dark.bmp」を書き込めませんでした。\n" +
                                 errorDescription(ENOSPC) +
                                 "（エラー番号 28）\nエリアファイルは書き出していません。";
        QTest::newRow("disk fills at dark.bmp: what went before is whole, nothing after begun")
            << ExportRow{box(diskFull), Twist::DiskFull, {"Area1.wid"}, copies};
        // The character to change; the range of characters: the core's rows.
        const QString rest = " は CardWirth のファイル名に使えません。\n"
                             "部品の名前を変えてください。何も書き出していません。";
        QTest::newRow("a part's name refused")
            << ExportRow{.told = box("「a¥b.bmp」の文字 「¥」" + rest), .ground = "a¥b"};
        QTest::newRow("a control character, shown by its code")
            << ExportRow{.told = box("「a\tb.bmp」の文字 U+0009" + rest), .ground = "a\tb"};
    }
    void exportScenario() {
        QFETCH(ExportRow, row);
        row.told.replace('@', out_);
        QStringList listed;
        for (const QString& name : row.existing) { // each numbered as its name says
            const QString n = name.mid(4).chopped(4);
            writeFile(out_ + '/' + name,
                      areaBytes(n.toInt(), {backgroundCell(kDarkBackgroundName)}));
            listed << QStringLiteral("%1 (%2)").arg(name, n);
        }
        setScene({{0, row.ground}, {1, "wall_bl"}, {3, "wall_fl"}}, {"box", "jar", "orb"});
        QPointer<FrmWrite> dialog = exportDialog();
        auto* number = dialog->findChild<QLineEdit*>("txtNewFILE");
        auto* list = dialog->findChild<QListWidget*>("lst");
        QCOMPARE(entries(list) << number->text(),
                 listed << QString::number(row.existing.size() + 1));
        QCOMPARE(dialog->findChild<QWidget*>("opt(1)")->isEnabled(), !row.existing.isEmpty());
        if (!row.selected.isEmpty() || row.twist == Twist::Unselected)
            clickOption(dialog, "opt(1)");
        if (!row.selected.isEmpty())
            clickRow(list, list->findItems(row.selected + " (", Qt::MatchStartsWith).value(0));
        if (row.twist == Twist::DefaultBg)
            clickOption(dialog, "optBG(0)");
        strike(row.twist);
        auto expected = snapshot(folder->path("work"));
        ModalScript script({press(QMessageBox::No)}); // a box without No is closed
        clickOption(dialog, row.twist == Twist::Cancel ? "CancelButton" : "OKButton");

        const int n =
            QRegularExpression("Area(\\d+)").match(row.written.join(' ')).captured(1).toInt();
        const QString told =
            !row.told.isEmpty() || row.written.isEmpty()
                ? row.told
                : box(QStringLiteral("エリア %1「新規エリア(%1)」を書き出しました。\n\n"
                                     "書き出したファイル:\n%2")
                          .arg(n)
                          .arg("  " + row.written.join("\n  ")),
                      QMessageBox::Information);
        QCOMPARE(boxes(script), told.isEmpty() ? QStringList() : QStringList{told});
        QTRY_COMPARE(dialog && dialog->isVisible(), !row.told.isEmpty());
        if (!row.told.isEmpty()) // still open with the user's choices
            QCOMPARE(std::pair(dialog->findChild<QLineEdit*>("txtFolder")->text(), number->text()),
                     std::pair(out_, QString::number(row.existing.size() + 1)));
        const std::string bg = row.twist == Twist::DefaultBg ? "MapOfWirth.BMP" : "dark.bmp";
        for (const QString& file : row.written) // each as it should be; a part as it is
            expected.insert(out_ + '/' + file,
                            file.startsWith("Area") ? areaBytes(n, planArea(w->scene(), bg).cells)
                            : file == "Summary.wsm" ? qBytes(summaryBytes(n))
                            : file == "dark.bmp"    ? qBytes(darkBmpBytes())
                                                    : fileBytes(folder->path(file)));
        QCOMPARE(snapshot(folder->path("work")), expected);
        const std::string stored = w->context().ini().getini("MemWData", "MofSLoc", "-");
        QCOMPARE(QString::fromStdString(stored), row.twist == Twist::Cancel ? "-" : out_);
    }

    // A name in Shift-JIS, as a Windows disk brings it, is no UTF-8: the row shows what it can,
    // and the file replaced is the one of the real bytes. Toned on the screen, the dialog says
    // the area uses the parts' own colours.
    void exportReplacesAnAreaFileWhoseNameIsNotUtf8() {
        const QByteArray native = QFile::encodeName(out_) + "/\x83\x65\x83\x58.wid"; // テス.wid
        std::ofstream(native.constData())
            << areaBytes(7, {backgroundCell(kDarkBackgroundName)}).toStdString();
        QPointer<FrmWrite> dialog = exportDialog();
        auto* tone = dialog->findChild<QLabel*>("lblTone");
        QVERIFY(tone->isHidden());
        action("mnuSepia")->trigger();
        QCOMPARE(tone->isHidden() ? "" : tone->text(),
                 QStringLiteral("画面はグレースケール／セピア調ですが、"
                                "エリアには部品の元の色が使われます。"));
        w->document().recompose();
        QVERIFY(tone->isHidden());
        auto* list = dialog->findChild<QListWidget*>("lst");
        clickOption(dialog, "opt(1)");
        clickRow(list, list->item(0));
        ModalScript script({press(QMessageBox::Ok)});
        clickOption(dialog, "OKButton");
        QTRY_VERIFY(!dialog); // what was written told, nothing refused
        std::ifstream written(native.constData(), std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(written), {}),
                 areaBytes(7, planArea(w->scene(), kDarkBackgroundName).cells).toStdString());
        const std::filesystem::directory_iterator names(QFile::encodeName(out_).toStdString());
        QCOMPARE(std::distance(names, {}), 2); // and dark.bmp, nothing left over
        ::unlink(native.constData());          // Qt cannot remove a name it cannot decode
    }

    // A dialog starts in the user's documents folder until a file of its kind is saved; from
    // then on, after a new start too, where that file went, each kind its own.
    void dialogFolders() {
        QTemporaryDir home;
        const QByteArray realHome = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", realHome); });
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString documents = home.filePath("Documents");
        QVERIFY(QDir().mkpath(documents));
        const auto startsIn = [&] {
            QStringList starts;
            for (const char* command : {"mnuSaveAs", "mnuSceneSaveAs"})
                run(command, {[&](QDialog* d) {
                        starts << qobject_cast<QFileDialog*>(d)->directory().absolutePath();
                        d->reject();
                    }});
            action("mnuWrte")->trigger();
            const std::unique_ptr<FrmWrite> dialog(w->findChild<FrmWrite*>("frmWrite"));
            return starts << dialog->findChild<QLineEdit*>("txtFolder")->text();
        };
        QCOMPARE(startsIn(), QStringList(3, documents));
        const QString pictures = folder->makeFolder("work/p"),
                      scenes = folder->makeFolder("work/s");
        run("mnuSaveAs", {typeFileName(pictures + "/a.png"), press(QMessageBox::Ok)});
        run("mnuSceneSaveAs", {typeFileName(scenes + "/a.tarn"), press(QMessageBox::Ok)});
        {
            QPointer<FrmWrite> dialog = exportDialog();
            ModalScript script({press(QMessageBox::Ok)});
            clickOption(dialog, "OKButton");
            QTRY_VERIFY(!dialog);
        }
        w.reset();
        open();
        QCOMPARE(startsIn(), (QStringList{pictures, scenes, out_}));
    }

    // Unchecked in the Layers menu (in painting order), a layer leaves the screen and the status
    // bar says so; the picture saved and copied keeps every layer. Checked again, it is back.
    void layersHideOnTheScreenOnly() {
        setScene({{0, "floor_ug"}, {1, "wall_bl"}, {2, "wall_br"}, {3, "wall_fl"}, {4, "wall_fr"}},
                 {"ob_f", "ob_t"});
        w->document().moveObject(0, 300, 200);
        w->document().moveObject(1, 320, 220);
        w->document().toggleLayer(1);
        const QImage whole = canvas();
        for (int layer = 1; layer <= 7; ++layer) {
            QAction* item = action(QString("mnuLayer(%1)").arg(layer));
            item->trigger();
            QVERIFY2(canvas() != whole, qPrintable(item->objectName()));
            QCOMPARE(get<QLabel>("lblLayers")->text(), "一部のレイヤーを隠しています");
            const QString png = out_ + QString("/view%1.png").arg(layer);
            QCOMPARE(run("mnuSaveAs", {typeFileName(png), press(QMessageBox::Ok)}).size(), 2);
            QCOMPARE(QImage(png).convertToFormat(whole.format()), whole);
            action("mnuCopy")->trigger();
            QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(whole.format()), whole);
            item->trigger();
            QCOMPARE(canvas(), whole);
            QCOMPARE(get<QLabel>("lblLayers")->text(), "");
        }
    }
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
