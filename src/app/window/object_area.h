#pragma once

#include "app/window/action_runner.h"
#include <QCoreApplication>
#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class QLabel;
class QRect;
class QWidget;

namespace tarn {

class FrmMain;
class ListBox;
class SceneDocument;

// The object area of the main window: the part list lst(0) with its preview,
// insert, delete and the mirror buttons, and the object rows lst(6) .. lst(10)
// (name, X, Y, front-pass flag, hidden source path). It turns clicks, drags on
// the canvas, arrow keys and typed positions into edits of the document, and
// shows the rows the document holds. Its controls are the window's children,
// placed on `area` as the window lays them out.
class ObjectArea : public QObject {
    // Its words stay with the main window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmMain)

  public:
    // `place` is the area's first rectangle on `area`.
    ObjectArea(FrmMain& window, SceneDocument& document, ActionRunner run, QWidget* area,
               const QRect& place);

    // lst(0) and lst(6) .. lst(10); nullptr for the terrain lists.
    ListBox* list(int index) const;
    QLabel* previewBox() const { return pctOb_; }

    // All rows, or only `row` when no other changed.
    void showRows(int row = -1);

    void preview(int row);
    void insertChosenPart();
    void remove();
    void toggleFlag(int row);
    void mirror(int direction); // 0 left-right, 1 upside-down
    void canvasMouseMove(QPoint position, Qt::MouseButtons buttons);
    void canvasMousePress();
    void canvasMouseRelease();
    // Any list's press and release: a drag in lst(6) exchanges rows.
    void listMousePress(int index, Qt::MouseButton button);
    void listMouseRelease(int index, Qt::MouseButton button);
    // Moves the current object by a few pixels, one step to undo per call.
    void nudge(int dx, int dy);
    // A position typed into row `row` of lst(7) (X) or lst(8) (Y).
    void positionTyped(int list, int row, const QString& text);

  private:
    void build(QWidget* area, const QRect& place);
    // The four visible columns scroll together so that their rows stay lined up.
    void linkColumns();
    void makePositionsEditable();
    void showPreview(int row);
    void movePositionTyped(int list, int row, const QString& text);

    FrmMain& window_;
    SceneDocument& document_;
    ActionRunner run_;
    std::array<ListBox*, 11> lists_{};
    QLabel* pctOb_ = nullptr;
};

} // namespace tarn
