// The picture and the scenario template out of the main window as a person gets them:
// the menu, the real dialogs and boxes, and what reaches the disk.
#include "app/canvas_view.h"
#include "app/frm_jpg.h"
#include "app/frm_main.h"
#include "app/frm_write.h"
#include "app/list_box.h"
#include "export/cw_writers.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/test_pictures.h"
#include "support/unprivileged_user.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <optional>

using namespace tarn;
using namespace tarn::test;

namespace {

enum class Fault { None, FolderIsFile, ReadOnly, DiskFull, PartGone, Unselected, AreaDir, DarkDir };

// A dialog as the user sees it.
QString box(const QString& text, const QString& title = "Tarn", int icon = QMessageBox::Warning,
            int buttons = QMessageBox::Ok) {
    return QStringLiteral("%1 | %2 | icon %3, buttons %4").arg(title, text).arg(icon).arg(buttons);
}

QStringList shown(const std::vector<SeenDialog>& seen) {
    QStringList boxes;
    for (const SeenDialog& s : seen)
        boxes << box(s.text, s.title, s.icon, s.buttons.toInt());
    return boxes;
}

QString asked(const QString& name) {
    return box("「" + name + "」\n同じ名前のファイルが存在します。\n上書きしますか？",
               "ファイルの重複問あわせ", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
}

struct SaveRow {
    QString name;
    int answer;       // to the question about an earlier file; 0: none there
    QStringList told; // after the question
    int bits = 0;     // of the file written; 0: the folder stays as it was
    Fault fault = Fault::None;
    Picture canvas = twoColourCanvas();
};

struct ExportRow {
    QString told{}; // what stops the export ("@" the folder, "&" the parts); "": it runs
    Fault fault = Fault::None;
    QString number{};                       // typed over the proposal when given
    QStringList written{};                  // files new or replaced in the scenario folder
    int cells = 3;                          // in the area file written
    QStringList existing{"Area1.wid"};      // area files there before, each holding "old"
    QString selected{};                     // chosen in existing-file mode
    QStringList parts{"1:stone_ug", "box"}; // "n:name" fills slot n, a bare name adds an object
    bool defaultBackground = false;
    bool cancel = false;
};

// Every entry under a folder with each file's bytes: a touched file or a
// leftover temporary file shows as a difference.
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

} // namespace

Q_DECLARE_METATYPE(SaveRow)
Q_DECLARE_METATYPE(ExportRow)

class TestOutput : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<FrmMain> window_;
    QString work_; // holds out_, so that out_ replaced by a file shows in a snapshot
    QString out_;
    QString parts_;
    std::optional<UnprivilegedUser> user_;

