#include "app/window/canvas_view.h"

#include "scene/scene.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarn {

namespace {

// 0xffRRGGBB from the bytes R, G, B at the low end of a little-endian word.
std::uint32_t rgb32Of(std::uint32_t rgbBytes) {
    return qFromBigEndian(rgbBytes << 8) | 0xff000000u;
}

// Packed R, G, B bytes to 0xffRRGGBB words, four pixels (three words read) at
// a time: runs at every frame, so it must stay near the speed of a copy.
void toRgb32(const std::uint8_t* src, std::uint32_t* dst, int n) {
    int x = 0;
    for (; x + 4 <= n; x += 4, src += 12) {
        std::uint32_t w[3];
        std::memcpy(w, src, sizeof w);
        const std::uint32_t a = qFromLittleEndian(w[0]), b = qFromLittleEndian(w[1]),
                            c = qFromLittleEndian(w[2]);
        dst[x] = rgb32Of(a);
        dst[x + 1] = rgb32Of(a >> 24 | b << 8);
        dst[x + 2] = rgb32Of(b >> 16 | c << 16);
        dst[x + 3] = rgb32Of(c >> 8);
    }
    for (; x < n; ++x, src += 3)
        dst[x] = qRgb(src[0], src[1], src[2]);
}

} // namespace

CanvasView::CanvasView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pctMain"));
    setFixedSize(boxSize(1));
    setMouseTracking(true);
    // Clicked, it takes the arrow keys for nudging; tabbing passes it by.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The screen's own format: painting is then a plain copy, with no
    // conversion (and no new image) at every frame.
    image_ = QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    image_.fill(Qt::black);
}

void CanvasView::showCanvas(const Picture& canvas, const Rect& area) {
    Rect copied = area.intersected({0, 0, canvas.width(), canvas.height()});
    if (image_.size() != QSize(canvas.width(), canvas.height())) {
        image_ = QImage(canvas.width(), canvas.height(), QImage::Format_RGB32);
        copied = {0, 0, canvas.width(), canvas.height()};
    }
    // A drag changes a few thousand pixels: copying and painting only those
    // keeps a move's frame small.
    for (int y = copied.y; y < copied.y + copied.h; ++y)
        toRgb32(canvas.row(y) + static_cast<std::ptrdiff_t>(copied.x) * 3,
                reinterpret_cast<std::uint32_t*>(image_.scanLine(y)) + copied.x, copied.w);
    if (!copied.empty())
        update(QRect(kBorder + copied.x * zoom_, kBorder + copied.y * zoom_, copied.w * zoom_,
                     copied.h * zoom_));
}

void CanvasView::setZoom(int zoom) {
    zoom = std::clamp(zoom, 1, kMaxZoom);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    setFixedSize(boxSize(zoom));
    update();
}

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    if (zoom_ == 1) {
        // The painter clips to what needs painting, but drawing the whole image
        // would still walk it; copy just the damaged part.
        const QRect r =
            event->rect().intersected(QRect(kBorder, kBorder, image_.width(), image_.height()));
        painter.drawImage(r.topLeft(), image_, r.translated(-kBorder, -kBorder));
        return;
    }
    // Nearest neighbour: every canvas pixel a sharp square.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(kBorder, kBorder, kCanvasWidth * zoom_, kCanvasHeight * zoom_), image_);
}

QPoint CanvasView::canvasPoint(const QMouseEvent* event) const {
    // Whole pixels, rounded down, so a point just left of the canvas is -1, not 0.
    const QPointF p = event->position();
    return {static_cast<int>(std::floor((p.x() - kBorder) / zoom_)),
            static_cast<int>(std::floor((p.y() - kBorder) / zoom_))};
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(canvasPoint(event), event->buttons());
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(canvasPoint(event), event->button(), event->buttons());
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(canvasPoint(event), event->button(), event->buttons());
}

void CanvasView::leaveEvent(QEvent* event) {
    emit pointerLeft();
    QWidget::leaveEvent(event);
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        emit nudged(-step, 0);
        break;
    case Qt::Key_Right:
        emit nudged(step, 0);
        break;
    case Qt::Key_Up:
        emit nudged(0, -step);
        break;
    case Qt::Key_Down:
        emit nudged(0, step);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace tarn
