// Drives the scenario template export dialog through its real controls and
// checks the scenario folder it leaves on disk.

#include "app/app_context.h"
#include "app/frm_main.h"
#include "app/frm_write.h"
#include "output/file_write.h"
#include "scene/scene.h"
#include "support/app_pictures.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <memory>

using namespace tarn;
using tarn::test::writeFile;

namespace {

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.sort();
    return names;
}

// What the tests read back from an area file: its number and cell count.
struct AreaFacts {
    int number = -1;
    int cells = -1;
};

AreaFacts readArea(const QString& path) {
    const QByteArray b = test::fileBytes(path);
    if (b.size() < 27)
        return {};
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<qint32>(b.constData() + at); };
    const qsizetype nameLength = u32(5) - 1;
    if (b.size() < 27 + nameLength)
        return {};
    return {u32(10 + nameLength) - 40000, static_cast<unsigned char>(b[23 + nameLength])};
}

const char* const kSlotNames[] = {"", "stone_ug", "stone_bl", "stone_br", "stone_fl", "stone_fr"};

} // namespace

class TstFrmWrite : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void loadsWithInitialChoices();
    void optionsEnableTheirControls();
    void exportWritesTemplate_data();
    void exportWritesTemplate();
    void listFollowsTheFolder();
    void replacesTheSelectedFile_data();
    void replacesTheSelectedFile();
    void warnsWhenNothingIsSelected();
    void cancelWritesNothing();
    void problemsStopBeforeWriting_data();
    void problemsStopBeforeWriting();
    void existingAreaNumberAsksFirst();
    void writeFailureIsReported();
    void slotChangedWhileOpenIsExportedWithItsOwnFile();
    void mainWindowKeepsOneDialog();

  private:
    void openDialog();
    template <class T> T* ctl(const char* name) {
        T* w = dialog_ ? dialog_->findChild<T*>(QLatin1String(name)) : nullptr;
        if (w == nullptr)
            qFatal("control %s missing", name);
        return w;
    }
    // Near the left end: a stretched option button only reacts over its mark and caption.
    void click(const char* name) {
        auto* button = ctl<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void type(const char* name, const QString& text) {
        auto* edit = ctl<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void selectListEntry(const QString& entry);
    QString writePart(const QString& file, int width, QRgb color);
    void addSlot(int i);
    void addObject(const QString& name, const QString& file, const QString& flag);

    std::unique_ptr<QTemporaryDir> tmp_;
    AppContext context_;
    QString parts_;
    QString scenario_;
    Scene scene_;
    QPointer<FrmWrite> dialog_;
    std::unique_ptr<test::ModalScript> script_;
};

void TstFrmWrite::init() {
    tmp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(tmp_->isValid());
    const QString root = tmp_->path();
    for (const char* sub : {"program", "parts", "scenario"})
        QVERIFY(QDir(root).mkpath(QLatin1String(sub)));
    context_ = AppContext{root + QStringLiteral("/program"), QStringLiteral("tarn")};
    parts_ = root + QStringLiteral("/parts");
    scenario_ = root + QStringLiteral("/scenario");
    scene_ = Scene();
    script_ = std::make_unique<test::ModalScript>(std::vector<test::ModalScript::Step>{});
}

void TstFrmWrite::cleanup() {
    testing::injectWriteFailure(0, 0);
    delete dialog_.data();
    QVERIFY2(script_->noneUnexpected(), "a dialog nobody expected opened");
    QVERIFY2(script_->allAnswered(), "an expected dialog never opened");
}

void TstFrmWrite::openDialog() {
    dialog_ = new FrmWrite(scene_, context_);
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_));
}

void TstFrmWrite::selectListEntry(const QString& entry) {
    auto* list = ctl<QListWidget>("lst");
    const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
    QVERIFY(found.first()->isSelected());
}

