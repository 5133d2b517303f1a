#pragma once

#include "app/common/app_context.h"
#include "app/window/action_runner.h"

#include <QCoreApplication>
#include <QFrame>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tarn {

class FolderList;

// The path panel over the canvas: the drive, folder and file lists, the
// remembered folders M1..M6 / R1..R6 and Back. Whether it is open is its own
// state; the window shows that in its menu.
class PathPanel : public QFrame {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    // Told the file names of each folder listed, to fill the part lists.
    using FilesListed = std::function<void(const QStringList& files)>;

    PathPanel(AppContext context, const QRect& place, ActionRunner run, FilesListed listed,
              QWidget* parent);

    // The browsing lists on `remembered` when given and it can be entered,
    // else on the program folder, whose drive is the one a drive that is not
    // ready falls back to. False when `remembered` could not be entered.
    bool start(const std::optional<QString>& remembered);
    // Opens a closed panel, closes an open one; opening refills the drives.
    void toggle();
    // Closes the panel when open (a pointer moved elsewhere on the window).
    void closePanel();
    // After every opening or closing.
    void setOpenChanged(std::function<void(bool open)> handler);

    // Absolute, no trailing "/" except "/".
    QString currentFolder() const;
    // Moves the browsing lists to a folder; false, with nothing changed, when
    // it cannot be entered.
    bool changeFolder(const QString& folder);
    // Reads the current folder again.
    void reread();
    void showPathNotFound();
    // Tests replace it to play a drive that is not ready.
    void setDriveProbe(std::function<bool(const QString&)> probe);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void listFolder();
    void fillDriveList();
    void selectDrive(const QString& drive);
    void driveChange(const QString& drive);
    void remember(int index);
    void recall(int index);
    void back();
    void showSlotPath(QPushButton* button, int index);
    void setOpen(bool open);

    AppContext context_;
    ActionRunner run_;
    FilesListed listed_;
    std::function<void(bool)> openChanged_;
    std::function<bool(const QString&)> driveProbe_;
    QComboBox* drv_ = nullptr;
    FolderList* dir_ = nullptr;
    QListWidget* flb_ = nullptr;
    QLabel* lblFolder_ = nullptr;
    std::array<QPushButton*, 6> cmdMemory_{};
    std::array<QPushButton*, 6> cmdRead_{};
    QString pathBuff_; // drive of the program folder, recorded at start
    QString shownDrive_;
    bool open_ = false;
};

} // namespace tarn
