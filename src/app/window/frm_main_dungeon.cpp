// The dungeon window from the File menu, and its views opened as scenes.
#include "app/window/frm_main.h"

#include "app/dialogs/scene_file_flow.h"
#include "app/window/frm_dungeon.h"

namespace tarn {

void FrmMain::onDungeon() {
    // One dungeon window: opening it again brings it forward. A closed one may
    // linger hidden until its deferred deletion.
    FrmDungeon* window = nullptr;
    for (FrmDungeon* open : findChildren<FrmDungeon*>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            window = open;
    if (window == nullptr) {
        act([&] { window = new FrmDungeon(*this, context_); });
        if (window == nullptr)
            return;
        window->show();
    }
    window->raise();
    window->activateWindow();
}

bool FrmMain::openViewAsScene(const Scene& view) {
    bool opened = false;
    act([&] {
        if (!sceneFiles_->maySetSceneAside())
            return;
        document_.newScene();
        document_.replaceState({view.terrain(), view.objects, {}});
        opened = true;
    });
    return opened;
}

} // namespace tarn
