// What the user waits for in the window, each beside a reference timed in the
// same run: a pointer move while dragging an object (through the X server and
// the event loop until the frame is on screen), a folder change, the start-up
// and the export of a full scene. Run under an X server (xvfb-run -a); without
// one the pointer move is skipped.
#include "../interleaved.h"
#include "app/boot.h"
#include "app/common/picture_io.h"
#include "app/dialogs/frm_boot.h"
#include "app/window/canvas_view.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "export/export_procedure.h"
#include "scene/compose.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

using tarn::bench::interleave;
using tarn::bench::RatioIs;

tarn::FrmMain* g_window = nullptr;
QString g_parts; // a copy of the sample parts: the program folder of g_window

// Processes events, sleeping while there are none, until done() or a second.
template <class Done> bool processUntil(Done&& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 1000)
            return false;
        QCoreApplication::eventDispatcher()->processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void copySampleParts(const QString& to) {
    for (const QFileInfo& f : QDir(QStringLiteral(TARN_SAMPLE_FOLDER)).entryInfoList(QDir::Files))
        if (f.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
            QFile::copy(f.filePath(), to + QLatin1Char('/') + f.fileName());
}

// Five terrain slots and ten objects from the sample parts, the last selected.
bool buildScene() {
    tarn::FrmMain& w = *g_window;
    for (int slot = 1; slot <= 5; ++slot) {
        if (w.lst(slot)->count() == 0)
            return false;
        w.onPartChosen(slot, 0);
    }
    for (int k = 0; k < 10; ++k) {
        w.lst(0)->setCurrentRow(k % w.lst(0)->count());
        w.onInsert();
    }
    for (int k = 1; k < 10; k += 2)
        w.onFlagChosen(k);
    w.lst(6)->setCurrentRow(9);
    w.lst(6)->scrollToItem(w.lst(6)->item(9));
    return w.scene().objects.size() == 10;
}

// ---- The pointer, moved by the X server's test extension ----

// XTEST FakeInput, as libxcb-xtest would send it (that library is not needed
// for this one request).
struct FakeInput {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint8_t type = 0, detail = 0;
    std::uint8_t pad0[2]{};
    std::uint32_t time = 0;
    xcb_window_t root = 0;
    std::uint8_t pad1[8]{};
    std::int16_t rootX = 0, rootY = 0;
    std::uint8_t pad2[7]{};
    std::uint8_t deviceid = 0;
};
static_assert(sizeof(FakeInput) == 36);
xcb_extension_t g_xtest = {"XTEST", 0};

class XPointer {
  public:
    XPointer() {
        int screen = 0;
        c_ = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(c_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (; screen > 0; --screen)
            xcb_screen_next(&it);
        root_ = it.data->root;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &g_xtest);
        ok_ = ext != nullptr && ext->present;
    }
    ~XPointer() { xcb_disconnect(c_); }
    bool ok() const { return ok_; }

    enum Kind : std::uint8_t { Press = 4, Release = 5, Motion = 6 };
    void send(Kind kind, QPoint global = {}) {
        FakeInput request;
        request.type = kind;
        request.detail = kind == Motion ? 0 : 1; // absolute motion; left button
        request.root = root_;
        request.rootX = static_cast<std::int16_t>(global.x());
        request.rootY = static_cast<std::int16_t>(global.y());
        iovec parts[4];
        parts[2] = {&request, sizeof request};
        parts[3] = {nullptr, 0};
        static const xcb_protocol_request_t info = {2, &g_xtest, 2 /* FakeInput */, 1};
        xcb_send_request(c_, 0, parts + 2, &info);
        xcb_flush(c_);
    }

  private:
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    bool ok_ = false;
};

xcb_connection_t* qtConnection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// Waits until the X server has carried out every request Qt sent so far,
// the last frame's image among them.
void roundTrip(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// The canvas as the X server holds it in the window equals the scene's canvas.
bool screenShowsCanvas(xcb_connection_t* c) {
    const QWidget* canvas = g_window->canvasView();
    const QPoint at =
        canvas->mapTo(g_window, QPoint(tarn::CanvasView::kBorder, tarn::CanvasView::kBorder));
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_window_t>(g_window->winId()),
                      static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()),
                      tarn::kCanvasWidth, tarn::kCanvasHeight, ~0u),
        nullptr);
    if (reply == nullptr)
        return false;
    const std::uint8_t* bgrx = xcb_get_image_data(reply);
    const bool fourBytes =
        xcb_get_image_data_length(reply) == 4 * tarn::kCanvasWidth * tarn::kCanvasHeight;
    bool same = fourBytes;
    const tarn::Picture& expected = g_window->scene().canvas;
    for (int y = 0; same && y < tarn::kCanvasHeight; ++y)
        for (int x = 0; same && x < tarn::kCanvasWidth; ++x, bgrx += 4) {
            const tarn::Rgb p = expected.pixel(x, y);
            same = bgrx[0] == p.b && bgrx[1] == p.g && bgrx[2] == p.r;
        }
    std::free(reply);
    return same;
}

