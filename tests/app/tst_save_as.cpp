#include "app/app_context.h"
#include "app/frm_jpg.h"
#include "app/frm_main.h"
#include "app/picture_io.h"
#include "app/save_as_flow.h"
#include "output/file_write.h"
#include "support/app_pictures.h"
#include "support/modal_script.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace tarn;
using namespace tarn::test;

Q_DECLARE_METATYPE(tarn::Picture)

namespace {

int bitsPerPixel(const QByteArray& bmp) {
    return bmp.size() < 30
               ? -1
               : static_cast<unsigned char>(bmp[28]) | (static_cast<unsigned char>(bmp[29]) << 8);
}

} // namespace

class TestSaveAs : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void bmpPicksPaletteOrFullColour_data();
    void bmpPicksPaletteOrFullColour();
    void cancelledDialogDoesNothing();
    void namesWithoutBmpOrJpgEndingSaveNothing_data();
    void namesWithoutBmpOrJpgEndingSaveNothing();
    void existingFileIsReplacedOnlyAfterYes_data();
    void existingFileIsReplacedOnlyAfterYes();
    void existingJpgIsAskedAboutBeforeTheDialogOpens_data();
    void existingJpgIsAskedAboutBeforeTheDialogOpens();
    void failedWriteIsReportedAndKeepsTheEarlierFile_data();
    void failedWriteIsReportedAndKeepsTheEarlierFile();
    void menuSavesTheMainWindowsCanvas();
    void menuJpegLocksTheMainWindowUntilTheDialogCloses();

  private:
    void runFlow(const Picture& canvas, ModalScript& script);
    QString pathIn(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QWidget> mainWindow_;
    AppContext context_;
};

void TestSaveAs::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("program")));
    context_ = {dir_->filePath(QStringLiteral("program")), QStringLiteral("tarn")};
    mainWindow_ = std::make_unique<QWidget>();
    mainWindow_->show();
}

void TestSaveAs::cleanup() {
    testing::injectWriteFailure(0, 0);
    mainWindow_.reset();
    dir_.reset();
}

void TestSaveAs::runFlow(const Picture& canvas, ModalScript& script) {
    saveAsFlow(mainWindow_.get(), canvas, context_);
    QVERIFY2(script.allAnswered(), "a dialog the user should have seen did not appear");
}

void TestSaveAs::bmpPicksPaletteOrFullColour_data() {
    QTest::addColumn<Picture>("canvas");
    QTest::addColumn<int>("bits");
    QTest::addColumn<QString>("message");
    QTest::newRow("two colours") << twoColourCanvas() << 8
                                 << QStringLiteral("256形式で保存しました");
    QTest::newRow("thousands of colours")
        << gradientCanvas() << 24 << QStringLiteral("フルカラー形式で保存しました");
}

void TestSaveAs::bmpPicksPaletteOrFullColour() {
    QFETCH(Picture, canvas);
    QFETCH(int, bits);
    QFETCH(QString, message);
    const QString path = pathIn(QStringLiteral("絵.bmp"));

    ModalScript script({typeFileName(path), press(QMessageBox::Ok)});
    runFlow(canvas, script);

    QCOMPARE(script.seen().size(), 2u);
    const SeenDialog& box = script.seen()[1];
    QCOMPARE(box.title, QStringLiteral("Tarn"));
    QCOMPARE(box.text, message);
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    QCOMPARE(bitsPerPixel(fileBytes(path)), bits);
    QImage written(path);
    QVERIFY(!written.isNull());
    QCOMPARE(fromQImage(written), canvas);
}

void TestSaveAs::cancelledDialogDoesNothing() {
    ModalScript script({cancel()});
    runFlow(twoColourCanvas(), script);

    QCOMPARE(script.seen().size(), 1u);
    const SeenDialog& dialog = script.seen()[0];
    QCOMPARE(dialog.objectName, QStringLiteral("cmDialog"));
    QCOMPARE(dialog.title, QStringLiteral("名前を付けて保存"));
    QCOMPARE(dialog.text, QStringLiteral("新規画像"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 0);
    QVERIFY(mainWindow_->isEnabled());
}

void TestSaveAs::namesWithoutBmpOrJpgEndingSaveNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("suggested name") << QStringLiteral("新規画像");
    QTest::newRow("capital BMP") << QStringLiteral("x.BMP");
    QTest::newRow("jpeg") << QStringLiteral("x.jpeg");
    QTest::newRow("Jpg") << QStringLiteral("x.Jpg");
}

void TestSaveAs::namesWithoutBmpOrJpgEndingSaveNothing() {
    QFETCH(QString, name);

    ModalScript script({typeFileName(pathIn(name)), press(QMessageBox::Ok)});
    runFlow(twoColourCanvas(), script);

    QCOMPARE(script.seen().size(), 2u);
    const SeenDialog& box = script.seen()[1];
    QCOMPARE(box.title, QStringLiteral("Tarn"));
    QVERIFY2(box.text.contains(QStringLiteral("保存しませんでした")), qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("「bmp」")) &&
            box.text.contains(QStringLiteral("「jpg」")));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 0);
    QVERIFY(!mainWindow_->findChild<FrmJpg*>());
    QVERIFY(mainWindow_->isEnabled());
}

void TestSaveAs::existingFileIsReplacedOnlyAfterYes_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(QMessageBox::No);
    QTest::newRow("yes") << int(QMessageBox::Yes);
}