// Part bitmaps differ in size and colour, with a marked top-left pixel, so a
// copy of the wrong source shows in the bytes.
QString TstFrmWrite::writePart(const QString& file, int width, QRgb color) {
    QImage image(width, 12, QImage::Format_RGB888);
    image.fill(color);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    const QString path = parts_ + QLatin1Char('/') + file + QStringLiteral(".bmp");
    if (!image.save(path, "BMP"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TstFrmWrite::addSlot(int i) {
    const QString name = QLatin1String(kSlotNames[i]);
    Slot& slot = scene_.slot(i);
    slot.name = name.toStdString();
    slot.path = writePart(name, 8 + i, qRgb(40 * i, 0, 255)).toStdString();
    slot.picture = Picture(8 + i, 12);
}

void TstFrmWrite::addObject(const QString& name, const QString& file, const QString& flag) {
    const int k = static_cast<int>(scene_.objects.size());
    ObjectRow row;
    row.name = name.toStdString();
    row.x = std::to_string(10 * k);
    row.y = "5";
    row.flag = flag.toStdString();
    row.path = writePart(file, 3 + k, qRgb(0, 30 * k, 90)).toStdString();
    row.picture = Picture(3 + k, 12);
    scene_.objects.push_back(std::move(row));
}

void TstFrmWrite::loadsWithInitialChoices() {
    openDialog();
    QCOMPARE(dialog_->objectName(), QStringLiteral("frmWrite"));
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("シナリオ ひな形書き出し"));
    QVERIFY(!dialog_->isModal());
    // Nothing stored yet: the program folder, which holds no area file.
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), context_.programFolder);
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("1"));
    QCOMPARE(ctl<QListWidget>("lst")->count(), 0);

    struct Expected {
        const char* name;
        QString caption;
        bool enabled;
        int checked; // -1: not a check button
    };
    const Expected controls[] = {
        {"Label5", QStringLiteral("保存場所"), true, -1},
        {"Command1", QStringLiteral("参照"), true, -1},
        {"OKButton", QStringLiteral("OK"), true, -1},
        {"CancelButton", QStringLiteral("ｷｬﾝｾﾙ"), true, -1},
        {"opt(0)", QStringLiteral("新規ファイル"), true, 1},
        {"opt(1)", QStringLiteral("既存ファイル"), false, 0},
        {"Label3", QStringLiteral("Area"), true, -1},
        {"Label4", QStringLiteral(".wid"), true, -1},
        {"optBG(0)", QStringLiteral("背景はデフォルトを使用(MapOfWirth.bmp)"), true, 0},
        {"optBG(1)", QStringLiteral("背景を指定"), true, 1},
        {"optB(0)", QStringLiteral("背景に黒を使用"), true, 1},
        {"Label1", QStringLiteral("（dark.bmpを追加作成)"), true, -1},
        {"optB(1)", QStringLiteral("背景を指定する"), false, 0},
        {"Command3", QStringLiteral("参照"), false, -1},
        {"Label2", QString(), false, -1},
    };
    for (const Expected& e : controls) {
        QWidget* w = ctl<QWidget>(e.name);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const QString caption =
            button ? button->text() : ctl<QLabel>(e.name)->text(); // labels and buttons only
        QVERIFY2(caption == e.caption, e.name);
        QVERIFY2(w->isEnabled() == e.enabled, e.name);
        if (e.checked >= 0)
            QVERIFY2(button->isChecked() == (e.checked == 1), e.name);
    }
    QCOMPARE(ctl<QGroupBox>("Frame1")->title(), QStringLiteral("背景"));
    QVERIFY(ctl<QGroupBox>("Frame1")->isEnabled());
    QVERIFY(!ctl<QListWidget>("lst")->isEnabled());
    QVERIFY(!ctl<QLineEdit>("txtBg")->isEnabled());
    QVERIFY(ctl<QLineEdit>("txtNewFILE")->isEnabled());

    // A stored folder comes back on the next opening.
    delete dialog_.data();
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), scenario_);
}

