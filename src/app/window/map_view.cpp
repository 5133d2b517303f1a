#include "app/window/map_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tarn {

namespace {

constexpr int kMaxCell = 32;
constexpr int kMinCell = 2; // a map of the largest size still fits

const QColor kFloor(236, 232, 220);
const QColor kRock(90, 90, 90);
const QColor kWall(20, 20, 20);
const QColor kDoor(200, 110, 20);
const QColor kHere(250, 215, 80);
const QColor kPlayer(200, 30, 30);
const QColor kStart(120, 120, 200);

// A triangle pointing the facing's way inside a square's rectangle.
QPainterPath arrow(const QRectF& cell, Facing d) {
    const qreal m = cell.width() * 0.2;
    const QRectF r = cell.adjusted(m, m, -m, -m);
    QPainterPath path;
    path.moveTo(r.center().x(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QTransform turn;
    turn.translate(cell.center().x(), cell.center().y());
    turn.rotate(90.0 * int(d));
    turn.translate(-cell.center().x(), -cell.center().y());
    return turn.map(path);
}

} // namespace

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mapView"));
    setFocusPolicy(Qt::StrongFocus);
}

void MapView::setMap(const DungeonMap& map) {
    map_ = map;
    square_ = map.start;
    facing_ = map.startFacing;
    update();
    emit moved(square_, facing_);
}

int MapView::cellSide() const {
    if (!hasMap())
        return kMinCell;
    const int side = std::min((width() - 2) / map_.width(), (height() - 2) / map_.height());
    return std::clamp(side, kMinCell, kMaxCell);
}

QPoint MapView::origin() const {
    const int side = cellSide();
    return {std::max(1, (width() - side * map_.width()) / 2),
            std::max(1, (height() - side * map_.height()) / 2)};
}

QPoint MapView::centreOf(Square s) const {
    const int side = cellSide();
    return origin() + QPoint(s.x * side + side / 2, s.y * side + side / 2);
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!hasMap())
        return;
    const int side = cellSide();
    const QPoint o = origin();
    const auto cell = [&](Square s) {
        return QRectF(o.x() + s.x * side, o.y() + s.y * side, side, side);
    };
    for (int y = 0; y < map_.height(); ++y)
        for (int x = 0; x < map_.width(); ++x)
            p.fillRect(cell({x, y}), map_.isFloor({x, y}) ? kFloor : kRock);
    p.fillRect(cell(square_), kHere);

    // Each floor square draws its own closed sides; rock needs none.
    const qreal thick = std::max(2.0, side / 8.0);
    for (int y = 0; y < map_.height(); ++y)
        for (int x = 0; x < map_.width(); ++x) {
            if (!map_.isFloor({x, y}))
                continue;
            const QRectF r = cell({x, y});
            const QLineF sides[] = {{r.topLeft(), r.topRight()},
                                    {r.topRight(), r.bottomRight()},
                                    {r.bottomLeft(), r.bottomRight()},
                                    {r.topLeft(), r.bottomLeft()}};
            for (int d = 0; d < 4; ++d) {
                const Edge e = map_.edge({x, y}, Facing(d));
                if (e == Edge::Open)
                    continue;
                p.setPen(QPen(e == Edge::Door ? kDoor : kWall, thick, Qt::SolidLine, Qt::FlatCap));
                p.drawLine(sides[d]);
            }
        }

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (map_.start != square_)
        p.fillPath(arrow(cell(map_.start), map_.startFacing), kStart);
    p.fillPath(arrow(cell(square_), facing_), kPlayer);
}

void MapView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (!hasMap() || event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint() - origin();
    const int side = cellSide();
    if (at.x() < 0 || at.y() < 0)
        return;
    const Square s{at.x() / side, at.y() / side};
    if (map_.isFloor(s))
        moveTo(s, facing_);
}

void MapView::keyPressEvent(QKeyEvent* event) {
    // Some platforms mark the arrow keys as keypad keys.
    if (!hasMap() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        if (map_.edge(square_, facing_) != Edge::Wall)
            moveTo(DungeonMap::step(square_, facing_), facing_);
        break;
    case Qt::Key_Left:
        moveTo(square_, turnLeft(facing_));
        break;
    case Qt::Key_Right:
        moveTo(square_, turnRight(facing_));
        break;
    case Qt::Key_Down:
        moveTo(square_, turnAround(facing_));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MapView::moveTo(Square square, Facing facing) {
    square_ = square;
    facing_ = facing;
    update();
    emit moved(square_, facing_);
}

} // namespace tarn
