#pragma once

#include "app/common/app_context.h"
#include "app/window/action_runner.h"

#include <QString>

#include <memory>
#include <string>

class QWidget;

namespace tarn {

class Scene;
class SceneDocument;
class SceneFileFlow;

// The File menu's scene commands and undo/redo: each runs as one user action
// and leaves the file dialogs and questions to SceneFileFlow.
class SceneCommands {
  public:
    // `recentChanged` runs after every change of the recent scenes.
    SceneCommands(QWidget* window, SceneDocument& document, AppContext& context, ActionRunner run,
                  std::function<void()> recentChanged);
    ~SceneCommands();

    // Asks whether to save unsaved changes; false when the user keeps the scene.
    bool maySetSceneAside();

    void undo();
    void redo();
    void newScene();
    void askAndOpen();
    void openRecent(int index);
    // False when nothing was saved: the user cancelled or the write failed.
    bool save();
    bool saveAs();
    // Without asking about the scene shown; on failure it stays as it was.
    bool open(const std::string& path);
    void offerRecovered();
    // An unsaved new scene whose one step back is the empty scene.
    bool openView(const Scene& view);

  private:
    SceneDocument& document_;
    AppContext& context_;
    ActionRunner run_;
    std::unique_ptr<SceneFileFlow> files_;
};

} // namespace tarn