void TstFrmWrite::optionsEnableTheirControls() {
    writeFile(scenario_ + QStringLiteral("/Area1.wid"), "old");
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();

    click("opt(1)");
    for (const char* off : {"txtNewFILE", "Label3", "Label4"})
        QVERIFY2(!ctl<QWidget>(off)->isEnabled(), off);
    QVERIFY(ctl<QListWidget>("lst")->isEnabled());
    click("opt(0)");
    for (const char* on : {"txtNewFILE", "Label3", "Label4"})
        QVERIFY2(ctl<QWidget>(on)->isEnabled(), on);
    QVERIFY(!ctl<QListWidget>("lst")->isEnabled());

    // The default background locks the frame; its choice survives the round trip
    // and the never-offered controls stay off.
    click("optBG(0)");
    QVERIFY(!ctl<QGroupBox>("Frame1")->isEnabled());
    QVERIFY(!ctl<QRadioButton>("optB(0)")->isEnabled());
    click("optBG(1)");
    QVERIFY(ctl<QGroupBox>("Frame1")->isEnabled());
    QVERIFY(ctl<QRadioButton>("optB(0)")->isChecked());
    QVERIFY(!ctl<QRadioButton>("optB(1)")->isEnabled());
    QVERIFY(!ctl<QPushButton>("Command3")->isEnabled());
    QVERIFY(ctl<QRadioButton>("opt(0)")->isChecked()); // the groups are independent
}

void TstFrmWrite::exportWritesTemplate_data() {
    QTest::addColumn<QList<int>>("filled");
    QTest::addColumn<QStringList>("objects"); // name/source/flag
    QTest::addColumn<bool>("defaultBackground");
    QTest::addColumn<int>("cells");
    QTest::addColumn<QStringList>("bitmaps"); // copied part files expected

    QTest::newRow("black background, slots 2 and 4, three objects")
        << QList<int>{2, 4} << QStringList{"box/box/F", "barrel/barrel/T", "lamp/lamp/F"} << false
        << 6 << QStringList{"stone_bl", "stone_fl", "box", "barrel", "lamp"};
    QTest::newRow("default background, empty scene")
        << QList<int>{} << QStringList{} << true << 1 << QStringList{};
    QTest::newRow("all slots, two objects sharing a name")
        << QList<int>{1, 2, 3, 4, 5} << QStringList{"box/boxA/F", "box/boxB/T"} << false << 8
        << QStringList{"stone_ug", "stone_bl", "stone_br", "stone_fl", "stone_fr", "box"};
}

void TstFrmWrite::exportWritesTemplate() {
    QFETCH(QList<int>, filled);
    QFETCH(QStringList, objects);
    QFETCH(bool, defaultBackground);
    QFETCH(int, cells);
    QFETCH(QStringList, bitmaps);

    QMap<QString, QString> sourceOf; // copied name -> last source written under it
    for (int i : filled) {
        addSlot(i);
        sourceOf[QLatin1String(kSlotNames[i])] = QString::fromStdString(scene_.slot(i).path);
    }
    for (const QString& object : objects) {
        const QStringList f = object.split(u'/');
        addObject(f[0], f[1], f[2]);
        sourceOf[f[0]] = QString::fromStdString(scene_.objects.back().path);
    }
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    if (defaultBackground)
        click("optBG(0)");
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());

    QStringList expected{QStringLiteral("Area1.wid"), QStringLiteral("Summary.wsm")};
    if (!defaultBackground)
        expected << QStringLiteral("dark.bmp");
    for (const QString& b : bitmaps)
        expected << b + QStringLiteral(".bmp");
    expected.sort();
    QCOMPARE(filesIn(scenario_), expected);

    for (const QString& b : bitmaps) {
        QVERIFY(sourceOf.contains(b));
        QVERIFY2(test::fileBytes(scenario_ + QLatin1Char('/') + b + QStringLiteral(".bmp")) ==
                     test::fileBytes(sourceOf[b]),
                 qPrintable(b));
    }
    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/Summary.wsm")).size(), 62);
    const QByteArray area = test::fileBytes(scenario_ + QStringLiteral("/Area1.wid"));
    const AreaFacts facts = readArea(scenario_ + QStringLiteral("/Area1.wid"));
    QCOMPARE(facts.number, 1);
    QCOMPARE(facts.cells, cells);
    if (defaultBackground) {
        QVERIFY(area.contains("MapOfWirth.BMP"));
    } else {
        QVERIFY(area.contains("dark.bmp"));
        const QString dark = scenario_ + QStringLiteral("/dark.bmp");
        QCOMPARE(test::fileBytes(dark).size(), 246);
        const QImage image(dark);
        QCOMPARE(image.size(), QSize(10, 10));
        QCOMPARE(image.pixel(9, 9), qRgb(0, 0, 0));
    }
    QCOMPARE(QString::fromStdString(context_.ini().getini("MemWData", "MofSLoc", "")), scenario_);
}

