#pragma once

#include "app/common/app_context.h"
#include "export/export_procedure.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tarn {

class SceneDocument;

// The scenario template export dialog. Modeless: the main window stays usable
// beside it, so the scene is read only when OK runs. Deletes itself when closed.
class FrmWrite : public QDialog {
    Q_OBJECT

  public:
    ~FrmWrite() override;
    FrmWrite(SceneDocument& document, const AppContext& context, QWidget* parent = nullptr);

  private:
    void buildControls();
    void refreshAreaList();
    void listAreas();
    void chooseFolder();
    void switchMode();
    void switchBackground();
    void showTone();
    void runExport();
    void exportScene();
    void reportWritten(const ExportResult& result);
    // Shows what stopped the export; true when the user agreed to replace an
    // existing area file and the export should run again.
    bool reportProblem(const ExportResult& result);
    ExportRequest buildRequest() const;

    SceneDocument& document_;
    int observerKey_ = -1;
    AppContext context_;

    QLabel* label5_ = nullptr;
    QLineEdit* txtFolder_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QButtonGroup* opt_ = nullptr;
    QRadioButton* optNew_ = nullptr;
    QRadioButton* optExisting_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* txtNewFILE_ = nullptr;
    QLabel* label4_ = nullptr;
    QListWidget* lst_ = nullptr;
    QButtonGroup* optBG_ = nullptr;
    QRadioButton* optBgDefault_ = nullptr;
    QRadioButton* optBgChosen_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QButtonGroup* optB_ = nullptr;
    QRadioButton* optBlack_ = nullptr;
    QLabel* label1_ = nullptr;
    QRadioButton* optBFile_ = nullptr;
    QLineEdit* txtBg_ = nullptr;
    QPushButton* command3_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* lblTone_ = nullptr;
};

} // namespace tarn