    template <class T = QWidget> static T* in(const QObject* parent, const char* name) {
        return parent->findChild<T*>(QLatin1String(name));
    }
    static QString text(const QObject* parent, const char* name) {
        return in<QLineEdit>(parent, name)->text();
    }
    // Near the left end: a stretched option button only reacts over its mark and caption.
    static void click(const QObject* parent, const char* name) {
        auto* button = in<QAbstractButton>(parent, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    static void clickRow(QListWidget* list, const QListWidgetItem* item) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    QString storedFolder() const {
        return QString::fromStdString(folder_->context().ini().getini("MemWData", "MofSLoc", "-"));
    }
    // The area file the core encodes for the main window's scene.
    QByteArray area(int number, int cells, bool defaultBackground) const {
        Bytes b;
        encodeArea(window_->scene(), number, cells,
                   defaultBackground ? kDefaultBackgroundName : kDarkBackgroundName, b);
        return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    }
    // See ExportRow::parts; each part's file holds its own name.
    void add(const QString& item) {
        const QString name = item.mid(item[1] == ':' ? 2 : 0);
        const auto fill = [&](auto& part) {
            part.name = name.toStdString();
            part.path = QFile::encodeName(parts_ + '/' + name + ".bmp").toStdString();
            part.picture = Picture(8, 6);
            writeFile(parts_ + '/' + name + ".bmp", name.toUtf8());
        };
        if (item[1] == ':')
            return fill(window_->scene().slot(item[0].digitValue()));
        fill(window_->scene().objects.emplace_back());
    }
    // Faults that strike while a dialog is open. Root plays nobody from a read-only folder on,
    // so that permissions count.
    void strike(Fault fault) {
        if (fault == Fault::FolderIsFile) {
            QVERIFY(QDir(out_).removeRecursively());
            writeFile(out_, "a file now");
        }
        if (fault == Fault::ReadOnly) {
            QCOMPARE(::chmod(QFile::encodeName(out_).constData(), 0555), 0);
            QVERIFY(user_.emplace(folder_->path().toStdString()).ok());
        }
        if (fault == Fault::DiskFull) // room for the settings and small files, not dark.bmp
            testing::injectWriteFailure(ENOSPC, 200);
        if (fault == Fault::PartGone)
            QVERIFY(QFile::remove(parts_ + "/box.bmp"));
        if (fault == Fault::AreaDir || fault == Fault::DarkDir)
            QVERIFY(QDir(out_).mkdir(fault == Fault::AreaDir ? "Area2.wid" : "dark.bmp"));
    }
    std::vector<SeenDialog> saveAs(const Picture& canvas, std::vector<ModalScript::Step> steps) {
        window_->scene().canvas = canvas;
        ModalScript script(std::move(steps));
        in<QAction>(window_.get(), "mnuSaveAs")->trigger();
        return script.seen();
    }

  private slots:
    void init() {
        folder_ = std::make_unique<ProgramFolder>();
        work_ = folder_->makeFolder("work");
        out_ = folder_->makeFolder("work/out");
        parts_ = folder_->makeFolder("parts");
        window_ = std::make_unique<FrmMain>(folder_->context());
        window_->load();
        window_->show();
    }
    void cleanup() {
        testing::injectWriteFailure(0, 0);
        window_.reset();
        user_.reset();
        ::chmod(QFile::encodeName(out_).constData(), 0755);
        folder_.reset();
    }

    void saveAs_data() {
        QTest::addColumn<SaveRow>("row");
        const QString palette = box("256形式で保存しました", "Tarn", QMessageBox::NoIcon);
        const QString fullColour = box("フルカラー形式で保存しました", "Tarn", QMessageBox::NoIcon);
        const auto failed = [](int error) {
            return box(QStringLiteral("エラー番号 %1 ").arg(error) +
                           QString::fromStdString(errorDescription(error)),
                       "エラー発生！");
        };
        const QString notSaved = "」は保存しませんでした。\n"
                                 "ファイル名の末尾が「bmp」または「jpg」のときに保存します。";
        const int no = QMessageBox::No, yes = QMessageBox::Yes;
        QTest::newRow("flat colours, earlier file replaced") << SaveRow{"x.bmp", yes, {palette}, 8};
        QTest::newRow("more than 236 colours")
            << SaveRow{"x.bmp", 0, {fullColour}, 24, Fault::None, gradientCanvas()};
        QTest::newRow("earlier file kept") << SaveRow{"x.bmp", no, {}};
        QTest::newRow("earlier jpg: asked before the JPEG dialog") << SaveRow{"x.jpg", yes, {}};
        for (const QString name : {"新規画像", "x.BMP", "x.jpeg"})
            QTest::newRow(qPrintable(name)) << SaveRow{
                name, 0, {box("「" + name + notSaved, "Tarn", QMessageBox::Information)}};
        QTest::newRow("read-only folder")
            << SaveRow{"x.bmp", yes, {failed(EACCES)}, 0, Fault::ReadOnly};
        QTest::newRow("folder replaced by a file")
            << SaveRow{"x.bmp", 0, {failed(ENOTDIR)}, 0, Fault::FolderIsFile};
        QTest::newRow("disk full, full colour")
            << SaveRow{"x.bmp", yes, {failed(ENOSPC)}, 0, Fault::DiskFull, gradientCanvas()};
    }
    void saveAs() {
        QFETCH(SaveRow, row);
        const QString path = out_ + '/' + row.name;
        if (row.answer != 0)
            writeFile(path, "earlier");
        QMap<QString, QByteArray> before;
        const auto typeName = [&](QDialog* dialog) {
            strike(row.fault);
            before = snapshot(work_);
            typeFileName(path)(dialog);
        };
        bool jpegDialogAtQuestion = false;
        const auto answer = [&](QDialog* box) {
            jpegDialogAtQuestion = window_->findChild<FrmJpg*>();
            press(QMessageBox::StandardButton(row.answer ? row.answer : QMessageBox::Ok))(box);
        };
        const auto seen = saveAs(row.canvas, {typeName, answer, press(QMessageBox::Ok)});

        QStringList expected{box("新規画像", "名前を付けて保存", QMessageBox::NoIcon, 0)};
        if (row.answer != 0)
            expected << asked(row.name);
        QCOMPARE(shown(seen), expected + row.told);
        QVERIFY(!jpegDialogAtQuestion);
        QCOMPARE(window_->findChild<FrmJpg*>() != nullptr, row.name.endsWith("jpg"));
        auto after = snapshot(work_);
        if (row.bits != 0) {
            const QByteArray written = after.take(path);
            before.remove(path);
            QCOMPARE(written.mid(28, 2), QByteArray(1, char(row.bits)) + '\0');
            QCOMPARE(fromQImage(QImage::fromData(written)), row.canvas);
        }
        QCOMPARE(after, before);
    }

    void jpegDialog() {
        const QString target = out_ + "/出力.jpg";
        const QString preview = folder_->context().mySystemFolder() + "/tmp.jpg";
        QPointer<FrmJpg> jpg;
        const auto open = [&] { // and see the state every opening starts from, without a box
            QCOMPARE(saveAs(gradientCanvas(), {typeFileName(target)}).size(), 1u);
            QVERIFY(jpg = in<FrmJpg>(window_.get(), "frmJpg"));
            QVERIFY(jpg->isEnabled());
            QVERIFY(!window_->isEnabled());
            QCOMPARE(in<QScrollBar>(jpg, "HS")->value(), 65);
            QCOMPARE(in<QLabel>(jpg, "lblP")->text(), QStringLiteral("65"));
            QVERIFY(in<QRadioButton>(jpg, "optQ(2)")->isChecked());
            QVERIFY(!in<QCheckBox>(jpg, "optP")->isChecked());
        };
        open();
        const QByteArray first = fileBytes(preview);
        click(jpg, "optQ(3)"); // 低画質
        QCOMPARE(in<QScrollBar>(jpg, "HS")->value(), 40);
        QCOMPARE(in<QLabel>(jpg, "lblP")->text(), QStringLiteral("40"));
        QVERIFY(fileBytes(preview) != first);
        QCOMPARE(fromQImage(in<QLabel>(jpg, "pctPreview")->pixmap().toImage()),
                 fromQImage(QImage(preview)));
        click(jpg, "optP");
        click(jpg, "cmd(1)");
        QTRY_VERIFY(jpg.isNull());
        QVERIFY(window_->isEnabled());
        QVERIFY(QDir(out_).isEmpty());

        open();
        click(jpg, "optP");
        ModalScript noBoxes({});
        click(jpg, "cmd(0)");
        QTRY_VERIFY(jpg.isNull());
        QVERIFY(window_->isEnabled());
        QVERIFY(noBoxes.seen().empty());
        QVERIFY(fileBytes(target).contains("\xFF\xC2")); // only a progressive frame has it
        QCOMPARE(QImage(target).size(), QSize(kCanvasWidth, kCanvasHeight));
    }

    void effectsToneTheCanvasUntilAPartIsChosen() {
        // Slot 1 starts at (80, 80); the key colour at the part's (0, 0) is see-through.
        folder_->writePart("x_ug.bmp", pictureOf(3, 1, {kKey, {255, 0, 0}, kWhite}));
        window_->onRefresh();
        clickRow(window_->lst(1), window_->lst(1)->item(0));
        const Picture plain = window_->scene().canvas;
        const struct {
            const char* effect;
            Rgb red, white;
        } rows[] = {{"mnuGray", {85, 85, 85}, kWhite}, {"mnuSepia", {126, 0, 0}, {126, 98, 31}}};
        for (const auto& row : rows) {
            in<QAction>(window_.get(), row.effect)->trigger();
            QCOMPARE(window_->scene().canvas.pixel(81, 80), row.red);
            QCOMPARE(window_->scene().canvas.pixel(82, 80), row.white);
            QCOMPARE(fromQImage(window_->canvasView()->shownImage()), window_->scene().canvas);
            clickRow(window_->lst(1), window_->lst(1)->item(0));
            QCOMPARE(window_->scene().canvas, plain);
        }
    }

    void exportScenario_data() {
        QTest::addColumn<ExportRow>("row");
        const QStringList oneToThree{"Area1.wid", "Area2.wid", "Area3.wid"};
        const auto failed = [](const QString& file, int error) {
            return box("エラー発生！\n「@/" + file + "」を書き込めませんでした。\n" +
                       QStringLiteral("%1（エラー番号 %2）\nエリアファイルは書き出していません。")
                           .arg(QString::fromStdString(errorDescription(error)))
                           .arg(error));
        };
        QTest::newRow("first export, slots 2 and 4 and three objects")
            << ExportRow{.written = {"Summary.wsm", "Area1.wid", "dark.bmp", "stone_bl.bmp",
                                     "stone_fl.bmp", "box.bmp", "barrel.bmp", "lamp.bmp"},
                         .cells = 6,
                         .existing = {},
                         .parts = {"2:stone_bl", "4:stone_fl", "box", "barrel", "lamp"}};
        QTest::newRow("beside Area1-3, default background")
            << ExportRow{.written = {"Area4.wid", "stone_ug.bmp", "box.bmp"},
                         .existing = oneToThree,
                         .defaultBackground = true};
        QTest::newRow("replacing Area2")
            << ExportRow{.written = {"Area2.wid", "dark.bmp", "stone_ug.bmp", "box.bmp"},
                         .existing = oneToThree,
                         .selected = "Area2.wid"};
        // Listed second and after a gap, but its own number counts.
        QTest::newRow("replacing Area10")
            << ExportRow{.written = {"Area10.wid", "dark.bmp", "stone_ug.bmp", "box.bmp"},
                         .existing = {"Area1.wid", "Area10.wid", "Area3.wid"},
                         .selected = "Area10.wid"};
        QTest::newRow("cancelled after changing the folder")
            << ExportRow{.existing = {}, .cancel = true};
        QTest::newRow("folder replaced by a file") << ExportRow{
            box("保存場所のフォルダ「@」が見つかりません。\n存在するフォルダを指定してください。"),
            Fault::FolderIsFile};
        QTest::newRow("read-only folder")
            << ExportRow{box("保存場所のフォルダ「@"
                             "」に書き込めません。\n書き込みのできるフォルダを指定してください。"),
                         Fault::ReadOnly};
        QTest::newRow("part bitmap gone") << ExportRow{
            box("部品のビットマップ「&/box.bmp」が見つかりません。\n何も書き出していません。"),
            Fault::PartGone};
        QTest::newRow("number not whole") << ExportRow{
            box("エリア番号「abc」は整数ではありません。\n整数を入力してください。"), {}, "abc"};
        QTest::newRow("name without Shift-JIS form")
            << ExportRow{.told = box("「한국」にはシフトJISで表せない文字があります。\nCardWirth "
                                     "のファイルに書き込めないため、名前を変えてください。"),
                         .parts = {"1:stone_ug", "한국"}};
        QTest::newRow("existing area number, No") << ExportRow{asked("Area1.wid"), {}, "1"};
        QTest::newRow("existing-file mode, nothing selected")
            << ExportRow{box("リストから上書きするファイルを選択してください。", "Tarn 警告"),
                         Fault::Unselected};
        QTest::newRow("Area2.wid is a folder")
            << ExportRow{.told = failed("Area2.wid", EISDIR), .fault = Fault::AreaDir};
        QTest::newRow("dark.bmp is a folder")
            << ExportRow{.told = failed("dark.bmp", EISDIR), .fault = Fault::DarkDir};
        // What went before is whole; nothing after it is begun.
        QTest::newRow("disk fills at dark.bmp") << ExportRow{
            failed("dark.bmp", ENOSPC), Fault::DiskFull, {}, {"stone_ug.bmp", "box.bmp"}};
    }
    void exportScenario() {
        QFETCH(ExportRow, row);
        row.told.replace('@', out_).replace('&', parts_);
        for (const QString& name : row.existing)
            writeFile(out_ + '/' + name, "old");
        for (const QString& part : row.parts)
            add(part);
        in<QAction>(window_.get(), "mnuWrte")->trigger();
        QPointer<FrmWrite> dialog = in<FrmWrite>(window_.get(), "frmWrite");
        in<QLineEdit>(dialog, "txtFolder")->setText(out_);
        auto* list = in<QListWidget>(dialog, "lst");
        QCOMPARE(entries(list), row.existing);
        QCOMPARE(text(dialog, "txtNewFILE"), QString::number(row.existing.size() + 1));
        QCOMPARE(in(dialog, "opt(1)")->isEnabled(), !row.existing.isEmpty());
        if (!row.selected.isEmpty() || row.fault == Fault::Unselected)
            click(dialog, "opt(1)");
        if (!row.selected.isEmpty())
            clickRow(list, list->findItems(row.selected, Qt::MatchExactly).value(0));
        if (!row.number.isEmpty())
            in<QLineEdit>(dialog, "txtNewFILE")->setText(row.number);
        if (row.defaultBackground)
            click(dialog, "optBG(0)");
        strike(row.fault);
        auto before = snapshot(work_);
        ModalScript script(
            {press(row.told == asked("Area1.wid") ? QMessageBox::No : QMessageBox::Ok)});
        click(dialog, row.cancel ? "CancelButton" : "OKButton");

        QCOMPARE(shown(script.seen()), row.told.isEmpty() ? QStringList() : QStringList{row.told});
        if (row.told.isEmpty()) {
            QTRY_VERIFY(dialog.isNull());
        } else { // still open with the user's choices
            QVERIFY(dialog && dialog->isVisible());
            QCOMPARE(text(dialog, "txtFolder"), out_);
            QCOMPARE(text(dialog, "txtNewFILE"), row.number.isEmpty() ? "2" : row.number);
        }
        auto after = snapshot(work_);
        for (const QString& file : row.written) {
            before.remove(out_ + '/' + file);
            QCOMPARE(after.take(out_ + '/' + file),
                     file.startsWith("Area")
                         ? area(file.mid(4).chopped(4).toInt(), row.cells, row.defaultBackground)
                     : file == "Summary.wsm" || file == "dark.bmp"
                         ? fileBytes(TARN_TEST_DATA "/export/" + file.toLower())
                         : fileBytes(parts_ + '/' + file));
        }
        QCOMPARE(after, before);
        if (row.fault != Fault::ReadOnly) // nobody cannot write the settings
            QCOMPARE(storedFolder(), row.cancel ? "-" : out_);
    }
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
