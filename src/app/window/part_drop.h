#pragma once

class QDropEvent;

namespace tarn {

class FrmMain;
class PathPanel;
class SceneDocument;

// Part files and folders dropped onto the window from a file manager: a part
// goes into its slot or becomes an object, a folder is browsed. A drop holding
// anything else is used not at all, with a message, and the drop is ignored.
void dropParts(QDropEvent* event, FrmMain& window, SceneDocument& document, PathPanel& panel);

} // namespace tarn
