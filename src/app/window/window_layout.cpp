#include "app/window/window_layout.h"

#include "app/window/canvas_view.h"
#include "scene/scene.h"

#include <QWidget>

namespace tarn {

namespace {

constexpr int kObjectLists[] = {6, 7, 8, 9};

} // namespace

void WindowLayout::apply(QWidget* area, CanvasView& canvas, QSize extra) {
    const int dx = std::max(0, extra.width());
    const int dy = std::max(0, extra.height());
    int zoom = 1;
    while (zoom < CanvasView::kMaxZoom && zoom * kCanvasWidth <= dx && zoom * kCanvasHeight <= dy)
        ++zoom;
    canvas.setZoom(zoom);
    const int canvasDx = (zoom - 1) * kCanvasWidth;
    const int canvasDy = (zoom - 1) * kCanvasHeight;
    const int objectDx = dx - canvasDx; // the object area's extra width
    const int partsDy = dy / 3;         // lst(0)'s extra height; the rows take the rest

    // A control by its objectName, a pattern numbered with `number` when not negative.
    struct Name {
        const char* pattern;
        int number = -1;
    };
    // Controls are looked up only once: a resize places them many times.
    const bool resolving = places_.empty();
    std::size_t next = 0;
    const auto place = [&](Name name, int moveX, int moveY, int growW, int growH) {
        if (resolving) {
            const QString pattern = QString::fromLatin1(name.pattern);
            auto* widget =
                area->findChild<QWidget*>(name.number < 0 ? pattern : pattern.arg(name.number));
            places_.push_back({widget, widget->geometry()});
        }
        const Placed& placed = places_[next++];
        const QRect& r = placed.first;
        placed.widget->setGeometry(r.x() + moveX, r.y() + moveY, r.width() + growW,
                                   r.height() + growH);
    };

    // The path panel covers the canvas; its folder and file lists take the growth.
    place({"Frame"}, 0, 0, canvasDx, canvasDy);
    place({"dir"}, 0, 0, 0, canvasDy);
    place({"flb"}, 0, 0, canvasDx, canvasDy);

    for (int slot = 1; slot <= kSlotCount; ++slot) {
        // Columns share the canvas's extra width, and end where the next one starts.
        const int left = canvasDx * (slot - 1) / kSlotCount;
        const int grow = canvasDx * slot / kSlotCount - left;
        place({"lbl(%1)", slot}, left, canvasDy, grow, 0);
        place({"cmdClear(%1)", slot}, left + grow, canvasDy, 0, 0);
        place({"use(%1)", slot}, left, canvasDy, grow, 0);
        place({"lst(%1)", slot}, left, canvasDy, grow, dy - canvasDy);
    }
    place({"Command1"}, canvasDx, canvasDy, 0, 0);

    place({"lbl(0)"}, canvasDx, 0, objectDx, 0);
    place({"lst(0)"}, canvasDx, 0, objectDx, partsDy);
    place({"pctOb"}, canvasDx, partsDy, objectDx, 0);
    for (const char* button : {"cmd_ob(0)", "cmd_ob(1)", "cmdChange(0)", "cmdChange(1)"})
        place({button}, canvasDx + objectDx, partsDy, 0, 0);
    // The name column takes the extra width; the numbers keep theirs.
    for (int c = 0; c < 4; ++c) {
        const int moveX = canvasDx + (c == 0 ? 0 : objectDx);
        const int growW = c == 0 ? objectDx : 0;
        place({"lblColumn(%1)", c}, moveX, partsDy, growW, 0);
        place({"lst(%1)", kObjectLists[c]}, moveX, partsDy, growW, dy - partsDy);
    }
}

} // namespace tarn
