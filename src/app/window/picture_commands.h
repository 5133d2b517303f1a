#pragma once

#include "app/window/action_runner.h"

class QWidget;

namespace tarn {

class AppContext;
class SceneDocument;

// The canvas as a picture, from the menu: saved to a file, copied to the
// clipboard, toned gray or sepia.
class PictureCommands {
  public:
    PictureCommands(QWidget* window, SceneDocument& document, AppContext& context,
                    ActionRunner run);

    void saveAs();
    void copy();
    // The effects tone only the canvas; the next redraw brings the parts' own
    // colours back.
    void gray();
    void sepia();

  private:
    QWidget* window_;
    SceneDocument& document_;
    AppContext& context_;
    ActionRunner run_;
};

} // namespace tarn
