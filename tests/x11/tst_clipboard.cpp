// Copies the canvas through the menu and reads the clipboard back with xclip,
// another X client, while this process keeps serving the selection.
#include "app/frm_main.h"
#include "app/picture_io.h"

#include <QAction>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tarn;

namespace {

struct XclipResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
};

// Runs xclip without blocking the event loop: the clipboard owner is this
// process, and it must answer xclip's request while xclip waits.
XclipResult xclip(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!input.isNull()) {
        // xclip -i stays behind to serve the text; it must not hold our pipes.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }
    process.start(QStringLiteral(TARN_XCLIP), QStringList{"-selection", "clipboard"} + arguments);
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    loop.exec();
    XclipResult result;
    result.finished =
        process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
    if (!result.finished) {
        process.kill();
        process.waitForFinished(2000);
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    return result;
}

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

  private slots:
    void copyReplacesTheClipboardWithTheCanvas_data();
    void copyReplacesTheClipboardWithTheCanvas();
};

void TestClipboard::copyReplacesTheClipboardWithTheCanvas_data() {
    QTest::addColumn<bool>("withPart");
    QTest::addColumn<bool>("grayed");
    QTest::newRow("black canvas at start") << false << false;
    QTest::newRow("part on the canvas") << true << false;
    QTest::newRow("after grayscale") << true << true;
}

void TestClipboard::copyReplacesTheClipboardWithTheCanvas() {
    QFETCH(bool, withPart);
    QFETCH(bool, grayed);

    QTemporaryDir dir;
    FrmMain window({dir.path(), QStringLiteral("tarn")});
    window.show();
    if (withPart) {
        // Red on the left, blue on the right, a marked top-left pixel.
        Slot& slot = window.scene().slot(2);
        slot.name = "wall";
        slot.picture = Picture(200, 120, {0, 0, 230});
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 90; ++x)
                slot.picture.setPixel(x, y, {230, 20, 0});
        slot.picture.setPixel(0, 0, {10, 240, 120});
        slot.mask = Mask(200, 120, kBlack);
        window.recompose();
    }
    if (grayed)
        window.findChild<QAction*>(QStringLiteral("mnuGray"))->trigger();
    const Picture canvas = window.scene().canvas;

    // Text from another program first; xclip keeps serving it until replaced.
    const XclipResult put = xclip({"-i"}, "text copied before");
    QVERIFY(put.finished && put.exitCode == 0);
    QTRY_COMPARE(xclip({"-o"}).out, QByteArray("text copied before"));

    window.findChild<QAction*>(QStringLiteral("mnuCopy"))->trigger();

    const XclipResult targets = xclip({"-t", "TARGETS", "-o"});
    QVERIFY(targets.finished);
    QVERIFY2(targets.out.contains("image/png"), targets.out.constData());
    const XclipResult text = xclip({"-o"});
    QVERIFY(text.finished);
    QVERIFY2(!text.out.contains("text copied before"), text.out.constData());

    const XclipResult png = xclip({"-t", "image/png", "-o"});
    QVERIFY(png.finished && png.exitCode == 0);
    const QImage pasted = QImage::fromData(png.out, "PNG");
    QVERIFY(!pasted.isNull());
    QCOMPARE(fromQImage(pasted), canvas);

    // The clipboard holds a copy: later edits of the canvas leave it alone.
    window.scene().canvas.fill(kWhite);
    QCOMPARE(fromQImage(QImage::fromData(xclip({"-t", "image/png", "-o"}).out, "PNG")), canvas);
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