void TstFrmWrite::listFollowsTheFolder() {
    for (const char* name : {"Area1.wid", "Area2.wid", "Area3.wid", "Old.WID", "Area9.wid.bak"})
        writeFile(scenario_ + QLatin1Char('/') + QLatin1String(name), "old");
    QVERIFY(QDir(scenario_).mkdir(QStringLiteral("Area8.wid")));
    const QStringList areaFiles{"Area1.wid", "Area2.wid", "Area3.wid"};
    openDialog();
    QCOMPARE(test::entries(ctl<QListWidget>("lst")), QStringList());

    type("txtFolder", scenario_);
    QCOMPARE(test::entries(ctl<QListWidget>("lst")), areaFiles);
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("4"));
    QVERIFY(ctl<QRadioButton>("opt(1)")->isEnabled());
    QVERIFY(ctl<QRadioButton>("opt(0)")->isChecked());

    // A folder without area files turns the existing-file option off but leaves
    // it chosen; OK then asks for a selection.
    click("opt(1)");
    type("txtFolder", scenario_ + QStringLiteral("/missing"));
    QCOMPARE(test::entries(ctl<QListWidget>("lst")), QStringList());
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("1"));
    QVERIFY(!ctl<QRadioButton>("opt(1)")->isEnabled());
    QVERIFY(ctl<QRadioButton>("opt(1)")->isChecked());
    script_->add(test::press(QMessageBox::Ok));
    click("OKButton");
    QCOMPARE(script_->seen().size(), std::size_t{1});
    QCOMPARE(script_->seen()[0].title, QStringLiteral("Tarn 警告"));

    // The chooser: cancelled changes nothing, a chosen folder is listed.
    script_->add(test::cancel());
    click("Command1");
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), scenario_ + QStringLiteral("/missing"));
    script_->add(test::chooseFolder(scenario_));
    click("Command1");
    QCOMPARE(script_->seen().size(), std::size_t{3});
    QCOMPARE(script_->seen()[2].objectName, QStringLiteral("cmDialog"));
    QCOMPARE(script_->seen()[2].title, QStringLiteral("保存場所の指定"));
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), scenario_);
    QCOMPARE(test::entries(ctl<QListWidget>("lst")), areaFiles);

    // A new area beside existing ones: no summary.
    click("opt(0)");
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());
    QCOMPARE(readArea(scenario_ + QStringLiteral("/Area4.wid")).number, 4);
    QVERIFY(!QFile::exists(scenario_ + QStringLiteral("/Summary.wsm")));
    for (const QString& old : areaFiles)
        QCOMPARE(test::fileBytes(scenario_ + QLatin1Char('/') + old), QByteArray("old"));
}

void TstFrmWrite::replacesTheSelectedFile_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("number");

    QTest::newRow("Area2 of 1 to 3")
        << QStringList{"Area1.wid", "Area2.wid", "Area3.wid"} << QStringLiteral("Area2.wid") << 2;
    // Sorted by name Area10 comes second: its own number counts, not its place.
    QTest::newRow("Area10 listed before Area2")
        << QStringList{"Area1.wid", "Area2.wid", "Area10.wid"} << QStringLiteral("Area10.wid")
        << 10;
    QTest::newRow("gap in the numbers")
        << QStringList{"Area1.wid", "Area3.wid"} << QStringLiteral("Area3.wid") << 3;
}

