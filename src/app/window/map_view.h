#pragma once

#include "dungeon/dungeon_map.h"

#include <QWidget>

namespace tarn {

// A dungeon map drawn as a grid (walls, doors, rock, the start arrow) with the
// player's square and facing. A click on a floor square moves there; with the
// focus, the arrow keys walk as the player would: up steps forward through an
// open edge or a door, left and right turn, down turns around.
class MapView : public QWidget {
    Q_OBJECT

  public:
    explicit MapView(QWidget* parent = nullptr);

    // Shows a map (an empty one draws nothing) with the player on its start.
    void setMap(const DungeonMap& map);
    const DungeonMap& map() const { return map_; }
    Square square() const { return square_; }
    Facing facing() const { return facing_; }
    bool hasMap() const { return map_.width() > 0; }

    // The widget pixel at the centre of a square, for clicks.
    QPoint centreOf(Square s) const;

  signals:
    // After every move or turn.
    void moved(Square square, Facing facing);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void moveTo(Square square, Facing facing);
    int cellSide() const;
    QPoint origin() const;

    DungeonMap map_;
    Square square_;
    Facing facing_ = Facing::North;
};

} // namespace tarn
