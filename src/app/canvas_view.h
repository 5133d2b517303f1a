#pragma once

#include "scene/picture.h"

#include <QImage>
#include <QWidget>

namespace tarn {

// The main picture box: the canvas shown unscaled inside a one-pixel flat
// border. Mouse positions it reports are canvas pixels (the border left out),
// so they may be negative or past the canvas while a button is held.
class CanvasView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kBorder = 1;

    explicit CanvasView(QWidget* parent = nullptr);

    // Copies the canvas and repaints.
    void showCanvas(const Picture& canvas);
    // What is on screen now, for checks.
    const QImage& shownImage() const { return image_; }

  signals:
    void mouseMoved(QPoint position, Qt::MouseButtons buttons);
    void mousePressed(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseReleased(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPoint canvasPoint(const QMouseEvent* event) const;

    QImage image_;
};

} // namespace tarn