void TstFrmWrite::replacesTheSelectedFile() {
    QFETCH(QStringList, existing);
    QFETCH(QString, selected);
    QFETCH(int, number);

    for (const QString& name : existing)
        writeFile(scenario_ + QLatin1Char('/') + name, "old");
    addSlot(1);
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    click("opt(1)");
    selectListEntry(selected);
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());

    const AreaFacts facts = readArea(scenario_ + QLatin1Char('/') + selected);
    QCOMPARE(facts.number, number);
    QCOMPARE(facts.cells, 2);
    for (const QString& name : existing)
        if (name != selected)
            QVERIFY2(test::fileBytes(scenario_ + QLatin1Char('/') + name) == "old",
                     qPrintable(name));
    QStringList expected = existing;
    expected << QStringLiteral("dark.bmp") << QStringLiteral("stone_ug.bmp");
    expected.sort();
    QCOMPARE(filesIn(scenario_), expected);
}

void TstFrmWrite::warnsWhenNothingIsSelected() {
    writeFile(scenario_ + QStringLiteral("/Area1.wid"), "old");
    addSlot(1);
    openDialog();
    type("txtFolder", scenario_);
    click("opt(1)");
    script_->add(test::press(QMessageBox::Ok));
    click("OKButton");

    QCOMPARE(script_->seen().size(), std::size_t{1});
    QCOMPARE(script_->seen()[0].title, QStringLiteral("Tarn 警告"));
    QCOMPARE(script_->seen()[0].text,
             QStringLiteral("リストから上書きするファイルを選択してください。"));
    QCOMPARE(script_->seen()[0].icon, QMessageBox::Warning);
    QVERIFY(dialog_ && dialog_->isVisible());
    QVERIFY(ctl<QRadioButton>("opt(1)")->isChecked());
    QCOMPARE(filesIn(scenario_), QStringList{"Area1.wid"});
    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/Area1.wid")), QByteArray("old"));
    // The folder is remembered even though the export stopped.
    QCOMPARE(QString::fromStdString(context_.ini().getini("MemWData", "MofSLoc", "")), scenario_);

    // A selected file that vanished meanwhile is not "replaced" by a new one;
    // the list is brought up to date instead.
    selectListEntry(QStringLiteral("Area1.wid"));
    QVERIFY(QFile::remove(scenario_ + QStringLiteral("/Area1.wid")));
    script_->add(test::press(QMessageBox::Ok));
    click("OKButton");
    QCOMPARE(script_->seen().size(), std::size_t{2});
    QCOMPARE(script_->seen()[1].title, QStringLiteral("Tarn 警告"));
    QCOMPARE(test::entries(ctl<QListWidget>("lst")), QStringList());
    QVERIFY(filesIn(scenario_).isEmpty());
}

void TstFrmWrite::cancelWritesNothing() {
    addSlot(1);
    openDialog();
    type("txtFolder", scenario_);
    click("CancelButton");
    QTRY_VERIFY(dialog_.isNull());
    QVERIFY(filesIn(scenario_).isEmpty());
    QVERIFY(filesIn(context_.programFolder).isEmpty()); // not even the settings file
}

enum class Fault { MissingFolder, FolderIsFile, MissingPart, BadNumber, TooLarge, NoShiftJis };

