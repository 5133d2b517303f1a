#pragma once

#include "scene/scene.h"

#include <QStyledItemDelegate>

#include <functional>

namespace tarn {

// Drawn after a mirrored row's name, which keeps its own text.
constexpr int kMirrorMarksRole = Qt::UserRole + 1;

// The marks of a row's mirroring ("↔", "↕"), empty when not mirrored.
QString mirrorMarks(const ObjectRow& row);

// The name column: the name, then the row's mirror marks.
class NameDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// Hands a typed position to the window instead of writing it into the list:
// the row shows what the document holds, so a refused text leaves no trace.
class PositionDelegate : public QStyledItemDelegate {
  public:
    using Handler = std::function<void(int row, const QString& text)>;
    PositionDelegate(Handler handler, QObject* parent)
        : QStyledItemDelegate(parent), handler_(std::move(handler)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  private:
    Handler handler_;
};

} // namespace tarn
