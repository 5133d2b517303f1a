// One left-button mouse move over the canvas with a full scene (five terrain
// slots, ten objects), from the event to the repainted canvas widget.
#include "app/canvas_view.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "app/picture_io.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

tarn::FrmMain* g_window = nullptr;

// A part with a transparent band down its left quarter and a checked body, so
// every masked copy has both kinds of pixel.
tarn::Picture part(int w, int h, tarn::Rgb body) {
    tarn::Picture p(w, h, body);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < w / 4)
                p.setPixel(x, y, {255, 0, 255});
            else if ((x / 8 + y / 8) % 2 == 0)
                p.setPixel(x, y, {body.b, body.r, body.g});
    p.setPixel(0, 0, {255, 0, 255});
    return p;
}

bool buildScene(const QString& folder) {
    struct Terrain {
        const char* file;
        int w, h;
    };
    const Terrain terrain[] = {{"stone_ug.bmp", 318, 198},
                               {"stone_bl.bmp", 240, 278},
                               {"stone_br.bmp", 238, 278},
                               {"stone_fl.bmp", 240, 198},
                               {"stone_fr.bmp", 238, 198}};
    for (int i = 0; i < 5; ++i)
        if (!tarn::toQImage(part(terrain[i].w, terrain[i].h,
                                 {static_cast<std::uint8_t>(40 * i + 30), 90, 120}))
                 .save(folder + QLatin1Char('/') + QString::fromLatin1(terrain[i].file), "BMP"))
            return false;
    for (int k = 0; k < 10; ++k)
        if (!tarn::toQImage(part(60 + 4 * k, 80, {200, static_cast<std::uint8_t>(20 * k), 40}))
                 .save(folder + QStringLiteral("/ob_%1.bmp").arg(k), "BMP"))
            return false;

    g_window->load();
    for (int slot = 1; slot <= 5; ++slot) {
        if (g_window->lst(slot)->count() != 1)
            return false;
        g_window->onPartChosen(slot, 0);
    }
    for (int k = 0; k < 10; ++k) {
        g_window->lst(0)->setCurrentRow(k);
        g_window->onInsert();
    }
    // Half the objects in front of the front walls.
    for (int k = 1; k < 10; k += 2)
        g_window->onFlagChosen(k);
    g_window->lst(6)->setCurrentRow(9);
    return g_window->scene().objects.size() == 10;
}

void sendMove(QWidget* canvas, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void BM_CanvasMouseMove(benchmark::State& state) {
    QWidget* canvas = g_window->canvasView();
    int i = 0;
    for (auto _ : state) {
        sendMove(canvas, QPointF(20 + i % 300, 10 + i % 150));
        canvas->repaint();
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CanvasMouseMove)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    auto window = std::make_unique<tarn::FrmMain>(tarn::AppContext{folder.path(), "tarn"});
    g_window = window.get();
    window->show();
    // Until the window is exposed, repaint() has nowhere to paint.
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!folder.isValid() || !buildScene(folder.path())) {
        std::fprintf(stderr, "could not build the benchmark scene\n");
        return 1;
    }
    // The measured path must really move the object and paint the canvas.
    PaintCounter counter;
    window->canvasView()->installEventFilter(&counter);
    sendMove(window->canvasView(), QPointF(101, 51));
    window->canvasView()->repaint();
    window->canvasView()->removeEventFilter(&counter);
    if (window->scene().objects[9].x != 100 || window->lst(7)->item(9)->text() != "100" ||
        counter.paints != 1) {
        std::fprintf(stderr, "a left-button move did not move and repaint the object\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
