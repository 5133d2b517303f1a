#pragma once

#include "app/window/action_runner.h"
#include "scene/compose.h"

#include <QCoreApplication>
#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace tarn {

class CanvasView;
class SceneDocument;

// The main window's status bar (the canvas pixel under the pointer, the zoom,
// the scene file, hidden layers) and its layers menu, which hides layers on the
// screen only: what is saved, copied or exported always has them all.
class StatusLine : public QObject {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    StatusLine(QMainWindow& window, const CanvasView& canvas, SceneDocument& document,
               ActionRunner run);

    // One checkable entry per layer, in painting order.
    void buildLayerMenu(QMenu* menu);
    // The zoom, the scene file and whether layers are hidden, as they are now.
    void show();

  private:
    void showPointer(QPoint position);

    const CanvasView& canvas_;
    SceneDocument& document_;
    ActionRunner run_;
    std::array<QAction*, kPaintLayerCount> mnuLayers_{};
    QLabel* lblPointer_ = nullptr;
    QLabel* lblZoom_ = nullptr;
    QLabel* lblScene_ = nullptr;
    QLabel* lblLayers_ = nullptr;
};

} // namespace tarn