void TestSaveAs::existingFileIsReplacedOnlyAfterYes() {
    QFETCH(int, answer);
    const bool replace = answer == QMessageBox::Yes;
    const QString path = pathIn(QStringLiteral("old.bmp"));
    const QByteArray earlier(3000, 'e');
    test::writeFile(path, earlier);

    std::vector<ModalScript::Step> steps{typeFileName(path),
                                         press(QMessageBox::StandardButton(answer))};
    if (replace)
        steps.push_back(press(QMessageBox::Ok));
    ModalScript script(steps);
    runFlow(twoColourCanvas(), script);

    QCOMPARE(script.seen().size(), steps.size());
    const SeenDialog& question = script.seen()[1];
    QCOMPARE(question.title, QStringLiteral("ファイルの重複問あわせ"));
    QCOMPARE(question.text,
             QStringLiteral("「old.bmp」\n同じ名前のファイルが存在します。\n上書きしますか？"));
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    if (replace) {
        QCOMPARE(script.seen()[2].text, QStringLiteral("256形式で保存しました"));
        QCOMPARE(fromQImage(QImage(path)), twoColourCanvas());
    } else {
        QCOMPARE(fileBytes(path), earlier);
    }
}

void TestSaveAs::existingJpgIsAskedAboutBeforeTheDialogOpens_data() {
    existingFileIsReplacedOnlyAfterYes_data();
}

void TestSaveAs::existingJpgIsAskedAboutBeforeTheDialogOpens() {
    QFETCH(int, answer);
    const QString path = pathIn(QStringLiteral("old.jpg"));
    test::writeFile(path, QByteArray("earlier"));
    bool dialogWasOpenAtQuestion = true;
    ModalScript script({typeFileName(path), [&](QDialog* box) {
                            dialogWasOpenAtQuestion = mainWindow_->findChild<FrmJpg*>() != nullptr;
                            press(QMessageBox::StandardButton(answer))(box);
                        }});
    runFlow(twoColourCanvas(), script);

    QCOMPARE(script.seen().size(), 2u);
    QCOMPARE(script.seen()[1].title, QStringLiteral("ファイルの重複問あわせ"));
    QVERIFY(!dialogWasOpenAtQuestion);
    auto* jpg = mainWindow_->findChild<FrmJpg*>(QStringLiteral("frmJpg"));
    if (answer == QMessageBox::Yes) {
        QVERIFY(jpg && jpg->isVisible());
        QCOMPARE(jpg->findChild<QLabel*>(QStringLiteral("lblFNAME"))->text(), path);
        QVERIFY(!mainWindow_->isEnabled());
        QVERIFY(jpg->isEnabled());
        jpg->close();
    } else {
        QVERIFY(!jpg);
        QVERIFY(mainWindow_->isEnabled());
    }
    QCOMPARE(fileBytes(path), QByteArray("earlier"));
}

void TestSaveAs::failedWriteIsReportedAndKeepsTheEarlierFile_data() {
    QTest::addColumn<Picture>("canvas");
    QTest::newRow("palette file") << twoColourCanvas();
    QTest::newRow("full-colour file") << gradientCanvas();
}

void TestSaveAs::failedWriteIsReportedAndKeepsTheEarlierFile() {
    QFETCH(Picture, canvas);
    const QString path = pathIn(QStringLiteral("full.bmp"));
    const QByteArray earlier(5000, 'e');
    test::writeFile(path, earlier);

    // The disk fills once the user has agreed to replace, as the file is written.
    ModalScript script({typeFileName(path),
                        [](QDialog* box) {
                            testing::injectWriteFailure(ENOSPC, 100);
                            press(QMessageBox::Yes)(box);
                        },
                        press(QMessageBox::Ok)});
    runFlow(canvas, script);

    QCOMPARE(script.seen().size(), 3u);
    const SeenDialog& error = script.seen()[2];
    QCOMPARE(error.title, QStringLiteral("エラー発生！"));
    QCOMPARE(error.icon, QMessageBox::Warning);
    QCOMPARE(error.text, QStringLiteral("エラー番号 %1 %2")
                             .arg(ENOSPC)
                             .arg(QString::fromStdString(errorDescription(ENOSPC))));
    QCOMPARE(fileBytes(path), earlier);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{QStringLiteral("full.bmp")});
}

void TestSaveAs::menuSavesTheMainWindowsCanvas() {
    FrmMain window(context_);
    window.show();
    window.scene().canvas = gradientCanvas();
    const QString path = pathIn(QStringLiteral("menu.bmp"));

    ModalScript script({typeFileName(path), press(QMessageBox::Ok)});
    window.findChild<QAction*>(QStringLiteral("mnuSaveAs"))->trigger();

    QVERIFY(script.allAnswered());
    QCOMPARE(script.seen()[1].text, QStringLiteral("フルカラー形式で保存しました"));
    QCOMPARE(fromQImage(QImage(path)), gradientCanvas());
}

void TestSaveAs::menuJpegLocksTheMainWindowUntilTheDialogCloses() {
    FrmMain window(context_);
    window.show();
    window.activateWindow();
    window.scene().canvas = twoColourCanvas();
    const QString path = pathIn(QStringLiteral("menu.jpg"));

    ModalScript script({typeFileName(path)});
    window.findChild<QAction*>(QStringLiteral("mnuSaveAs"))->trigger();
    QPointer<FrmJpg> jpg = window.findChild<FrmJpg*>(QStringLiteral("frmJpg"));
    QVERIFY(jpg);
    QVERIFY(!window.isEnabled());
    QVERIFY(jpg->isEnabled());

    QTest::mouseClick(jpg->findChild<QPushButton*>(QStringLiteral("cmd(0)")), Qt::LeftButton);
    QTRY_VERIFY(jpg.isNull());
    QVERIFY(window.isEnabled());
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QImage(path).size(), QSize(kCanvasWidth, kCanvasHeight));
}

QTEST_MAIN(TestSaveAs)
#include "tst_save_as.moc"
