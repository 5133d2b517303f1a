#include "app/canvas_view.h"
#include "app/frm_main.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarn;

namespace {

constexpr Rgb kRed{255, 0, 0};
// Where slot 1 puts its part: left half red, right half white.
constexpr QPoint kRedAt{90, 100};
constexpr QPoint kWhiteAt{150, 100};
constexpr QPoint kBlackAt{5, 270};

Rgb at(const Picture& canvas, QPoint p) {
    return canvas.pixel(p.x(), p.y());
}

Rgb shownAt(FrmMain& window, QPoint p) {
    const QColor c = window.canvasView()->shownImage().pixelColor(p);
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

} // namespace

Q_DECLARE_METATYPE(tarn::Rgb)

class TestEffects : public QObject {
    Q_OBJECT

  private slots:
    void menuTonesTheCanvasUntilTheNextRecompose_data();
    void menuTonesTheCanvasUntilTheNextRecompose();
};

void TestEffects::menuTonesTheCanvasUntilTheNextRecompose_data() {
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<Rgb>("red");
    QTest::addColumn<Rgb>("white");
    QTest::newRow("gray") << QStringList{"mnuGray"} << Rgb{85, 85, 85} << kWhite;
    QTest::newRow("gray twice") << QStringList{"mnuGray", "mnuGray"} << Rgb{85, 85, 85} << kWhite;
    QTest::newRow("sepia") << QStringList{"mnuSepia"} << Rgb{126, 0, 0} << Rgb{126, 98, 31};
    QTest::newRow("sepia twice") << QStringList{"mnuSepia", "mnuSepia"} << Rgb{62, 0, 0}
                                 << Rgb{62, 38, 4};
    QTest::newRow("gray then sepia")
        << QStringList{"mnuGray", "mnuSepia"} << Rgb{42, 33, 10} << Rgb{126, 98, 31};
}

void TestEffects::menuTonesTheCanvasUntilTheNextRecompose() {
    QFETCH(QStringList, actions);
    QFETCH(Rgb, red);
    QFETCH(Rgb, white);

    QTemporaryDir dir;
    FrmMain window({dir.path(), QStringLiteral("tarn")});
    Slot& ground = window.scene().slot(1);
    ground.name = "half_red";
    ground.picture = Picture(100, 60, kWhite);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 50; ++x)
            ground.picture.setPixel(x, y, kRed);
    ground.mask = Mask(100, 60, kBlack);
    window.recompose();
    QCOMPARE(at(window.scene().canvas, kRedAt), kRed);
    QCOMPARE(at(window.scene().canvas, kWhiteAt), kWhite);

    for (const QString& name : actions)
        window.findChild<QAction*>(name)->trigger();

    for (const auto& [where, expected] :
         {std::pair{kRedAt, red}, std::pair{kWhiteAt, white}, std::pair{kBlackAt, kBlack}}) {
        QCOMPARE(at(window.scene().canvas, where), expected);
        QCOMPARE(shownAt(window, where), expected);
    }
    QCOMPARE(window.scene().slot(1).picture.pixel(0, 0), kRed);

    window.recompose();
    QCOMPARE(at(window.scene().canvas, kRedAt), kRed);
    QCOMPARE(shownAt(window, kWhiteAt), kWhite);
}

QTEST_MAIN(TestEffects)
#include "tst_effects.moc"
