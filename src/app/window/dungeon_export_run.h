#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QProgressBar;
class QPushButton;
class QWidget;

namespace tarn {

class DungeonMap;
struct DungeonPack;
class PartCache;

// What the dungeon window holds when its export starts.
struct DungeonExportInput {
    const DungeonMap& map;
    const DungeonPack& pack;
    PartCache& parts;
    QString mapFile;
    QString packFile;
    QString folder;
    QString firstArea;
    bool flatten = false;
};

// The dungeon window's export: every view into the scenario folder, with a
// progress bar and a cancel button, and one message at the end.
class DungeonExportRun {
    // Its words stay with the dungeon window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmDungeon)

  public:
    enum class Outcome { NotWritten, Written, WindowEnding };

    // Told when an export starts and when it ends, to lock the window meanwhile.
    DungeonExportRun(QWidget* window, std::function<void(bool exporting)> exporting);

    QProgressBar* bar() const { return prgExport_; }
    QPushButton* cancelButton() const { return cmdCancel_; }
    bool running() const { return running_; }
    void cancel() { cancelled_ = true; }

    // Asks what the folder's earlier export needs, exports and says how it
    // went, unless windowEnding says the program ends meanwhile.
    Outcome run(const DungeonExportInput& input, const std::function<bool()>& windowEnding);

  private:
    void setRunning(bool running);

    QWidget* window_;
    std::function<void(bool)> exporting_;
    QProgressBar* prgExport_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    bool running_ = false;
    bool cancelled_ = false;
};

} // namespace tarn
