#include "app/dialogs/frm_write.h"
#include "app/common/messages.h"
#include "app/common/named_widgets.h"
#include "app/common/native_path.h"
#include "app/common/user_action.h"
#include "app/dialogs/area_file_list.h"
#include "app/dialogs/dialog_folders.h"
#include "app/dialogs/overwrite_question.h"
#include "app/dialogs/write_request.h"

#include "export/cw_writers.h"

#include "document/scene_document.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarn {

FrmWrite::FrmWrite(SceneDocument& document, const AppContext& context, QWidget* parent)
    : QDialog(parent), document_(document), context_(context) {
    setObjectName(QStringLiteral("frmWrite"));
    setWindowTitle(tr("シナリオ ひな形書き出し"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();

    txtFolder_->setText(dialogFolder(context_, SavedFile::Export));
    refreshAreaList();
    lst_->setEnabled(false);
    // No background file of the user's choosing is offered.
    for (QWidget* never : std::initializer_list<QWidget*>{optBFile_, txtBg_, label2_, command3_})
        never->setEnabled(false);

    // Every edit of the folder re-lists it, so the list, the proposed number and
    // the existing-file option always describe the folder OK writes to.
    connect(txtFolder_, &QLineEdit::textChanged, this, &FrmWrite::refreshAreaList);
    connect(command1_, &QPushButton::clicked, this, &FrmWrite::chooseFolder);
    connect(opt_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            switchMode();
    });
    connect(optBG_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            switchBackground();
    });
    showTone();
    observerKey_ = document_.addObserver([this](const DocumentChange& change) {
        if (change.canvas)
            showTone();
    });
    connect(okButton_, &QPushButton::clicked, this, &FrmWrite::runExport);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}

FrmWrite::~FrmWrite() {
    document_.removeObserver(observerKey_);
}

void FrmWrite::buildControls() {
    label5_ = makeLabel("Label5", tr("保存場所"));
    txtFolder_ = new QLineEdit;
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    txtFolder_->setMinimumWidth(320);
    command1_ = makeButton("Command1", tr("参照"));
    okButton_ = makeButton("OKButton", QStringLiteral("OK"));
    okButton_->setDefault(true);
    cancelButton_ = makeButton("CancelButton", tr("ｷｬﾝｾﾙ"));

    frame3_ = new QGroupBox;
    frame3_->setObjectName(QStringLiteral("Frame3"));
    opt_ = new QButtonGroup(this);
    opt_->setObjectName(QStringLiteral("opt"));
    optNew_ = makeOption("opt(0)", tr("新規ファイル"), opt_, 0);
    optExisting_ = makeOption("opt(1)", tr("既存ファイル"), opt_, 1);
    optNew_->setChecked(true);
    label3_ = makeLabel("Label3", QStringLiteral("Area"));
    txtNewFILE_ = new QLineEdit;
    txtNewFILE_->setObjectName(QStringLiteral("txtNewFILE"));
    txtNewFILE_->setMaximumWidth(100);
    label4_ = makeLabel("Label4", QStringLiteral(".wid"));
    lst_ = new QListWidget;
    lst_->setObjectName(QStringLiteral("lst"));
    lst_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(label3_);
    numberRow->addWidget(txtNewFILE_);
    numberRow->addWidget(label4_);
    numberRow->addStretch();
    auto* modeColumn = new QVBoxLayout(frame3_);
    modeColumn->addWidget(optNew_);
    modeColumn->addLayout(numberRow);
    modeColumn->addWidget(optExisting_);
    modeColumn->addWidget(lst_);

    optBG_ = new QButtonGroup(this);
    optBG_->setObjectName(QStringLiteral("optBG"));
    optBgDefault_ = makeOption("optBG(0)", tr("背景はデフォルトを使用(MapOfWirth.bmp)"), optBG_, 0);
    optBgChosen_ = makeOption("optBG(1)", tr("背景を指定"), optBG_, 1);
    optBgChosen_->setChecked(true);

    frame1_ = new QGroupBox(tr("背景"));
    frame1_->setObjectName(QStringLiteral("Frame1"));
    optB_ = new QButtonGroup(this);
    optB_->setObjectName(QStringLiteral("optB"));
    optBlack_ = makeOption("optB(0)", tr("背景に黒を使用"), optB_, 0);
    optBlack_->setChecked(true);
    label1_ = makeLabel("Label1", tr("（dark.bmpを追加作成)"));
    optBFile_ = makeOption("optB(1)", tr("背景を指定する"), optB_, 1);
    txtBg_ = new QLineEdit;
    txtBg_->setObjectName(QStringLiteral("txtBg"));
    label2_ = makeLabel("Label2", QString());
    command3_ = makeButton("Command3", tr("参照"));

    auto* blackRow = new QHBoxLayout;
    blackRow->addWidget(optBlack_);
    blackRow->addWidget(label1_);
    blackRow->addStretch();
    auto* pickRow = new QHBoxLayout;
    pickRow->addWidget(label2_, 1);
    pickRow->addWidget(command3_);
    auto* backgroundColumn = new QVBoxLayout(frame1_);
    backgroundColumn->addLayout(blackRow);
    backgroundColumn->addWidget(optBFile_);
    backgroundColumn->addWidget(txtBg_);
    backgroundColumn->addLayout(pickRow);

    auto* rightColumn = new QVBoxLayout;
    rightColumn->addWidget(optBgDefault_);
    rightColumn->addWidget(optBgChosen_);
    rightColumn->addWidget(frame1_);
    rightColumn->addStretch();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch();

    lblTone_ = makeLabel("lblTone", tr("画面はグレースケール／セピア調ですが、"
                                       "エリアには部品の元の色が使われます。"));
    lblTone_->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label5_, 0, 0, 1, 2);
    grid->addWidget(txtFolder_, 1, 0, 1, 2);
    grid->addWidget(command1_, 2, 1, Qt::AlignRight);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->addWidget(frame3_, 3, 0);
    grid->addLayout(rightColumn, 3, 1, 1, 2);
    grid->addWidget(lblTone_, 4, 0, 1, 3);
}

