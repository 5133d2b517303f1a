#include "app/dialogs/frm_jpg.h"

#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/picture_io.h"
#include "app/common/user_action.h"
#include "base/paths.h"
#include "output/jpeg_writer.h"
#include "scene/scene.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <array>

namespace tarn {

namespace {
constexpr std::array<int, 4> kPresets{100, 80, 65, 40};
constexpr int kDefaultPreset = 2;
} // namespace

FrmJpg::FrmJpg(QWidget* mainWindow, const Picture& canvas, const QString& mySystemFolder)
    : QDialog(mainWindow), mainWindow_(mainWindow), canvas_(canvas),
      mySystemFolder_(mySystemFolder) {
    setObjectName(QStringLiteral("frmJpg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();

    lblP_->setNum(hs_->value());
    makepreview();
}

void FrmJpg::buildControls() {
    auto* label3 = new QLabel(tr("JPG保存設定"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    QFont heading = label3->font();
    heading.setBold(true);
    label3->setFont(heading);

    auto* label4 = new QLabel(tr("プレビュー"), this);
    label4->setObjectName(QStringLiteral("Label4"));
    pctPreview_ = new QLabel(this);
    pctPreview_->setObjectName(QStringLiteral("pctPreview"));
    pctPreview_->setFrameShape(QFrame::Box);
    pctPreview_->setLineWidth(1);
    pctPreview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pctPreview_->setFixedSize(kCanvasWidth + 2, kCanvasHeight + 2);

    optQ_ = new QButtonGroup(this);
    auto* presets = new QHBoxLayout;
    const std::array<QString, 4> captions{tr("最高画質"), tr("高画質"), tr("普通"), tr("低画質")};
    for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
        auto* option = new QRadioButton(captions[static_cast<std::size_t>(i)], this);
        option->setObjectName(QStringLiteral("optQ(%1)").arg(i));
        option->setChecked(i == kDefaultPreset);
        optQ_->addButton(option, i);
        presets->addWidget(option);
    }
    presets->addStretch();

    auto* label1 = new QLabel(tr("品質"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    hs_ = new QScrollBar(Qt::Horizontal, this);
    hs_->setObjectName(QStringLiteral("HS"));
    hs_->setRange(1, 100);
    hs_->setSingleStep(1);
    hs_->setPageStep(10);
    hs_->setValue(kPresets[kDefaultPreset]);
    // One preview per settled value rather than one per pixel of a drag; the
    // number follows the thumb all the same.
    hs_->setTracking(false);
    hs_->setMinimumWidth(240);
    lblP_ = new QLabel(this);
    lblP_->setObjectName(QStringLiteral("lblP"));
    lblP_->setMinimumWidth(lblP_->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    lblP_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* label2 = new QLabel(QStringLiteral("%"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto* quality = new QHBoxLayout;
    quality->addWidget(label1);
    quality->addWidget(hs_, 1);
    quality->addWidget(lblP_);
    quality->addWidget(label2);

    auto* frame1 = new QGroupBox(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    optP_ = new QCheckBox(tr("プログレッシブjpg"), frame1);
    optP_->setObjectName(QStringLiteral("optP"));
    auto* frameLayout = new QHBoxLayout(frame1);
    frameLayout->addWidget(optP_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmd(0)"));
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("cmd(1)"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(frame1);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    lblFNAME_ = new QLabel(this);
    lblFNAME_->setObjectName(QStringLiteral("lblFNAME"));
    lblFNAME_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label3);
    layout->addWidget(label4);
    layout->addWidget(pctPreview_);
    layout->addLayout(presets);
    layout->addLayout(quality);
    layout->addLayout(buttons);
    layout->addWidget(lblFNAME_);

    connect(hs_, &QScrollBar::sliderMoved, lblP_, qOverload<int>(&QLabel::setNum));
    connect(hs_, &QScrollBar::valueChanged, this, &FrmJpg::qualityChanged);
    connect(optQ_, &QButtonGroup::idClicked, this, &FrmJpg::presetClicked);
    connect(ok, &QPushButton::clicked, this, &FrmJpg::writeFile);
    connect(cancel, &QPushButton::clicked, this, &FrmJpg::reject);
}

void FrmJpg::setTargetPath(const QString& path) {
    lblFNAME_->setText(path);
}

void FrmJpg::qualityChanged(int value) {
    lblP_->setNum(value);
    makepreview();
}

void FrmJpg::presetClicked(int index) {
    const int preset = kPresets[static_cast<std::size_t>(index)];
    // A new value remakes the preview through the scroll bar; the same value
    // still gets a fresh one, so each click ends with exactly one preview.
    if (hs_->value() != preset)
        hs_->setValue(preset);
    else
        makepreview();
}

bool FrmJpg::encode(const QString& path, Durability durability) const {
    return DCSavetoJPEG(canvas_, canvas_.width(), canvas_.height(), toNative(path),
                        static_cast<std::uint8_t>(hs_->value()), optP_->isChecked(),
                        durability) == 0;
}

void FrmJpg::showError() {
    showMessage(this, QMessageBox::NoIcon, QStringLiteral("error"));
}

void FrmJpg::makepreview() {
    runUserAction(this, [this] { showPreview(); });
}

void FrmJpg::showPreview() {
    // The working folder may have been removed since start-up; without it no
    // preview could ever be written.
    QDir().mkpath(mySystemFolder_);
    const QString previewPath =
        QString::fromStdString(joinPath(mySystemFolder_.toStdString(), "tmp.jpg"));
    Picture preview;
    // The preview is rewritten at every slider step; it need not survive a crash.
    if (!encode(previewPath, Durability::Scratch) ||
        !loadPicture(previewPath, preview, PictureKind::Preview)) {
        showError();
        return;
    }
    pctPreview_->setPixmap(QPixmap::fromImage(toQImage(preview)));
}

void FrmJpg::writeFile() {
    // Left open when memory runs short, so that the user may try again.
    runUserAction(this, [this] {
        if (!encode(lblFNAME_->text(), Durability::Durable))
            showError();
        accept();
    });
}

void FrmJpg::done(int result) {
    // Every way out (OK, Cancel, Escape, the window's close button) ends here.
    if (mainWindow_) {
        mainWindow_->setEnabled(true);
        mainWindow_->activateWindow();
        mainWindow_->setFocus();
    }
    QDialog::done(result);
}

} // namespace tarn
