#pragma once

#include <QRect>
#include <QSize>

#include <vector>

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
    struct Placed {
        QWidget* widget;
        QRect first; // as built, for the window at its first size
    };
    // Found by name at the first apply, in the order apply places them.
    std::vector<Placed> places_;
};

} // namespace tarn
