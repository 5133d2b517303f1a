#include "app/dialogs/frm_boot.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace tarn {

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 210;

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                 int pointSize = 0, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    if (pointSize > 0 || bold) {
        QFont font = label->font();
        if (pointSize > 0)
            font.setPointSize(pointSize);
        font.setBold(bold);
        label->setFont(font);
    }
    return label;
}

} // namespace

FrmBoot::FrmBoot(Mode mode, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), mode_(mode) {
    setObjectName(QStringLiteral("frmBoot"));
    setWindowTitle(QStringLiteral("Tarn"));
    setFixedSize(kWidth, kHeight);
    setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    setAutoFillBackground(true);

    auto* shape1 = new QFrame(this);
    shape1->setObjectName(QStringLiteral("Shape1"));
    shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape1->setLineWidth(2);
    shape1->setGeometry(0, 0, kWidth, kHeight);

    addLabel(this, "Label3", QStringLiteral("Tarn"), QRect(24, 16, 312, 48), 26, true);
    addLabel(this, "Label1", tr("ダンジョン風景合成ツール"), QRect(26, 68, 312, 22), 11);
    addLabel(this, "Label2", tr("CardWirth シナリオ作者のために"), QRect(26, 92, 312, 20));

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line1->setGeometry(20, 120, kWidth - 40, 4);

    addLabel(this, "Label6", tr("石と闇を組み合わせて、あなたの迷宮を描く。"),
             QRect(26, 130, 312, 20));
    QLabel* label4 =
        addLabel(this, "Label4", QStringLiteral("Now Booting . . . ."), QRect(26, 172, 200, 22));
    QLabel* label5 =
        addLabel(this, "Label5", QStringLiteral("Ver. " TARN_VERSION), QRect(26, 172, 200, 22));

    auto* command1 = new QPushButton(QStringLiteral("OK"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setGeometry(kWidth - 100, kHeight - 42, 80, 26);
    connect(command1, &QPushButton::clicked, this, &FrmBoot::dismissed);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &FrmBoot::dismissed);

    const bool startup = mode_ == Mode::Startup;
    label4->setVisible(startup);
    label5->setVisible(!startup);
    command1->setVisible(!startup);
    if (startup)
        timer1_->start();
    else
        command1->setDefault(true);
}

void FrmBoot::keyPressEvent(QKeyEvent* event) {
    // A modifier held alone is not a key press yet.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        QWidget::keyPressEvent(event);
        return;
    default:
        event->accept();
        emit dismissed();
    }
}

} // namespace tarn