// Counts paints of the canvas and the X and Y columns, and frames (update
// requests of the window that painted something), and notes when a move
// reached the canvas and when its frame began.
class FrameWatch : public QObject {
  public:
    int canvas = 0, x = 0, y = 0, frames = 0;
    QElapsedTimer clock;
    qint64 movedAt = 0, frameAt = 0;

    FrameWatch() {
        g_window->installEventFilter(this);
        g_window->canvasView()->installEventFilter(this);
        g_window->lst(7)->viewport()->installEventFilter(this);
        g_window->lst(8)->viewport()->installEventFilter(this);
    }
    ~FrameWatch() override {
        for (QObject* o :
             {static_cast<QObject*>(g_window), static_cast<QObject*>(g_window->canvasView()),
              static_cast<QObject*>(g_window->lst(7)->viewport()),
              static_cast<QObject*>(g_window->lst(8)->viewport())})
            o->removeEventFilter(this);
    }
    int paints() const { return canvas + x + y; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && watched == g_window->canvasView())
            movedAt = clock.nsecsElapsed();
        if (event->type() == QEvent::Paint) {
            if (watched == g_window->canvasView())
                ++canvas;
            else if (watched == g_window->lst(7)->viewport())
                ++x;
            else if (watched == g_window->lst(8)->viewport())
                ++y;
            if (!inFrame_)
                inFrame_ = true, ++frames;
        } else if (event->type() == QEvent::UpdateRequest && watched == g_window) {
            inFrame_ = false;
            frameAt = clock.nsecsElapsed();
        }
        return false;
    }

  private:
    bool inFrame_ = false;
};

QPoint globalOfCanvasPixel(int x, int y) {
    return g_window->canvasView()->mapToGlobal(
        QPoint(x + tarn::CanvasView::kBorder, y + tarn::CanvasView::kBorder));
}

