// The window as a whole: its two languages, its growth with zoomed canvas
// clicks, the size it remembers, and the picture of it the user's guide shows.
#include "app/common/language.h"
#include "support/main_window.h"
#include "support/test_pictures.h"

#include <QtWidgets>

using namespace tarn;
using namespace tarn::test;

namespace {

QStringList captions(const QList<QAction*>& actions, const QString& indent = {}) {
    QStringList all;
    for (const QAction* action : actions) {
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString(QKeySequence::PortableText);
        all << indent + (action->isSeparator() ? "-" : action->text()) +
                   (keys.isEmpty() ? "" : " " + keys.join(", "));
        if (action->menu() != nullptr)
            all << captions(action->menu()->actions(), indent + "  ");
    }
    return all;
}

void dropTranslations() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>())
        delete t;
}

// Every named control's place.
QMap<QString, QRect> places(const QWidget* window) {
    QCoreApplication::processEvents(); // the main window lays out its centre on a posted event
    QMap<QString, QRect> all;
    for (const QWidget* w : window->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
            all.insert(w->objectName(), w->geometry());
    return all;
}

// The region of every paint event the watched widget receives.
struct PaintedRegion : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

class TestWindow : public QObject, MainWindowTest {
    Q_OBJECT

  private slots:
    void init() { folder = std::make_unique<ProgramFolder>(); }
    void cleanup() {
        w.reset();
        dropTranslations();
    }

    // The program itself, as a user starts it: its messages follow LC_ALL, then LC_MESSAGES,
    // then LANG; --lang, anywhere, before all, and taken out of the arguments.
    void programSpeaksTheChosenLanguage() {
        const struct {
            const char *all, *messages, *lang;
            QStringList args;
            const char* firstLine;
        } rows[] = {
            {"", "", "en_US.UTF-8", {"--help"}, "Usage:"},
            {"", "ja_JP.UTF-8", "en_US.UTF-8", {"--help"}, "使い方:"},
            {"de_DE", "ja_JP.UTF-8", "", {"--help"}, "Usage:"},
            {"", "", "", {"--help"}, "使い方:"},
            {"", "", "C.UTF-8", {"--help"}, "使い方:"},
            {"", "", "POSIX", {"--help"}, "使い方:"},
            {"", "", "fr", {"--help"}, "Usage:"},
            {"", "", "en_US.UTF-8", {"--lang", "ja", "--help"}, "使い方:"},
            {"", "", "ja_JP.UTF-8", {"--help", "--lang", "en"}, "Usage:"},
        };
        for (const auto& row : rows) {
            QProcess tarn;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("LC_ALL", row.all);
            env.insert("LC_MESSAGES", row.messages);
            env.insert("LANG", row.lang);
            tarn.setProcessEnvironment(env);
            tarn.start(TARN_EXECUTABLE, row.args);
            QVERIFY(tarn.waitForFinished(30000));
            QCOMPARE(tarn.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(tarn.readAllStandardOutput()).section('\n', 0, 0),
                     QString(row.firstLine));
        }
    }

    // Every menu caption and its shortcuts, "|" between entries, a submenu's entries indented;
    // then the first slot's label, Qt's own Yes button and the open path panel's menu caption.
    void menuBarInEachLanguage() {
        const QString japanese =
            "ファイル(&F)|  新しいシーン(&N) Ctrl+N|  シーンを開く(&O)... Ctrl+O|"
            "  シーンを保存(&V)|  名前を付けてシーンを保存...|  最近使ったシーン(&R)|  -|"
            "  保存(&S)|    名前をつけて画像の保存(&A)... Ctrl+S|    書き出し(&W)... Ctrl+W|"
            "  ダンジョン(&D)... Ctrl+D|  -|"
            "  クリップボードにコピー(&C) Ctrl+C|  -|  終了(&Q) Ctrl+Q|"
            "編集(&E)|  元に戻す(&U) Ctrl+Z|  やり直し(&R) Ctrl+Y, Ctrl+Shift+Z|パスの指定(&P)|"
            "特殊効果(&S)|  グレースケール変換(&G) Ctrl+G|  セピア調変換(&S) Ctrl+F|"
            "レイヤー表示(&L)|  地面|  奥の左側|  奥の右側|  オブジェクト (F)|  手前の左側|"
            "  手前の右側|  オブジェクト (T)|バージョン情報(&V)|最新情報に更新(&R)|"
            "地面|はい(&Y)|閉じる(&C)      ";
        const QString english =
            "&File|  &New scene Ctrl+N|  &Open scene... Ctrl+O|  Sa&ve scene|  Save scene as...|"
            "  &Recent scenes|  -|  &Save|    Save picture &as... Ctrl+S|    E&xport... Ctrl+W|"
            "  &Dungeon... Ctrl+D|  -|"
            "  &Copy to clipboard Ctrl+C|  -|  &Quit Ctrl+Q|&Edit|  &Undo Ctrl+Z|"
            "  &Redo Ctrl+Y, Ctrl+Shift+Z|&Paths|Effect&s|  &Grayscale Ctrl+G|  &Sepia Ctrl+F|"
            "&Layers|  Floor|  Far left|  Far right|  Objects (F)|  Near left|  Near right|"
            "  Objects (T)|Abou&t|Re&fresh|Floor|&Yes|&Close      ";
        for (const QString language : {"ja", "en"}) {
            QVERIFY(installTranslations(*qApp, language));
            open();
            QMessageBox box(QMessageBox::Question, "Tarn", "?", QMessageBox::Yes);
            action("mnuPath")->trigger();
            QVERIFY(w->pathPanel()->isVisible());
            const QString closing = action("mnuPath")->text();
            action("mnuPath")->trigger();
            QVERIFY(!w->pathPanel()->isVisible());
            QCOMPARE((captions(w->menuBar()->actions())
                      << get<QLabel>("lbl(1)")->text() << box.button(QMessageBox::Yes)->text()
                      << closing)
                         .join('|'),
                     language == "ja" ? japanese : english);
            w.reset();
            dropTranslations();
        }
    }

    // The first size lays the window out as built, the status bar below it; larger, the canvas
    // zooms, clicks land on the canvas pixel under the pointer and the status bar names it.
    void growsAndZooms() {
        folder->writePart("ob_a.bmp", part(30, 20, 0));
        open();
        const int bar = w->statusBar()->height();
        QVERIFY(bar > 10);
        QCOMPARE(w->size(), QSize(FrmMain::kWidth, FrmMain::kHeight + bar));
        QCOMPARE(w->minimumSize(), w->size());
        const QMap<QString, QRect> first = places(w.get());
        QCOMPARE(first["pctMain"], QRect(2, 2, kCanvasWidth + 2, kCanvasHeight + 2));
        QCOMPARE(first["statusBar"], QRect(0, FrmMain::kHeight, FrmMain::kWidth, bar));
        insert(0);
        w->lst(6)->setCurrentRow(0);
        const Picture canvas = fromQImage(w->canvasView()->shownImage());

        const struct {
            QSize size;
            int zoom;
        } rows[] = {
            {{FrmMain::kWidth + kCanvasWidth - 1, 900}, 1},
            {{FrmMain::kWidth + kCanvasWidth + 40, FrmMain::kHeight + bar + kCanvasHeight}, 2},
            {{4000, 3000}, 3}};
        for (const auto& row : rows) {
            w->resize(row.size);
            QCOMPARE(w->canvasView()->zoom(), row.zoom);
            QCOMPARE(w->canvasView()->size(), CanvasView::boxSize(row.zoom));
            const QMap<QString, QRect> grown = places(w.get());
            QVERIFY(grown["lst(1)"].height() >= first["lst(1)"].height());
            QVERIFY(grown["lst(0)"].width() > first["lst(0)"].width());
            QVERIFY(grown["lst(6)"].height() > first["lst(6)"].height());
            QVERIFY(grown["lst(1)"].top() > grown["pctMain"].bottom());
            QVERIFY(grown["lst(0)"].left() > grown["pctMain"].right());
            // Nearest neighbour: each canvas pixel a zoom-by-zoom square.
            const QImage shown = w->canvasView()->grab().toImage();
            for (const QPoint p : {QPoint(0, 0), QPoint(7, 3), QPoint(477, 277)})
                for (const QPoint corner : {QPoint(0, 0), QPoint(row.zoom - 1, row.zoom - 1)}) {
                    const QPoint at = QPoint(1, 1) + p * row.zoom + corner;
                    QCOMPARE(fromQImage(shown.copy(at.x(), at.y(), 1, 1)).pixel(0, 0),
                             canvas.pixel(p.x(), p.y()));
                }
            // A drag to the last screen pixel of canvas pixel (40, 25) puts the object there.
            const QPoint target =
                QPoint(1, 1) + QPoint(40, 25) * row.zoom + QPoint(row.zoom - 1, row.zoom - 1);
            QCoreApplication::processEvents(); // the zoom's own whole repaint
            PaintedRegion paints;
            w->canvasView()->installEventFilter(&paints);
            QTest::mousePress(w->canvasView(), Qt::LeftButton, {}, target);
            QMouseEvent move(QEvent::MouseMove, QPointF(target),
                             w->canvasView()->mapToGlobal(QPointF(target)), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(w->canvasView(), &move);
            QTest::mouseRelease(w->canvasView(), Qt::LeftButton, {}, target);
            // The object's whole new place is repainted at the zoom, not its unzoomed size.
            QCoreApplication::processEvents();
            const QRect moved(QPoint(1, 1) + QPoint(40, 25) * row.zoom, QSize(30, 20) * row.zoom);
            QVERIFY((QRegion(moved) - paints.painted).isEmpty());
            QCOMPARE(grown["statusBar"], QRect(0, w->height() - bar, w->width(), bar));
            QCOMPARE(
                (QStringList{w->lst(7)->item(0)->text(), w->lst(8)->item(0)->text(),
                             get<QLabel>("lblPointer")->text(), get<QLabel>("lblZoom")->text()}),
                (QStringList{"40", "25", "40, 25", QString("拡大率 %1倍").arg(row.zoom)}));
            QMouseEvent border(QEvent::MouseMove, QPointF(0, 0), // off the canvas
                               w->canvasView()->mapToGlobal(QPointF(0, 0)), Qt::NoButton,
                               Qt::NoButton, {});
            QApplication::sendEvent(w->canvasView(), &border);
            QCOMPARE(get<QLabel>("lblPointer")->text(), "");
            action("mnuUndo")->trigger();
        }
        w->resize(FrmMain::kWidth, FrmMain::kHeight);
        QCOMPARE(w->size(), QSize(FrmMain::kWidth, FrmMain::kHeight + bar));
        QCOMPARE(places(w.get()), first);
        action("mnuUndo")->trigger(); // the insert: nothing left to save
        QVERIFY(!w->document().isModified());

        // The size is remembered for the next start.
        w->resize(1200, 800);
        w->close();
        open();
        QCOMPARE(w->size(), QSize(1200, 800));
        QCOMPARE(w->canvasView()->zoom(), 2);
    }

    // Long names show whole on hover in every list.
    void tooltipsShowWholeNames() {
        const QString longName = "ob_a_very_long_name_that_no_column_can_show_whole";
        const QString wall = "stone_with_a_long_long_name_fl";
        folder->writePart(longName + ".bmp", part(8, 8, 0));
        folder->writePart(wall + ".bmp", part(8, 8, 1));
        open();
        w->onPartChosen(4, 0);
        QCOMPARE(w->use(4)->toolTip(), wall);
        insert(0);
        const auto hover = [](QListWidget* list) {
            const QPoint at = list->visualItemRect(list->item(0)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        const std::pair<QListWidget*, QString> lists[] = {
            {w->lst(0), longName},
            {w->lst(4), wall},
            {w->lst(6), longName},
            {w->lst(7), "0"},
            {get<QListWidget>("flb"), longName + ".bmp"}};
        for (const auto& [list, text] : lists) {
            QCOMPARE(hover(list), text);
            QToolTip::hideText();
        }
        // The flag column keeps its own explanation.
        QVERIFY(hover(w->lst(9)).startsWith(" オブジェクトが手前"));
    }

    // The picture of the window in the user's guide: the sample parts, put together.
    void guideScreenshot() {
        open();
        QVERIFY(w->changeFolder(TARN_SAMPLE_PARTS));
        const std::pair<int, QString> terrain[] = {
            {1, "stone_ug"}, {2, "brick_bl"}, {3, "brick_br"}, {4, "stone_fl"}, {5, "stone_fr"}};
        for (const auto& [slot, name] : terrain) {
            const auto found = w->lst(slot)->findItems(name, Qt::MatchExactly).value(0);
            w->onPartChosen(slot, w->lst(slot)->row(found));
            QCOMPARE(w->use(slot)->text(), name);
        }
        const std::tuple<QString, int, int> objects[] = {
            {"ob_door", 190, 60}, {"ob_torch", 120, 70}, {"ob_barrel", 300, 170}};
        for (const auto& [name, x, y] : objects) {
            w->lst(0)->setCurrentItem(w->lst(0)->findItems(name, Qt::MatchExactly).value(0));
            w->onInsert();
            w->document().moveObject(int(w->scene().objects.size()) - 1, x, y);
        }
        w->document().toggleLayer(2);
        QCOMPARE(entries(w->lst(6)), (QStringList{"ob_door", "ob_torch", "ob_barrel"}));
        const QImage shot = w->grab().toImage();
        QCOMPARE(shot.size(), w->size() * shot.devicePixelRatio());
        QVERIFY(QDir().mkpath(TARN_SCREENSHOT_DIR));
        QVERIFY(shot.save(TARN_SCREENSHOT_DIR "/screenshot.png"));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
