#include "app/app_context.h"
#include "app/frm_jpg.h"
#include "app/picture_io.h"
#include "app/save_as_flow.h"
#include "support/app_pictures.h"
#include "support/modal_script.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

using namespace tarn;
using namespace tarn::test;

namespace {

// The frame marker of a JPEG file (0xC0 baseline, 0xC2 progressive, ...), found
// by walking its segments; 0 when there is none.
int frameMarker(const QByteArray& jpeg) {
    auto byte = [&](qsizetype i) { return static_cast<unsigned char>(jpeg[i]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return 0;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF) {
        const int marker = byte(at + 1);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        if (marker == 0xDA)
            return 0;
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return 0;
}

// Mean absolute difference per channel; a JPEG of the canvas stays close to it.
double meanDifference(const Picture& a, const Picture& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return 255;
    double sum = 0;
    for (std::size_t i = 0; i < a.byteCount(); ++i)
        sum += std::abs(int(a.bits()[i]) - int(b.bits()[i]));
    return sum / static_cast<double>(a.byteCount());
}

} // namespace

class TestFrmJpg : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void opensWithDefaultsAndAPreview();
    void presetsSetQualityAndRemakeThePreview_data();
    void presetsSetQualityAndRemakeThePreview();
    void okWritesTheFileAsTicked_data();
    void okWritesTheFileAsTicked();
    void leavingWithoutOkWritesNothing_data();
    void leavingWithoutOkWritesNothing();
    void failedPreviewKeepsThePictureShown();
    void failedWriteIsReportedAndTheDialogStillCloses();
    void reopeningStartsFromTheDefaults();

  private:
    // Runs save-as with a .jpg name; the dialog is then open beside the main window.
    FrmJpg* openFor(const QString& path, const Picture& canvas = gradientCanvas());
    template <class T> T* control(const char* name) {
        T* found = jpg_ ? jpg_->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!found)
            qFatal("control %s missing", name);
        return found;
    }
    QString previewPath() const { return context_.mySystemFolder() + QStringLiteral("/tmp.jpg"); }
    void verifyClosed();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QWidget> mainWindow_;
    AppContext context_;
    QPointer<FrmJpg> jpg_;
};

void TestFrmJpg::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // MySystem deliberately missing: the dialog makes it.
    context_ = {dir_->path(), QStringLiteral("tarn")};
    mainWindow_ = std::make_unique<QWidget>();
    mainWindow_->show();
}

void TestFrmJpg::cleanup() {
    if (jpg_)
        jpg_->close();
    mainWindow_.reset();
    dir_.reset();
}

FrmJpg* TestFrmJpg::openFor(const QString& path, const Picture& canvas) {
    ModalScript script({typeFileName(path)});
    saveAsFlow(mainWindow_.get(), canvas, context_);
    jpg_ = mainWindow_->findChild<FrmJpg*>(QStringLiteral("frmJpg"));
    if (!script.allAnswered() || script.seen().size() != 1 || !jpg_)
        qWarning("the JPEG dialog did not open alone");
    return jpg_;
}

void TestFrmJpg::verifyClosed() {
    QTRY_VERIFY(jpg_.isNull());
    QVERIFY(mainWindow_->isEnabled());
}

void TestFrmJpg::opensWithDefaultsAndAPreview() {
    const Picture canvas = gradientCanvas();
    const QString target = dir_->filePath(QStringLiteral("out.jpg"));
    QVERIFY(openFor(target, canvas));

    QVERIFY(jpg_->isVisible());
    QVERIFY(jpg_->isEnabled());
    QVERIFY(!mainWindow_->isEnabled());
    QVERIFY(jpg_->windowTitle().isEmpty());
    QCOMPARE(control<QScrollBar>("HS")->value(), 65);
    QCOMPARE(control<QLabel>("lblP")->text(), QStringLiteral("65"));
    QVERIFY(control<QRadioButton>("optQ(2)")->isChecked());
    QVERIFY(!control<QCheckBox>("optP")->isChecked());
    QCOMPARE(control<QLabel>("lblFNAME")->text(), target);
    QVERIFY(!control<QLabel>("lblFNAME")->isVisible());
    QVERIFY(!QFile::exists(target));

    const QPixmap shown = control<QLabel>("pctPreview")->pixmap();
    QCOMPARE(shown.size(), QSize(canvas.width(), canvas.height()));
    Picture preview;
    QVERIFY(loadPicture(previewPath(), preview));
    QCOMPARE(fromQImage(shown.toImage()), preview);
    QVERIFY2(meanDifference(preview, canvas) < 4, "the preview is not a picture of the canvas");
}

void TestFrmJpg::presetsSetQualityAndRemakeThePreview_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("quality");
    QTest::newRow("最高画質") << 0 << 100;
    QTest::newRow("高画質") << 1 << 80;
    QTest::newRow("普通 again") << 2 << 65;
    QTest::newRow("低画質") << 3 << 40;
}