void BM_PointerMoveWhileDragging(benchmark::State& state) {
    xcb_connection_t* qt = qtConnection();
    XPointer pointer;
    if (qt == nullptr || !pointer.ok()) {
        state.SkipWithError("needs an X server with the test extension: run under xvfb-run -a");
        return;
    }
    FrameWatch watch;
    watch.clock.start();
    // Where a move's time goes: the X server and Qt delivering the event, the
    // window handling it, the frame (paint and flush), the server showing it.
    std::vector<double> delivery, handling, frame, server;
    pointer.send(XPointer::Motion, globalOfCanvasPixel(5, 5));
    pointer.send(XPointer::Press, globalOfCanvasPixel(5, 5));
    processUntil([&] { return QGuiApplication::mouseButtons() == Qt::LeftButton; });
    // The first move lays out the columns' rows once; it is not what a drag repeats.
    pointer.send(XPointer::Motion, globalOfCanvasPixel(6, 6));
    processUntil([&] { return g_window->lst(7)->item(9)->text() == QLatin1String("6"); });
    for (int k = 0; k < 3; ++k)
        QCoreApplication::processEvents();
    // The floor: the composition itself and one copy of its pixels to the screen's format.
    tarn::Scene floorScene = g_window->scene();
    QImage backing(tarn::kCanvasWidth, tarn::kCanvasHeight, QImage::Format_RGB32);
    int i = 0, late = 0, wrong = 0, frames = 0, moves = 0, framesBefore = 0;
    interleave(
        state,
        [&] {
            const int x = 20 + i % 300, y = 10 + i % 150;
            ++i;
            const int canvasBefore = watch.canvas, xBefore = watch.x, yBefore = watch.y;
            framesBefore = watch.frames;
            const qint64 sentAt = watch.clock.nsecsElapsed();
            pointer.send(XPointer::Motion, globalOfCanvasPixel(x, y));
            if (!processUntil([&] {
                    return watch.canvas > canvasBefore && watch.x > xBefore && watch.y > yBefore;
                })) {
                ++late;
                std::fprintf(stderr, "late move %d: %d %d %d\n", i, watch.canvas - canvasBefore,
                             watch.x - xBefore, watch.y - yBefore);
            }
            const qint64 flushedAt = watch.clock.nsecsElapsed();
            roundTrip(qt);
            delivery.push_back(static_cast<double>(watch.movedAt - sentAt));
            handling.push_back(static_cast<double>(watch.frameAt - watch.movedAt));
            frame.push_back(static_cast<double>(flushedAt - watch.frameAt));
            server.push_back(static_cast<double>(watch.clock.nsecsElapsed() - flushedAt));
            const tarn::ObjectRow& row = g_window->scene().objects[9];
            if (row.x != x || row.y != y || g_window->lst(7)->item(9)->text() != QString::number(x))
                ++wrong;
        },
        [&] {
            tarn::recompose(floorScene);
            for (int r = 0; r < tarn::kCanvasHeight; ++r) {
                const std::uint8_t* src = floorScene.canvas.row(r);
                auto* dst = reinterpret_cast<QRgb*>(backing.scanLine(r));
                for (int c = 0; c < tarn::kCanvasWidth; ++c, src += 3)
                    dst[c] = qRgb(src[0], src[1], src[2]);
            }
            benchmark::DoNotOptimize(backing.constBits());
        },
        RatioIs::AboveFloor,
        [&] {
            // Anything a move left for later (a second frame) shows up here.
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            frames += watch.frames - framesBefore;
            ++moves;
        });
    roundTrip(qt);
    const bool onScreen = screenShowsCanvas(qt);
    if (late + wrong > 0 || !onScreen) {
        std::fprintf(stderr, "moves: %d late, %d wrong; screen %s\n", late, wrong,
                     onScreen ? "right" : "wrong");
        state.SkipWithError("a move did not show the moved object on screen");
    }
    pointer.send(XPointer::Release, globalOfCanvasPixel(20, 10));
    processUntil([&] { return QGuiApplication::mouseButtons() == Qt::NoButton; });
    state.counters["delivery_us"] = tarn::bench::median(delivery) / 1000;
    state.counters["handling_us"] = tarn::bench::median(handling) / 1000;
    state.counters["frame_us"] = tarn::bench::median(frame) / 1000;
    state.counters["server_us"] = tarn::bench::median(server) / 1000;
    // One frame per move is the goal: canvas and both columns painted together.
    state.counters["frames_per_move"] = moves > 0 ? static_cast<double>(frames) / moves : 0;
}
BENCHMARK(BM_PointerMoveWhileDragging)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- Folder change ----

std::size_t residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stoul(line.substr(std::strlen(field)));
    return 0;
}

// A folder of n files named as part libraries are: terrain and objects of
// several sets, with some other files between them.
QString bigFolder(QTemporaryDir& dir, int n) {
    const char* const kinds[] = {"_ug.bmp", "_bl.bmp", "_br.bmp", "_fl.bmp", "_fr.bmp", ".txt"};
    for (int k = 0; k < n; ++k) {
        const std::string name =
            (k % 7 == 0 ? "ob_thing" + std::to_string(k) + ".bmp"
                        : (k % 3 ? "Stone" : "brick") + std::to_string(k) + kinds[k % 6]);
        std::ofstream(dir.filePath(QString::fromStdString(name)).toStdString());
    }
    return dir.path();
}

// The floor: reading the folder's names, nothing else.
std::size_t readNames(const QString& folder) {
    std::size_t n = 0;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    while (d != nullptr && ::readdir(d) != nullptr)
        ++n;
    if (d != nullptr)
        ::closedir(d);
    return n;
}

