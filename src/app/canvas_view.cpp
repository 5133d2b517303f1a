#include "app/canvas_view.h"

#include "app/picture_io.h"
#include "scene/scene.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tarn {

CanvasView::CanvasView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pctMain"));
    setFixedSize(kCanvasWidth + 2 * kBorder, kCanvasHeight + 2 * kBorder);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_ = QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB888);
    image_.fill(Qt::black);
}

void CanvasView::showCanvas(const Picture& canvas) {
    image_ = toQImage(canvas);
    update();
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.drawImage(kBorder, kBorder, image_);
}

QPoint CanvasView::canvasPoint(const QMouseEvent* event) const {
    // Whole pixels, rounded down, so a point just left of the canvas is -1, not 0.
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())) - kBorder,
            static_cast<int>(std::floor(p.y())) - kBorder};
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

} // namespace tarn