void TestFrmJpg::presetsSetQualityAndRemakeThePreview() {
    QFETCH(int, option);
    QFETCH(int, quality);
    QVERIFY(openFor(dir_->filePath(QStringLiteral("out.jpg"))));
    // Start away from every preset so each click has something to change.
    control<QScrollBar>("HS")->setValue(23);
    const QByteArray before = fileBytes(previewPath());
    QVERIFY(!before.isEmpty());

    auto* button = control<QRadioButton>(qPrintable(QStringLiteral("optQ(%1)").arg(option)));
    QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(button->isChecked());
    QCOMPARE(control<QScrollBar>("HS")->value(), quality);
    QCOMPARE(control<QLabel>("lblP")->text(), QString::number(quality));
    const QByteArray after = fileBytes(previewPath());
    QVERIFY(after != before);
    QCOMPARE(fromQImage(control<QLabel>("pctPreview")->pixmap().toImage()),
             fromQImage(QImage::fromData(after)));
}

void TestFrmJpg::okWritesTheFileAsTicked_data() {
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<int>("marker");
    QTest::newRow("progressive") << true << 0xC2;
    QTest::newRow("baseline") << false << 0xC0;
}

void TestFrmJpg::okWritesTheFileAsTicked() {
    QFETCH(bool, progressive);
    QFETCH(int, marker);
    const Picture canvas = gradientCanvas();
    const QString target = dir_->filePath(QStringLiteral("出力.jpg"));
    QVERIFY(openFor(target, canvas));

    auto* optP = control<QCheckBox>("optP");
    QTest::mouseClick(optP, Qt::LeftButton);
    QVERIFY(optP->isChecked());
    if (!progressive) {
        QTest::mouseClick(optP, Qt::LeftButton);
        QVERIFY(!optP->isChecked());
    }
    ModalScript noBoxes({});
    QTest::mouseClick(control<QPushButton>("cmd(0)"), Qt::LeftButton);

    verifyClosed();
    QVERIFY(noBoxes.seen().empty());
    const QByteArray written = fileBytes(target);
    QCOMPARE(frameMarker(written), marker);
    QVERIFY(meanDifference(fromQImage(QImage::fromData(written)), canvas) < 4);
}

void TestFrmJpg::leavingWithoutOkWritesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("キャンセル") << QStringLiteral("cancel");
    QTest::newRow("window closed") << QStringLiteral("close");
    QTest::newRow("Escape") << QStringLiteral("escape");
}

void TestFrmJpg::leavingWithoutOkWritesNothing() {
    QFETCH(QString, how);
    const QString target = dir_->filePath(QStringLiteral("out.jpg"));
    QVERIFY(openFor(target));
    QTest::mouseClick(control<QRadioButton>("optQ(0)"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>("optP"), Qt::LeftButton);

    if (how == QLatin1String("cancel"))
        QTest::mouseClick(control<QPushButton>("cmd(1)"), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        jpg_->close();
    else
        QTest::keyClick(jpg_, Qt::Key_Escape);

    verifyClosed();
    QVERIFY(!QFile::exists(target));
    QVERIFY(QFile::exists(previewPath()));
}

void TestFrmJpg::failedPreviewKeepsThePictureShown() {
    QVERIFY(openFor(dir_->filePath(QStringLiteral("out.jpg"))));
    const QImage shown = control<QLabel>("pctPreview")->pixmap().toImage();
    QVERIFY(!shown.isNull());
    // A file where the working folder should be: no preview can be written.
    QVERIFY(QDir(context_.mySystemFolder()).removeRecursively());
    {
        QFile blocker(context_.mySystemFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    ModalScript script({press(QMessageBox::Ok)});
    QTest::mouseClick(control<QRadioButton>("optQ(3)"), Qt::LeftButton);

    QCOMPARE(script.seen().size(), 1u);
    QCOMPARE(script.seen()[0].title, QStringLiteral("Tarn"));
    QCOMPARE(script.seen()[0].text, QStringLiteral("error"));
    QCOMPARE(script.seen()[0].icon, QMessageBox::NoIcon);
    QCOMPARE(control<QScrollBar>("HS")->value(), 40);
    QCOMPARE(control<QLabel>("pctPreview")->pixmap().toImage(), shown);
    QVERIFY(jpg_->isVisible());
}

void TestFrmJpg::failedWriteIsReportedAndTheDialogStillCloses() {
    const QString target = dir_->filePath(QStringLiteral("no such folder/out.jpg"));
    QVERIFY(openFor(target));

    ModalScript script({press(QMessageBox::Ok)});
    QTest::mouseClick(control<QPushButton>("cmd(0)"), Qt::LeftButton);

    QCOMPARE(script.seen().size(), 1u);
    QCOMPARE(script.seen()[0].text, QStringLiteral("error"));
    verifyClosed();
    QVERIFY(!QFile::exists(target));
}

void TestFrmJpg::reopeningStartsFromTheDefaults() {
    const QString target = dir_->filePath(QStringLiteral("out.jpg"));
    QVERIFY(openFor(target));
    QTest::mouseClick(control<QRadioButton>("optQ(3)"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>("optP"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("cmd(1)"), Qt::LeftButton);
    verifyClosed();

    QVERIFY(openFor(target));
    QCOMPARE(control<QScrollBar>("HS")->value(), 65);
    QCOMPARE(control<QLabel>("lblP")->text(), QStringLiteral("65"));
    QVERIFY(control<QRadioButton>("optQ(2)")->isChecked());
    QVERIFY(!control<QCheckBox>("optP")->isChecked());
}

QTEST_MAIN(TestFrmJpg)
#include "tst_frm_jpg.moc"
