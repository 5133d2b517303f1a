// The object area: preview, insert, delete, the front-pass flag, mirroring,
// moving objects on the canvas and exchanging rows by dragging in lst(6).
#include "app/window/frm_main.h"

#include "app/common/picture_io.h"
#include "app/window/list_box.h"
#include "app/window/missing_part.h"
#include "app/window/object_row_delegates.h"

#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace tarn {

namespace {

constexpr int kNameList = 6;
constexpr int kXList = 7;
constexpr int kYList = 8;
constexpr int kFirstObjectList = 6;
constexpr int kLastObjectList = 10;

QString textOf(const ObjectRow& row, int list) {
    switch (list) {
    case 6:
        return shownPartName(row.name, row.missing());
    case 7:
        return QString::number(row.x);
    case 8:
        return QString::number(row.y);
    case 9:
        return QString::fromLatin1(layerText(row.layer));
    default:
        return QString::fromStdString(row.path);
    }
}

void setRowText(ListBox* list, int row, const QString& text) {
    if (QListWidgetItem* item = list->item(row); item != nullptr && item->text() != text)
        item->setText(text);
}

int clampedPosition(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

// The four visible columns scroll together so that their rows stay lined up.
void FrmMain::linkObjectColumns() {
    for (int a = kFirstObjectList; a < kLastObjectList; ++a)
        for (int b = kFirstObjectList; b < kLastObjectList; ++b)
            if (a != b)
                connect(lst(a)->verticalScrollBar(), &QScrollBar::valueChanged,
                        lst(b)->verticalScrollBar(), &QScrollBar::setValue);
}

void FrmMain::makePositionsEditable() {
    // The name column draws the marks of mirrored rows after the name.
    lst(kNameList)->setItemDelegate(new NameDelegate(this));
    for (int list : {kXList, kYList}) {
        lst(list)->setEditTriggers(QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed);
        lst(list)->setItemDelegate(new PositionDelegate(
            [this, list](int row, const QString& text) { onPositionTyped(list, row, text); },
            this));
    }
}

// Brings lst(6) .. lst(10) to the rows of the scene. Items are changed in
// place, so the selections of rows that still exist stay where they are.
void FrmMain::showObjectRows(int row) {
    const std::vector<ObjectRow>& rows = document_.scene().objects;
    const int n = static_cast<int>(rows.size());
    // A drag changes one row many times a second; the others need no look.
    const bool oneRow = row >= 0 && row < n && lst(kLastObjectList)->count() == n;
    for (int i = kFirstObjectList; i <= kLastObjectList; ++i) {
        ListBox* list = lst(i);
        // A list moves its selection to a neighbour when the selected row goes;
        // here the row is gone, so nothing is selected.
        const bool selectionGoes = list->selectedRow() >= n;
        while (list->count() > n)
            delete list->takeItem(list->count() - 1);
        if (selectionGoes) {
            list->setCurrentItem(nullptr);
            list->clearSelection();
        }
        while (list->count() < n) {
            auto* item = new QListWidgetItem(list);
            if (i == kXList || i == kYList)
                item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        for (int r = oneRow ? row : 0; r < (oneRow ? row + 1 : n); ++r) {
            const ObjectRow& shown = rows[static_cast<std::size_t>(r)];
            setRowText(list, r, textOf(shown, i));
            if (i != kNameList)
                continue;
            // A missing part's recorded path; else none, and hovering shows the name.
            const QString tip = shown.missing() ? QString::fromStdString(shown.path) : QString();
            if (list->item(r)->toolTip() != tip)
                list->item(r)->setToolTip(tip);
            list->item(r)->setData(kMirrorMarksRole, mirrorMarks(shown));
        }
    }
}

void FrmMain::onObjectPreview(int row) {
    act([&] { showPreview(row); });
}

void FrmMain::showPreview(int row) {
    Picture part;
    if (!loadPicture(partPath(0, row), part)) {
        pctOb_->clear();
        return;
    }
    // Fitted into the box without distortion, and never enlarged.
    QPixmap pixmap = QPixmap::fromImage(toQImage(part));
    const QSize box = pctOb_->contentsRect().size();
    if (pixmap.width() > box.width() || pixmap.height() > box.height())
        pixmap = pixmap.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pctOb_->setPixmap(pixmap);
}

void FrmMain::onInsert() {
    act([this] { insertChosenPart(); });
}

void FrmMain::insertChosenPart() {
    ListBox* parts = lst(0);
    const int row = parts->selectedRow();
    if (row < 0 || document_.scene().objects.size() >= kMaxObjects) {
        document_.recompose();
        return;
    }
    const QString path = partPath(0, row);
    Picture part;
    // Read before the row is added, so a part that cannot be read adds nothing.
    if (!loadPicture(path, part)) {
        warnUnreadablePart(path);
        document_.recompose();
        return;
    }
    const QListWidgetItem* item = parts->item(row);
    document_.insertObject(item->text().toStdString(), currentFolder().toStdString(),
                           item->data(kFileNameRole).toString().toStdString(), std::move(part));
}

void FrmMain::onDelete() {
    act([this] { document_.deleteObject(lst(kNameList)->selectedRow()); });
}

void FrmMain::onFlagChosen(int row) {
    act([&] { document_.toggleLayer(row); });
}

void FrmMain::onMirror(int direction) {
    act([&] { document_.mirrorObject(lst(kNameList)->selectedRow(), direction + 1); });
}

void FrmMain::onCanvasMouseMove(QPoint position, Qt::MouseButtons buttons) {
    hidePathPanel();
    if (buttons != Qt::LeftButton)
        return;
    act([&] { document_.dragObject(lst(kNameList)->selectedRow(), position.x(), position.y()); });
}

void FrmMain::onCanvasMousePress(QPoint, Qt::MouseButton, Qt::MouseButtons) {
    document_.beginDrag();
}

void FrmMain::onCanvasMouseRelease(QPoint, Qt::MouseButton, Qt::MouseButtons) {
    document_.endDrag();
}

void FrmMain::onListMousePress(int index, Qt::MouseButton button, Qt::MouseButtons) {
    // The list has already selected the row under the pointer.
    if (index == kNameList && button == Qt::LeftButton)
        act([this] { document_.recordDragOrigin(lst(kNameList)->selectedRow()); });
}

void FrmMain::onListMouseRelease(int index, Qt::MouseButton button, Qt::MouseButtons) {
    act([&] {
        if (index == kNameList && button == Qt::LeftButton)
            document_.finishDragExchange(lst(kNameList)->selectedRow());
        // A release over any list brings its choice to the canvas.
        else if (index >= 0 && index < kListCount)
            document_.recompose();
    });
}

void FrmMain::onCanvasNudge(int dx, int dy) {
    const int row = lst(kNameList)->selectedRow();
    if (row < 0 || row >= static_cast<int>(document_.scene().objects.size()))
        return;
    const ObjectRow& object = document_.scene().objects[static_cast<std::size_t>(row)];
    const int x = clampedPosition(std::int64_t{object.x} + dx);
    const int y = clampedPosition(std::int64_t{object.y} + dy);
    act([&] { document_.moveObject(row, x, y); });
}

void FrmMain::onPositionTyped(int list, int row, const QString& text) {
    act([&] { movePositionTyped(list, row, text); });
}

void FrmMain::movePositionTyped(int list, int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(document_.scene().objects.size()))
        return;
    std::int64_t value = 0;
    const NumberReading reading = readWholeNumber(text.toStdString(), value);
    if (reading != NumberReading::Whole || value != clampedPosition(value)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"),
                        reading == NumberReading::Bad ? tr("「%1」は整数ではありません。").arg(text)
                                                      : tr("「%1」は大きすぎます。").arg(text),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    const ObjectRow& object = document_.scene().objects[static_cast<std::size_t>(row)];
    const int v = static_cast<int>(value);
    document_.moveObject(row, list == kXList ? v : object.x, list == kXList ? object.y : v);
}

} // namespace tarn
