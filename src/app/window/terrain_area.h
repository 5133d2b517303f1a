#pragma once

#include "app/window/action_runner.h"
#include "scene/scene.h"

#include <QCoreApplication>
#include <QObject>

#include <array>
#include <functional>

class QLabel;
class QRect;
class QWidget;

namespace tarn {

class FrmMain;
class ListBox;
class SceneDocument;

// The terrain area of the main window: for each of the five slots a caption,
// its clear button "C", the part it holds use(n) and its part list lst(n), and
// "AllC" clearing them all. Its controls are the window's children, placed on
// `area` as the window lays them out.
class TerrainArea : public QObject {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    // `place` is the area's first rectangle on `area`, below the canvas.
    TerrainArea(FrmMain& window, SceneDocument& document, ActionRunner run, QWidget* area,
                const QRect& place);

    // lst(1) .. lst(5); nullptr for any other.
    ListBox* list(int slot) const;
    QLabel* use(int slot) const;

    // A part chosen in a slot's list: read and put in the slot, or a warning.
    void choose(int slot, int row);
    // Each slot's part as the scene holds it, selected in its list.
    void showSlots();

  private:
    void build(QWidget* area, const QRect& place);
    // Selects each slot's part in its list, as a click on it would have.
    void selectSlotParts();

    FrmMain& window_;
    SceneDocument& document_;
    ActionRunner run_;
    std::array<ListBox*, kSlotCount + 1> lists_{};
    std::array<QLabel*, kSlotCount + 1> use_{};
};

} // namespace tarn
