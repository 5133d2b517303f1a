#pragma once

#include <QListWidget>

namespace tarn {

// Hovering over a row shows its whole text, which a narrow list cuts; rows
// with a tooltip of their own show that, and a list with one keeps showing
// its own. Costs the rows nothing until shown.
void showWholeTextOnHover(QAbstractItemView* view);

// A list box as the main window uses it: one selected row, chosen by the left
// button or the keys, and mouse signals sent after the list has handled the
// event, so a press handler already sees the row under the pointer selected.
class ListBox : public QListWidget {
    Q_OBJECT

  public:
    explicit ListBox(const QString& objectName, QWidget* parent = nullptr);

    // The selected row, or -1.
    int selectedRow() const;

    // Off: the movement keys only move the selection, and Space chooses the
    // selected row, so that walking through a list of toggles changes none.
    void setKeysChoose(bool on) { keysChoose_ = on; }

  signals:
    // The user chose a row: a new selection by mouse, drag or keys, or a click
    // on the row already selected. Changes made by the program do not count.
    void chosen(int row);
    void mousePressed(Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseReleased(Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseMoved(Qt::MouseButtons buttons);

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    bool keysChoose_ = true;
};

} // namespace tarn
