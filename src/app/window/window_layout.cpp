#include "app/window/window_layout.h"

#include "app/window/canvas_view.h"
#include "scene/scene.h"

#include <QWidget>

namespace tarn {

namespace {

constexpr int kObjectLists[] = {6, 7, 8, 9};

} // namespace

void WindowLayout::apply(QWidget* area, CanvasView& canvas, QSize extra) {
    if (initialPlaces_.isEmpty()) {
        for (QWidget* widget : area->findChildren<QWidget*>())
            initialPlaces_.insert(widget, widget->geometry());
    }
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

    const auto place = [&](QWidget* widget, int moveX, int moveY, int growW, int growH) {
        const QRect r = initialPlaces_.value(widget);
        widget->setGeometry(r.x() + moveX, r.y() + moveY, r.width() + growW, r.height() + growH);
    };
    const auto named = [area](const QString& name) { return area->findChild<QWidget*>(name); };

    // The path panel covers the canvas; its folder and file lists take the growth.
    place(named(QStringLiteral("Frame")), 0, 0, canvasDx, canvasDy);
    place(named(QStringLiteral("dir")), 0, 0, 0, canvasDy);
    place(named(QStringLiteral("flb")), 0, 0, canvasDx, canvasDy);

    for (int slot = 1; slot <= kSlotCount; ++slot) {
        // Columns share the canvas's extra width, and end where the next one starts.
        const int left = canvasDx * (slot - 1) / kSlotCount;
        const int grow = canvasDx * slot / kSlotCount - left;
        place(named(QStringLiteral("lbl(%1)").arg(slot)), left, canvasDy, grow, 0);
        place(named(QStringLiteral("cmdClear(%1)").arg(slot)), left + grow, canvasDy, 0, 0);
        place(named(QStringLiteral("use(%1)").arg(slot)), left, canvasDy, grow, 0);
        place(named(QStringLiteral("lst(%1)").arg(slot)), left, canvasDy, grow, dy - canvasDy);
    }
    place(named(QStringLiteral("Command1")), canvasDx, canvasDy, 0, 0);

    place(named(QStringLiteral("lbl(0)")), canvasDx, 0, objectDx, 0);
    place(named(QStringLiteral("lst(0)")), canvasDx, 0, objectDx, partsDy);
    place(named(QStringLiteral("pctOb")), canvasDx, partsDy, objectDx, 0);
    for (const char* button : {"cmd_ob(0)", "cmd_ob(1)", "cmdChange(0)", "cmdChange(1)"})
        place(named(QString::fromLatin1(button)), canvasDx + objectDx, partsDy, 0, 0);
    // The name column takes the extra width; the numbers keep theirs.
    for (int c = 0; c < 4; ++c) {
        const int moveX = canvasDx + (c == 0 ? 0 : objectDx);
        const int growW = c == 0 ? objectDx : 0;
        place(named(QStringLiteral("lblColumn(%1)").arg(c)), moveX, partsDy, growW, 0);
        place(named(QStringLiteral("lst(%1)").arg(kObjectLists[c])), moveX, partsDy, growW,
              dy - partsDy);
    }
}

} // namespace tarn
