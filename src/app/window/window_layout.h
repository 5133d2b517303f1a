#pragma once

#include <QHash>
#include <QRect>
#include <QSize>

class QWidget;

namespace tarn {

class CanvasView;

// The main window grown past its first size: the canvas at the largest whole
// zoom that fits, the terrain columns and the object lists taking the rest.
// Every place is the first layout's place plus a share of the extra room, so
// the window at its first size is laid out exactly as built. Controls are
// found on the window's central area by their objectNames.
class WindowLayout {
  public:
    // `extra` is the room beyond the window's first size.
    void apply(QWidget* area, CanvasView& canvas, QSize extra);

  private:
    QHash<QWidget*, QRect> initialPlaces_; // as built, for the window at its first size
};

} // namespace tarn
