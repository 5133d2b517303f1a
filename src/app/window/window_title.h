#pragma once

#include <QCoreApplication>
#include <QString>

namespace tarn {

class SceneDocument;

// The main window's title: the scene file's name, a star while it has unsaved
// changes, and the program's name.
class WindowTitle {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    static QString of(const SceneDocument& document);
};

} // namespace tarn
