#include "app/window/drawn_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace tarn {

QIcon drawnIcon(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Insert:
        p.setPen(QPen(QColor(30, 130, 40), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case Glyph::Delete:
        p.setPen(QPen(QColor(190, 30, 30), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case Glyph::MirrorLeftRight:
    case Glyph::MirrorUpDown: {
        if (glyph == Glyph::MirrorUpDown) {
            p.translate(8, 8);
            p.rotate(90);
            p.translate(-8, -8);
        }
        p.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
        p.drawLine(QPointF(8, 1), QPointF(8, 15));
        p.setPen(Qt::NoPen);
        QPainterPath left;
        left.moveTo(1, 8);
        left.lineTo(6.5, 3);
        left.lineTo(6.5, 13);
        left.closeSubpath();
        QPainterPath right;
        right.moveTo(15, 8);
        right.lineTo(9.5, 3);
        right.lineTo(9.5, 13);
        right.closeSubpath();
        p.fillPath(left, QColor(40, 80, 170));
        p.fillPath(right, QColor(140, 170, 220));
        break;
    }
    }
    return QIcon(pixmap);
}

QToolButton* makeIconButton(QWidget* parent, const QString& name, Glyph glyph, const QString& tip,
                            const QRect& place) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(drawnIcon(glyph));
    button->setToolTip(tip);
    button->setGeometry(place);
    return button;
}

} // namespace tarn