// The area shows the parts as they are, not the toned canvas.
void FrmWrite::showTone() {
    lblTone_->setVisible(!document_.tones().empty());
}

void FrmWrite::refreshAreaList() {
    runUserAction(this, [this] { listAreas(); });
}

void FrmWrite::listAreas() {
    const int areas = fillAreaList(*lst_, scenarioFolder(txtFolder_->text()));
    txtNewFILE_->setText(QString::number(areas + 1));
    optExisting_->setEnabled(areas > 0);
}

void FrmWrite::chooseFolder() {
    QFileDialog chooser(this, tr("保存場所の指定"));
    chooser.setObjectName(QStringLiteral("cmDialog"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    const QString current = scenarioFolder(txtFolder_->text());
    if (QDir(current).exists())
        chooser.setDirectory(current);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString folder = scenarioFolder(chooser.selectedFiles().constFirst());
    if (folder == txtFolder_->text())
        refreshAreaList(); // same folder again: its files may have changed meanwhile
    else
        txtFolder_->setText(folder);
}

void FrmWrite::switchMode() {
    const bool newFile = optNew_->isChecked();
    txtNewFILE_->setEnabled(newFile);
    label3_->setEnabled(newFile);
    label4_->setEnabled(newFile);
    lst_->setEnabled(!newFile);
}

void FrmWrite::switchBackground() {
    frame1_->setEnabled(optBgChosen_->isChecked());
}

ExportRequest FrmWrite::buildRequest() const {
    return writeRequest({txtFolder_->text(), optNew_->isChecked(), txtNewFILE_->text(),
                         selectedAreaFile(*lst_), optBgDefault_->isChecked()});
}

void FrmWrite::runExport() {
    runUserAction(this, [this] { exportScene(); });
}

void FrmWrite::exportScene() {
    // Remembered before anything else, also when the export stops below.
    rememberDialogFolder(this, context_, SavedFile::Export, txtFolder_->text());

    // A view without them is not the one the author made.
    if (const std::vector<std::string> missing = missingParts(document_.scene());
        !missing.empty()) {
        QStringList files;
        for (const std::string& path : missing)
            files << fromNative(path);
        showMessage(this, QMessageBox::Warning,
                    tr("次のパーツを読み込めないため、書き出しません。\n%1")
                        .arg(files.join(QLatin1Char('\n'))));
        return;
    }
    ExportRequest request = buildRequest();
    if (request.mode == AreaMode::ExistingFile && request.selectedFile.empty()) {
        ExportResult unselected;
        unselected.code = StatusCode::NothingSelected;
        reportProblem(unselected);
        return;
    }
    for (;;) {
        const ExportResult result = exportTemplate(document_.scene(), request);
        if (result.ok()) {
            accept();
            reportWritten(result);
            return;
        }
        if (!reportProblem(result)) {
            // A selection the folder no longer holds: show what it holds now.
            if (result.code == StatusCode::NothingSelected)
                refreshAreaList();
            return;
        }
        request.replaceExisting = true;
    }
}

void FrmWrite::reportWritten(const ExportResult& result) {
    showMessage(parentWidget(), QMessageBox::Information, exportWrittenText(result));
}

bool FrmWrite::reportProblem(const ExportResult& result) {
    if (result.code == StatusCode::AreaExists) {
        return askOverwrite(this, fromNative(result.file));
    }
    if (result.code == StatusCode::NothingSelected) {
        showMessage(this, QMessageBox::Warning,
                    tr("リストから上書きするファイルを選択してください。"), tr("Tarn 警告"));
        return false;
    }
    showMessage(this, QMessageBox::Warning, exportProblemText(result));
    return false;
}

} // namespace tarn
