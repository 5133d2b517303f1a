#include "app/frm_write.h"
#include "app/messages.h"
#include "app/overwrite_question.h"

#include "scene/scene.h"

#include <QButtonGroup>
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

namespace {

const char* const kSection = "MemWData";
const char* const kFolderKey = "MofSLoc";

QRadioButton* makeOption(const char* name, const QString& caption, QButtonGroup* group, int id) {
    auto* option = new QRadioButton(caption);
    option->setObjectName(QString::fromLatin1(name));
    group->addButton(option, id);
    return option;
}

QLabel* makeLabel(const char* name, const QString& caption) {
    auto* label = new QLabel(caption);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* makeButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// File names and paths travel as the bytes the file system uses.
std::string toNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The folder as OK and the listing use it: one trailing separator dropped, as
// the folder box is meant to hold none.
QString scenarioFolder(const QString& text) {
    QString folder = text;
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString problemText(const ExportResult& result) {
    const QString subject = fromNative(result.subject);
    switch (result.problem) {
    case ExportProblem::FolderMissing:
        return QStringLiteral("保存場所のフォルダ「%1」が見つかりません。\n"
                              "存在するフォルダを指定してください。")
            .arg(subject);
    case ExportProblem::FolderNotWritable:
        return QStringLiteral("保存場所のフォルダ「%1」に書き込めません。\n"
                              "書き込みのできるフォルダを指定してください。")
            .arg(subject);
    case ExportProblem::SourceMissing:
        return QStringLiteral("部品のビットマップ「%1」が見つかりません。\n"
                              "何も書き出していません。")
            .arg(subject);
    case ExportProblem::BadNumber:
        return QStringLiteral("エリア番号「%1」は整数ではありません。\n"
                              "整数を入力してください。")
            .arg(subject);
    case ExportProblem::NumberTooLarge:
        return QStringLiteral("エリア番号「%1」はエリアファイルに書き込める範囲を超えています。\n"
                              "-2147483648 から 2147443647 までの整数を入力してください。")
            .arg(subject);
    case ExportProblem::NoShiftJis:
        return QStringLiteral("「%1」にはシフトJISで表せない文字があります。\n"
                              "CardWirth のファイルに書き込めないため、名前を変えてください。")
            .arg(subject);
    case ExportProblem::WriteFailed:
        return QStringLiteral("エラー発生！\n「%1」を書き込めませんでした。\n%2（エラー番号 %3）\n"
                              "エリアファイルは書き出していません。")
            .arg(subject, statusDescription(result.io), QString::number(result.io.error));
    case ExportProblem::None:
    case ExportProblem::AreaExists:
    case ExportProblem::NothingSelected:
        break;
    }
    return {};
}

} // namespace

FrmWrite::FrmWrite(const Scene& scene, const AppContext& context, QWidget* parent)
    : QDialog(parent), scene_(scene), context_(context) {
    setObjectName(QStringLiteral("frmWrite"));
    setWindowTitle(QStringLiteral("シナリオ ひな形書き出し"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();

    txtFolder_->setText(QString::fromStdString(
        context_.ini().getini(kSection, kFolderKey, context_.programFolder.toStdString())));
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
    connect(okButton_, &QPushButton::clicked, this, &FrmWrite::runExport);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}

void FrmWrite::buildControls() {
    label5_ = makeLabel("Label5", QStringLiteral("保存場所"));
    txtFolder_ = new QLineEdit;
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    txtFolder_->setMinimumWidth(320);
    command1_ = makeButton("Command1", QStringLiteral("参照"));
    okButton_ = makeButton("OKButton", QStringLiteral("OK"));
    okButton_->setDefault(true);
    cancelButton_ = makeButton("CancelButton", QStringLiteral("ｷｬﾝｾﾙ"));

    frame3_ = new QGroupBox;
    frame3_->setObjectName(QStringLiteral("Frame3"));
    opt_ = new QButtonGroup(this);
    opt_->setObjectName(QStringLiteral("opt"));
    optNew_ = makeOption("opt(0)", QStringLiteral("新規ファイル"), opt_, 0);
    optExisting_ = makeOption("opt(1)", QStringLiteral("既存ファイル"), opt_, 1);
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
    optBgDefault_ =
        makeOption("optBG(0)", QStringLiteral("背景はデフォルトを使用(MapOfWirth.bmp)"), optBG_, 0);
    optBgChosen_ = makeOption("optBG(1)", QStringLiteral("背景を指定"), optBG_, 1);
    optBgChosen_->setChecked(true);

    frame1_ = new QGroupBox(QStringLiteral("背景"));
    frame1_->setObjectName(QStringLiteral("Frame1"));
    optB_ = new QButtonGroup(this);
    optB_->setObjectName(QStringLiteral("optB"));
    optBlack_ = makeOption("optB(0)", QStringLiteral("背景に黒を使用"), optB_, 0);
    optBlack_->setChecked(true);
    label1_ = makeLabel("Label1", QStringLiteral("（dark.bmpを追加作成)"));
    optBFile_ = makeOption("optB(1)", QStringLiteral("背景を指定する"), optB_, 1);
    txtBg_ = new QLineEdit;
    txtBg_->setObjectName(QStringLiteral("txtBg"));
    label2_ = makeLabel("Label2", QString());
    command3_ = makeButton("Command3", QStringLiteral("参照"));

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

    auto* grid = new QGridLayout(this);
    grid->addWidget(label5_, 0, 0, 1, 2);
    grid->addWidget(txtFolder_, 1, 0, 1, 2);
    grid->addWidget(command1_, 2, 1, Qt::AlignRight);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->addWidget(frame3_, 3, 0);
    grid->addLayout(rightColumn, 3, 1, 1, 2);
}

void FrmWrite::refreshAreaList() {
    lst_->clear();
    for (const std::string& name : listAreaFiles(toNative(scenarioFolder(txtFolder_->text()))))
        lst_->addItem(fromNative(name));
    txtNewFILE_->setText(QString::number(lst_->count() + 1));
    optExisting_->setEnabled(lst_->count() > 0);
}

void FrmWrite::chooseFolder() {
    QFileDialog chooser(this, QStringLiteral("保存場所の指定"));
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
    ExportRequest request;
    request.folder = toNative(scenarioFolder(txtFolder_->text()));
    request.mode = optNew_->isChecked() ? AreaMode::NewFile : AreaMode::ExistingFile;
    request.numberText = txtNewFILE_->text().toStdString();
    const QList<QListWidgetItem*> selected = lst_->selectedItems();
    if (!selected.isEmpty())
        request.selectedFile = toNative(selected.constFirst()->text());
    request.background = optBgDefault_->isChecked() ? Background::Default : Background::Black;
    return request;
}

void FrmWrite::runExport() {
    // Remembered before anything else, also when the export stops below.
    context_.ini().putini(kSection, kFolderKey, txtFolder_->text().toStdString());

    ExportRequest request = buildRequest();
    if (request.mode == AreaMode::ExistingFile && request.selectedFile.empty()) {
        reportProblem({ExportProblem::NothingSelected, {}, {}});
        return;
    }
    for (;;) {
        const ExportResult result = exportTemplate(scene_, request);
        if (result.ok()) {
            accept();
            return;
        }
        if (!reportProblem(result)) {
            // A selection the folder no longer holds: show what it holds now.
            if (result.problem == ExportProblem::NothingSelected)
                refreshAreaList();
            return;
        }
        request.replaceExisting = true;
    }
}

bool FrmWrite::reportProblem(const ExportResult& result) {
    if (result.problem == ExportProblem::AreaExists) {
        return askOverwrite(this, fromNative(result.subject));
    }
    if (result.problem == ExportProblem::NothingSelected) {
        QMessageBox warn(QMessageBox::Warning, QStringLiteral("Tarn 警告"),
                         QStringLiteral("リストから上書きするファイルを選択してください。"),
                         QMessageBox::Ok, this);
        warn.exec();
        return false;
    }
    QMessageBox warn(QMessageBox::Warning, QStringLiteral("Tarn"), problemText(result),
                     QMessageBox::Ok, this);
    warn.exec();
    return false;
}

} // namespace tarn