void TstFrmWrite::problemsStopBeforeWriting_data() {
    QTest::addColumn<int>("fault");
    // What the message must name; "@" stands for the scenario folder, "&" for the parts.
    QTest::addColumn<QString>("named");

    QTest::newRow("missing folder") << int(Fault::MissingFolder) << QStringLiteral("@/gone");
    QTest::newRow("folder is a file") << int(Fault::FolderIsFile) << QStringLiteral("@/notes.txt");
    QTest::newRow("missing part bitmap")
        << int(Fault::MissingPart) << QStringLiteral("&/barrel.bmp");
    QTest::newRow("number not a number") << int(Fault::BadNumber) << QStringLiteral("abc");
    QTest::newRow("number too large") << int(Fault::TooLarge) << QStringLiteral("2147443648");
    QTest::newRow("name without Shift-JIS form")
        << int(Fault::NoShiftJis) << QStringLiteral("한국");
}

void TstFrmWrite::problemsStopBeforeWriting() {
    QFETCH(int, fault);
    QFETCH(QString, named);
    named.replace(u'@', scenario_).replace(u'&', parts_);

    addSlot(1);
    addObject(fault == int(Fault::NoShiftJis) ? named : QStringLiteral("box"),
              QStringLiteral("box"), QStringLiteral("F"));
    addObject(QStringLiteral("barrel"), QStringLiteral("barrel"), QStringLiteral("T"));
    writeFile(scenario_ + QStringLiteral("/notes.txt"), "notes");
    if (fault == int(Fault::MissingPart))
        QVERIFY(QFile::remove(parts_ + QStringLiteral("/barrel.bmp")));
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    click("optBG(0)");
    QString folder = scenario_;
    if (fault == int(Fault::MissingFolder) || fault == int(Fault::FolderIsFile)) {
        folder = named;
        type("txtFolder", folder);
    }
    QString number = QStringLiteral("1");
    if (fault == int(Fault::BadNumber) || fault == int(Fault::TooLarge)) {
        number = named;
        type("txtNewFILE", number);
    }

    script_->add(test::press(QMessageBox::Ok));
    click("OKButton");
    QCOMPARE(script_->seen().size(), std::size_t{1});
    QCOMPARE(script_->seen()[0].title, QStringLiteral("Tarn"));
    QCOMPARE(script_->seen()[0].icon, QMessageBox::Warning);
    QVERIFY2(script_->seen()[0].text.contains(u'「' + named + u'」'),
             qPrintable(script_->seen()[0].text));

    // Nothing written, and the dialog still shows what the user chose.
    QCOMPARE(filesIn(scenario_), QStringList{"notes.txt"});
    QVERIFY(dialog_ && dialog_->isVisible());
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), folder);
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), number);
    QVERIFY(ctl<QRadioButton>("optBG(0)")->isChecked());
}

void TstFrmWrite::existingAreaNumberAsksFirst() {
    writeFile(scenario_ + QStringLiteral("/Area1.wid"), "one");
    writeFile(scenario_ + QStringLiteral("/Area3.wid"), "three");
    addSlot(2);
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("3"));

    script_->add(test::press(QMessageBox::No));
    click("OKButton");
    QCOMPARE(script_->seen().size(), std::size_t{1});
    QCOMPARE(script_->seen()[0].title, QStringLiteral("ファイルの重複問あわせ"));
    QCOMPARE(script_->seen()[0].text,
             QStringLiteral("「Area3.wid」\n同じ名前のファイルが存在します。\n上書きしますか？"));
    QCOMPARE(script_->seen()[0].icon, QMessageBox::Question);
    QVERIFY(dialog_ && dialog_->isVisible());
    QCOMPARE(filesIn(scenario_), (QStringList{"Area1.wid", "Area3.wid"}));
    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/Area3.wid")), QByteArray("three"));

    script_->add(test::press(QMessageBox::Yes));
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());
    QCOMPARE(readArea(scenario_ + QStringLiteral("/Area3.wid")).number, 3);
    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/Area1.wid")), QByteArray("one"));
}

