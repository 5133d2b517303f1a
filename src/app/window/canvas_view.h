#pragma once

#include "scene/scene.h"

#include <QImage>
#include <QWidget>

namespace tarn {

// The main picture box: the canvas inside a one-pixel flat border, shown at a
// whole zoom factor with square pixels. Mouse positions it reports are canvas
// pixels (the border left out, the zoom divided back), so they may be negative
// or past the canvas while a button is held.
class CanvasView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kBorder = 1;
    static constexpr int kMaxZoom = 3;

    explicit CanvasView(QWidget* parent = nullptr);

    // Copies the canvas, or only its pixels within `area`, and repaints them.
    void showCanvas(const Picture& canvas, const Rect& area = kCanvasRect);
    // What is on screen now, for checks.
    const QImage& shownImage() const { return image_; }

    // 1 .. kMaxZoom; the box takes the size the canvas needs.
    void setZoom(int zoom);
    int zoom() const { return zoom_; }
    static constexpr QSize boxSize(int zoom) {
        return {kCanvasWidth * zoom + 2 * kBorder, kCanvasHeight * zoom + 2 * kBorder};
    }

  signals:
    void mouseMoved(QPoint position, Qt::MouseButtons buttons);
    void mousePressed(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseReleased(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);
    // An arrow key while the canvas has the focus: one pixel, ten with Shift.
    void nudged(int dx, int dy);
    void pointerLeft();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QPoint canvasPoint(const QMouseEvent* event) const;

    QImage image_;
    int zoom_ = 1;
};

} // namespace tarn
