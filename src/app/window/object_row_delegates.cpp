#include "app/window/object_row_delegates.h"

#include <QApplication>
#include <QPainter>

namespace tarn {

QString mirrorMarks(const ObjectRow& row) {
    return QString(row.mirroredLeftRight ? QStringLiteral("↔") : QString()) +
           (row.mirroredUpDown ? QStringLiteral("↕") : QString());
}

void NameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const QString marks = index.data(kMirrorMarksRole).toString();
    QStyleOptionViewItem name = option;
    const int width = marks.isEmpty() ? 0 : option.fontMetrics.horizontalAdvance(marks) + 2;
    name.rect.setRight(option.rect.right() - width);
    QStyledItemDelegate::paint(painter, name, index);
    if (width == 0)
        return;
    const QRect place(name.rect.right() + 1, option.rect.top(), width, option.rect.height());
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(place, option.palette.highlight());
    painter->save();
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(place, Qt::AlignCenter, marks);
    painter->restore();
}

// The style's own item painting lays the text out twice to place it; a
// position is a short number, drawn here once. A drag repaints a row of
// each column at every step.
void PositionDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : opt.state & QStyle::State_Active   ? QPalette::Normal
                                                                            : QPalette::Inactive;
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    painter->drawText(textRect, static_cast<int>(opt.displayAlignment),
                      opt.fontMetrics.elidedText(opt.text, opt.textElideMode, textRect.width()));
    painter->restore();
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor =
            opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

void PositionDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
    const QString text = editor->property("text").toString();
    // After the editor has closed, so that a message box cannot steal
    // its focus halfway through the commit.
    QMetaObject::invokeMethod(
        parent(), [handler = handler_, row = index.row(), text] { handler(row, text); },
        Qt::QueuedConnection);
}

} // namespace tarn
