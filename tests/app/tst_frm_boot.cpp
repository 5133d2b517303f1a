#include "app/boot.h"
#include "app/frm_boot.h"
#include "app/frm_main.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace tarn;

namespace {

QWidget* shownWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

class TestFrmBoot : public QObject {
    Q_OBJECT

  private slots:
    void modesShowTheirControls_data();
    void modesShowTheirControls();
    void dismissedByTickOrAnyKeyButNotAModifier();
    void startUpShowsTheMainWindowAfterTheFirstTick_data();
    void startUpShowsTheMainWindowAfterTheFirstTick();
};

void TestFrmBoot::modesShowTheirControls_data() {
    QTest::addColumn<bool>("startup");
    QTest::newRow("start-up") << true;
    QTest::newRow("version") << false;
}

void TestFrmBoot::modesShowTheirControls() {
    QFETCH(bool, startup);
    FrmBoot boot(startup ? FrmBoot::Mode::Startup : FrmBoot::Mode::Version);
    boot.show();
    QCOMPARE(boot.objectName(), QStringLiteral("frmBoot"));
    auto* label4 = boot.findChild<QLabel*>(QStringLiteral("Label4"));
    auto* label5 = boot.findChild<QLabel*>(QStringLiteral("Label5"));
    auto* ok = boot.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* timer = boot.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(label4 && label5 && ok && timer);
    QCOMPARE(label4->text(), QStringLiteral("Now Booting . . . ."));
    QCOMPARE(label5->text(), QStringLiteral("Ver. 1.03.7"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(label4->isVisible(), startup);
    QCOMPARE(label5->isVisible(), !startup);
    QCOMPARE(ok->isVisible(), !startup);
    QCOMPARE(timer->isActive(), startup);
    QVERIFY(boot.findChild<QLabel*>(QStringLiteral("Label3"))->isVisible());
}

void TestFrmBoot::dismissedByTickOrAnyKeyButNotAModifier() {
    FrmBoot boot(FrmBoot::Mode::Startup);
    boot.show();
    QSignalSpy dismissed(&boot, &FrmBoot::dismissed);
    QTest::keyClick(&boot, Qt::Key_Shift);
    QCOMPARE(dismissed.count(), 0);
    QTest::keyClick(&boot, Qt::Key_Space);
    QCOMPARE(dismissed.count(), 1);
    QVERIFY(dismissed.wait(1500)); // the timer's tick
}

void TestFrmBoot::startUpShowsTheMainWindowAfterTheFirstTick_data() {
    QTest::addColumn<bool>("pressKey");
    QTest::newRow("timer") << false;
    QTest::newRow("key press") << true;
}

void TestFrmBoot::startUpShowsTheMainWindowAfterTheFirstTick() {
    QFETCH(bool, pressKey);
    // The real entry, run on this test's own folder, and left by End so that
    // nothing is written there.
    bool bootFirst = false;
    bool mainHiddenWhileBooting = false;
    bool mainShownAfter = false;
    bool bootGoneAfter = false;
    QTimer::singleShot(300, [&] {
        bootFirst = shownWindow("frmBoot") != nullptr;
        mainHiddenWhileBooting = shownWindow("frmMain") == nullptr;
        if (pressKey && shownWindow("frmBoot") != nullptr)
            QTest::keyClick(shownWindow("frmBoot"), Qt::Key_Return);
    });
    QTimer::singleShot(pressKey ? 500 : 1500, [&] {
        mainShownAfter = shownWindow("frmMain") != nullptr;
        bootGoneAfter = shownWindow("frmBoot") == nullptr;
        QCoreApplication::exit(7);
    });
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QCOMPARE(BOOT(*app), 7);
    QVERIFY(bootFirst);
    QVERIFY(mainHiddenWhileBooting);
    QVERIFY(mainShownAfter);
    QVERIFY(bootGoneAfter);
}

QTEST_MAIN(TestFrmBoot)
#include "tst_frm_boot.moc"
