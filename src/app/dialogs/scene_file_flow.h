#pragma once

#include "app/common/app_context.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

class QWidget;

namespace tarn {

class SceneDocument;

// The scene files of the File menu: the file dialogs, the question about
// unsaved changes, the one about a file changed on disk since, and the recent
// scenes kept in the settings. Messages are shown over `window`.
class SceneFileFlow {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    // `recentChanged` runs after every change of the recent scenes.
    SceneFileFlow(QWidget* window, SceneDocument& document, AppContext& context,
                  std::function<void()> recentChanged);

    // Asks whether to save unsaved changes; false when the user keeps the scene.
    bool maySetSceneAside();
    // False when nothing was saved: the user cancelled or the write failed.
    bool saveCurrent();
    bool saveAs();
    // Asks for a scene file and opens it; false when cancelled or failed.
    bool askAndOpen();
    // On failure a message, and the scene shown stays as it was.
    bool open(const QString& path);
    // The same for the bytes of a path, which may be no UTF-8.
    bool open(const std::string& path);
    // Says where the scenes kept at an emergency end are, and lists them among
    // the recent scenes.
    void offerRecovered();

  private:
    bool save(const std::string& path);
    // A scene file chosen in a file dialog; "" when the user cancels.
    QString askPath(bool forSaving);
    void tellProblem(const QString& text);

    QWidget* window_;
    SceneDocument& document_;
    AppContext& context_;
    std::function<void()> recentChanged_;
};

} // namespace tarn