void BM_FolderChange(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    // Made once: writing 50,000 files takes longer than the measurement.
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    if (!folders.contains(n))
        folders[n] = std::make_unique<QTemporaryDir>();
    const QString big = folders[n]->path();
    if (QDir(big).isEmpty())
        bigFolder(*folders[n], n);
    // Memory, the first time only (the library keeps what it once had): what
    // the lists of the big folder hold once filled, and the peak on the way.
    static std::map<int, std::pair<double, double>> memory;
    if (!memory.contains(n)) {
        g_window->changeFolder(g_parts);
        std::ofstream("/proc/self/clear_refs") << "5"; // peak := current
        const double before = static_cast<double>(residentKb("VmRSS:"));
        g_window->changeFolder(big);
        QCoreApplication::processEvents();
        memory[n] = {(static_cast<double>(residentKb("VmHWM:")) - before) / 1024,
                     (static_cast<double>(residentKb("VmRSS:")) - before) / 1024};
    }
    g_window->changeFolder(big);
    state.counters["peak_MB"] = memory[n].first;
    state.counters["kept_MB"] = memory[n].second;
    if (g_window->findChild<QListWidget*>(QStringLiteral("flb"))->count() != n) {
        state.SkipWithError("the file list does not hold every file");
        return;
    }
    interleave(
        state,
        [&] {
            g_window->changeFolder(big);
            QCoreApplication::processEvents(); // the lists lay out their new rows
        },
        [&] { benchmark::DoNotOptimize(readNames(big)); }, RatioIs::AboveFloor,
        // Back to the small folder, so that the next change is a change.
        [&] { g_window->changeFolder(g_parts); });
    g_window->changeFolder(g_parts);
}
BENCHMARK(BM_FolderChange)->Arg(10000)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Start-up ----

void BM_StartUp(benchmark::State& state) {
    QTemporaryDir dir;
    copySampleParts(dir.path());
    const tarn::AppContext context{dir.path(), QStringLiteral("tarn")};
    bool listed = true;
    interleave(
        state,
        [&] {
            // What BOOT does before the boot screen's timer runs.
            auto boot = std::make_unique<tarn::FrmBoot>(tarn::FrmBoot::Mode::Startup);
            boot->show();
            QCoreApplication::processEvents();
            tarn::FrmMain main(context);
            main.load();
            listed = listed && main.lst(1)->count() > 0;
        },
        [&] {
            // The reference: the boot screen alone.
            auto boot = std::make_unique<tarn::FrmBoot>(tarn::FrmBoot::Mode::Startup);
            boot->show();
            QCoreApplication::processEvents();
        },
        RatioIs::AboveFloor);
    if (!listed)
        state.SkipWithError("the sample parts were not listed");
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Export ----

void BM_ExportFullScene(benchmark::State& state) {
    QTemporaryDir scenario, copies;
    tarn::ExportRequest request;
    request.folder = scenario.path().toStdString();
    request.numberText = "1";
    request.replaceExisting = true;
    std::vector<std::string> sources;
    for (const tarn::Slot& s :
         {g_window->scene().slot(1), g_window->scene().slot(2), g_window->scene().slot(3),
          g_window->scene().slot(4), g_window->scene().slot(5)})
        sources.push_back(s.path);
    bool ok = true;
    interleave(
        state, [&] { ok = ok && tarn::exportTemplate(g_window->scene(), request).ok(); },
        [&] {
            // The reference: copying the terrain bitmaps, as the export also does.
            for (const std::string& s : sources)
                std::filesystem::copy_file(s,
                                           copies.path().toStdString() + "/" +
                                               std::filesystem::path(s).filename().string(),
                                           std::filesystem::copy_options::overwrite_existing);
        },
        RatioIs::AboveFloor);
    if (!ok)
        state.SkipWithError("the export failed");
}
BENCHMARK(BM_ExportFullScene)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tarn::setPlatformOptions(); // as the program does
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_parts = folder.path();
    copySampleParts(g_parts);
    auto window = std::make_unique<tarn::FrmMain>(tarn::AppContext{g_parts, "tarn"});
    g_window = window.get();
    window->load();
    window->show();
    window->activateWindow();
    if (!processUntil(
            [&] { return window->windowHandle() && window->windowHandle()->isExposed(); }) ||
        !buildScene()) {
        std::fprintf(stderr, "could not show the benchmark scene\n");
        return 1;
    }
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
