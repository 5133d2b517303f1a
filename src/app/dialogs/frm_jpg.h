#pragma once

#include "base/file_write.h"
#include "scene/picture.h"

#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QScrollBar;

namespace tarn {

// JPEG settings with a live preview. Opened without waiting by the save-as
// command while the main window is disabled; closing it in any way destroys it
// and hands the keyboard back to the main window, enabled again.
class FrmJpg : public QDialog {
    Q_OBJECT

  public:
    // Builds the dialog from its defaults and makes the first preview of the
    // canvas (a copy: the main window cannot change while this is open).
    FrmJpg(QWidget* mainWindow, const Picture& canvas, const QString& mySystemFolder);

    // The file OK writes, held in the hidden label lblFNAME.
    void setTargetPath(const QString& path);

    void done(int result) override;

  private:
    void buildControls();
    void qualityChanged(int value);
    void presetClicked(int index);
    void makepreview();
    void showPreview();
    void writeFile();
    bool encode(const QString& path, Durability durability) const;
    void showError();

    QPointer<QWidget> mainWindow_;
    Picture canvas_;
    QString mySystemFolder_;

    QLabel* pctPreview_ = nullptr;
    QButtonGroup* optQ_ = nullptr;
    QScrollBar* hs_ = nullptr;
    QLabel* lblP_ = nullptr;
    QCheckBox* optP_ = nullptr;
    QLabel* lblFNAME_ = nullptr;
};

} // namespace tarn
