// The object area: preview, insert, delete, the front-pass flag, mirroring,
// moving objects on the canvas and exchanging rows by dragging in lst(6).
#include "app/frm_main.h"

#include "app/list_box.h"
#include "app/picture_io.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollBar>

namespace tarn {

namespace {

constexpr int kNameList = 6;
constexpr int kFirstObjectList = 6;
constexpr int kLastObjectList = 10;

QString textOf(const ObjectRow& row, int list) {
    switch (list) {
    case 6:
        return QString::fromStdString(row.name);
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
    if (QListWidgetItem* item = list->item(row); item != nullptr && item->text() != text) {
        item->setText(text);
        // The columns are narrow; the whole text shows on hover.
        item->setToolTip(text);
    }
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

// Brings lst(6) .. lst(10) to the rows of the scene. Items are changed in
// place, so the selections of rows that still exist stay where they are.
void FrmMain::showObjectRows() {
    const std::vector<ObjectRow>& rows = document_.scene().objects;
    const int n = static_cast<int>(rows.size());
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
        while (list->count() < n)
            list->addItem(QString());
        for (int r = 0; r < n; ++r)
            setRowText(list, r, textOf(rows[static_cast<std::size_t>(r)], i));
    }
}

void FrmMain::onObjectPreview(int row) {
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
    document_.deleteObject(lst(kNameList)->selectedRow());
}

void FrmMain::onFlagChosen(int row) {
    document_.toggleLayer(row);
}

void FrmMain::onMirror(int direction) {
    document_.mirrorObject(lst(kNameList)->selectedRow(), direction + 1);
}

void FrmMain::onCanvasMouseMove(QPoint position, Qt::MouseButtons buttons) {
    hidePathPanel();
    if (buttons != Qt::LeftButton)
        return;
    document_.moveObject(lst(kNameList)->selectedRow(), position.x(), position.y());
}

// A press or release over the canvas begins or ends a gesture: the moves
// between them are one step to undo.
void FrmMain::onCanvasMousePress(QPoint, Qt::MouseButton, Qt::MouseButtons) {
    document_.endGesture();
}

void FrmMain::onCanvasMouseRelease(QPoint, Qt::MouseButton, Qt::MouseButtons) {
    document_.endGesture();
}

void FrmMain::onListMousePress(int index, Qt::MouseButton button, Qt::MouseButtons) {
    // The list has already selected the row under the pointer.
    if (index == kNameList && button == Qt::LeftButton)
        document_.recordDragOrigin(lst(kNameList)->selectedRow());
}

void FrmMain::onListMouseRelease(int index, Qt::MouseButton button, Qt::MouseButtons) {
    if (index == kNameList && button == Qt::LeftButton)
        document_.finishDragExchange(lst(kNameList)->selectedRow());
    // A release over any list brings its choice to the canvas.
    else if (index >= 0 && index < kListCount)
        document_.recompose();
}

} // namespace tarn
