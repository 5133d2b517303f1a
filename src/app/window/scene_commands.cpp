#include "app/window/scene_commands.h"

#include "app/common/recent_scenes.h"
#include "app/dialogs/scene_file_flow.h"
#include "document/scene_document.h"

namespace tarn {

SceneCommands::SceneCommands(QWidget* window, SceneDocument& document, AppContext& context,
                             ActionRunner run, std::function<void()> recentChanged)
    : document_(document), context_(context), run_(std::move(run)),
      files_(std::make_unique<SceneFileFlow>(window, document, context, std::move(recentChanged))) {
}

SceneCommands::~SceneCommands() = default;

bool SceneCommands::maySetSceneAside() {
    return files_->maySetSceneAside();
}

void SceneCommands::undo() {
    run_([this] { document_.undo(); });
}

void SceneCommands::redo() {
    run_([this] { document_.redo(); });
}

void SceneCommands::newScene() {
    run_([this] {
        if (files_->maySetSceneAside())
            document_.newScene();
    });
}

void SceneCommands::askAndOpen() {
    run_([this] {
        if (files_->maySetSceneAside())
            files_->askAndOpen();
    });
}

void SceneCommands::openRecent(int index) {
    run_([this, index] {
        const QStringList recent = recentScenes(context_.ini());
        if (index < 0 || index >= recent.size() || !files_->maySetSceneAside())
            return;
        files_->open(recent[index]);
    });
}

bool SceneCommands::save() {
    bool saved = false;
    run_([&] { saved = files_->saveCurrent(); });
    return saved;
}

bool SceneCommands::saveAs() {
    bool saved = false;
    run_([&] { saved = files_->saveAs(); });
    return saved;
}

bool SceneCommands::open(const std::string& path) {
    bool opened = false;
    run_([&] { opened = files_->open(path); });
    return opened;
}

void SceneCommands::offerRecovered() {
    files_->offerRecovered();
}

bool SceneCommands::openView(const Scene& view) {
    bool opened = false;
    run_([&] {
        if (!files_->maySetSceneAside())
            return;
        document_.newScene();
        document_.replaceState({view.terrain(), view.objects, {}});
        opened = true;
    });
    return opened;
}

} // namespace tarn