void TstFrmWrite::writeFailureIsReported() {
    addSlot(1);
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    testing::injectWriteFailure(ENOSPC, 0);
    script_->add(test::press(QMessageBox::Ok));
    click("OKButton");
    testing::injectWriteFailure(0, 0);

    QCOMPARE(script_->seen().size(), std::size_t{1});
    const test::SeenDialog& box = script_->seen()[0];
    QCOMPARE(box.title, QStringLiteral("Tarn"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY2(box.text.startsWith(QStringLiteral("エラー発生！")), qPrintable(box.text));
    QVERIFY2(box.text.contains(scenario_ + QStringLiteral("/Summary.wsm")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QString::fromStdString(errorDescription(ENOSPC))),
             qPrintable(box.text));
    QVERIFY(dialog_ && dialog_->isVisible());
    QVERIFY(!QFile::exists(scenario_ + QStringLiteral("/Area1.wid")));

    // Once the disk has room again the same dialog finishes the export.
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());
    QCOMPARE(readArea(scenario_ + QStringLiteral("/Area1.wid")).cells, 2);
}

void TstFrmWrite::slotChangedWhileOpenIsExportedWithItsOwnFile() {
    addSlot(1);
    QVERIFY(context_.ini().putini("MemWData", "MofSLoc", scenario_.toStdString()));
    openDialog();
    // The main window stays usable: slot 1 gets another part and slot 3 is filled.
    Slot& ground = scene_.slot(1);
    ground.name = "moss_ug";
    ground.path = writePart(QStringLiteral("moss_ug"), 30, qRgb(0, 200, 0)).toStdString();
    addSlot(3);
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());

    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/moss_ug.bmp")),
             test::fileBytes(parts_ + QStringLiteral("/moss_ug.bmp")));
    QCOMPARE(test::fileBytes(scenario_ + QStringLiteral("/stone_br.bmp")),
             test::fileBytes(parts_ + QStringLiteral("/stone_br.bmp")));
    QVERIFY(!QFile::exists(scenario_ + QStringLiteral("/stone_ug.bmp")));
    QCOMPARE(readArea(scenario_ + QStringLiteral("/Area1.wid")).cells, 3);
}

void TstFrmWrite::mainWindowKeepsOneDialog() {
    FrmMain main(context_);
    main.load();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto* mnuWrte = main.findChild<QAction*>(QStringLiteral("mnuWrte"));
    QVERIFY(mnuWrte != nullptr);
    QCOMPARE(mnuWrte->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));

    mnuWrte->trigger();
    QList<FrmWrite*> open = main.findChildren<FrmWrite*>();
    QCOMPARE(open.size(), 1);
    dialog_ = open.first();
    QVERIFY(dialog_->isVisible());
    QVERIFY(main.isEnabled()); // modeless: the main window stays usable
    type("txtNewFILE", QStringLiteral("7"));

    // Opening again brings the same dialog forward and reloads nothing.
    main.activateWindow();
    mnuWrte->trigger();
    QCOMPARE(main.findChildren<FrmWrite*>(), open);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(dialog_.data()));
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("7"));

    // The dialog exports the main window's scene into the folder it remembers.
    Slot& ground = main.scene().slot(1);
    ground.name = "stone_ug";
    ground.path = writePart(QStringLiteral("stone_ug"), 9, qRgb(40, 0, 255)).toStdString();
    type("txtFolder", scenario_);
    type("txtNewFILE", QStringLiteral("7"));
    click("OKButton");
    QTRY_VERIFY(dialog_.isNull());
    QCOMPARE(readArea(scenario_ + QStringLiteral("/Area7.wid")).cells, 2);
    QVERIFY(QFile::exists(scenario_ + QStringLiteral("/stone_ug.bmp")));

    // After closing, the next opening is a fresh dialog.
    mnuWrte->trigger();
    open = main.findChildren<FrmWrite*>();
    QCOMPARE(open.size(), 1);
    dialog_ = open.first();
    QCOMPARE(ctl<QLineEdit>("txtFolder")->text(), scenario_);
    QCOMPARE(ctl<QLineEdit>("txtNewFILE")->text(), QStringLiteral("2"));
}

QTEST_MAIN(TstFrmWrite)
#include "tst_frm_write.moc"
