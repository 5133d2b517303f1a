#include "app/window/list_box.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

namespace tarn {

namespace {

class WholeTextTips : public QObject {
  public:
    explicit WholeTextTips(QAbstractItemView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject*, QEvent* event) override {
        // A list with an explanation of its own keeps showing that.
        if (event->type() != QEvent::ToolTip || !view_->toolTip().isEmpty())
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = view_->indexAt(help->pos());
        QString text = index.data(Qt::ToolTipRole).toString();
        if (text.isEmpty())
            text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, view_->viewport(),
                               view_->visualRect(index));
        return true;
    }

  private:
    QAbstractItemView* view_;
};

} // namespace

void showWholeTextOnHover(QAbstractItemView* view) {
    view->viewport()->installEventFilter(new WholeTextTips(view));
}

ListBox::ListBox(const QString& objectName, QWidget* parent) : QListWidget(parent) {
    setObjectName(objectName);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Moves without a button must arrive too: they close the path panel.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    showWholeTextOnHover(this);
}

int ListBox::selectedRow() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

void ListBox::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                          const QList<int>& roles) {
    // QListView lays out every row again, later, for any change, and repaints
    // the row only then: a second frame at each drag step in the X and Y
    // columns. With uniform row sizes a new text or tooltip moves no row, so
    // the row is repainted where it is, in the same frame as the canvas.
    const bool textOnly = !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [](int role) {
        return role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole;
    });
    if (uniformItemSizes() && topLeft == bottomRight && textOnly)
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    else
        QListWidget::dataChanged(topLeft, bottomRight, roles);
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Only the left button selects, as in a classic list box; the others are
    // reported and otherwise ignored.
    if (event->button() == Qt::LeftButton) {
        const int before = selectedRow();
        QListWidget::mousePressEvent(event);
        const int after = selectedRow();
        const QListWidgetItem* hit = itemAt(event->position().toPoint());
        if (after >= 0 && (after != before || (hit != nullptr && row(hit) == after)))
            emit chosen(after);
    }
    emit mousePressed(event->button(), event->buttons());
}

void ListBox::mouseMoveEvent(QMouseEvent* event) {
    // Without the left button the selection stays where it is.
    if (event->buttons() == Qt::LeftButton) {
        const int before = selectedRow();
        QListWidget::mouseMoveEvent(event);
        const int after = selectedRow();
        if (after >= 0 && after != before)
            emit chosen(after);
    }
    emit mouseMoved(event->buttons());
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        QListWidget::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->buttons());
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if (!keysChoose_) {
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
            if (const int row = selectedRow(); row >= 0)
                emit chosen(row);
            return;
        }
        QListWidget::keyPressEvent(event);
        return;
    }
    const int before = selectedRow();
    QListWidget::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before)
        emit chosen(after);
}

void ListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    // Tabbing in would otherwise mark the first row current without choosing
    // it, and the first arrow key would then skip it.
    if (selectedRow() < 0)
        selectionModel()->clearCurrentIndex();
}

} // namespace tarn
