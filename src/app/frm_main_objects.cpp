// The object area: preview, insert, delete, the front-pass flag, mirroring,
// moving objects on the canvas and exchanging rows by dragging in lst(6).
#include "app/frm_main.h"

#include "app/list_box.h"
#include "app/picture_io.h"
#include "objects/object_list.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollBar>

#include <optional>

namespace tarn {

// Working state of the object area, kept for the life of the window: the rows'
// operations with their drag origin and exchange files.
struct ObjectArea {
    std::optional<ObjectList> list;
    bool columnsLinked = false;
};

ObjectArea* newObjectArea() {
    return new ObjectArea;
}

void ObjectAreaDeleter::operator()(ObjectArea* area) const {
    delete area;
}

namespace {

constexpr int kNameList = 6;
constexpr int kFirstObjectList = 6;
constexpr int kLastObjectList = 10;

QString textOf(const ObjectRow& row, int list) {
    const std::string* texts[] = {&row.name, &row.x, &row.y, &row.flag, &row.path};
    return QString::fromStdString(*texts[list - kFirstObjectList]);
}

void setRowText(ListBox* list, int row, const QString& text) {
    if (QListWidgetItem* item = list->item(row); item != nullptr && item->text() != text) {
        item->setText(text);
        // The columns are narrow; the whole text shows on hover.
        item->setToolTip(text);
    }
}

// Created on first use: the window's scene and program folder are fixed by then.
ObjectList& objectListOf(ObjectArea& area, FrmMain& window) {
    if (!area.list)
        area.list.emplace(window.scene(), window.context().programFolder.toStdString());
    return *area.list;
}

// The four visible columns scroll together so that their rows stay lined up.
void linkObjectColumns(ObjectArea& area, const FrmMain& window) {
    if (area.columnsLinked)
        return;
    area.columnsLinked = true;
    for (int a = kFirstObjectList; a < kLastObjectList; ++a)
        for (int b = kFirstObjectList; b < kLastObjectList; ++b)
            if (a != b)
                QObject::connect(window.lst(a)->verticalScrollBar(), &QScrollBar::valueChanged,
                                 window.lst(b)->verticalScrollBar(), &QScrollBar::setValue);
}

// Brings lst(6) .. lst(10) to the rows of the scene. Items are changed in
// place, so the selections of rows that still exist stay where they are.
void showObjectRows(ObjectArea& area, const FrmMain& window) {
    const std::vector<ObjectRow>& rows = window.scene().objects;
    const int n = static_cast<int>(rows.size());
    for (int i = kFirstObjectList; i <= kLastObjectList; ++i) {
        ListBox* list = window.lst(i);
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
    linkObjectColumns(area, window);
}

} // namespace

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
    ObjectList& list = objectListOf(*objects_, *this);
    if (row >= 0 && list.count() < kMaxObjects) {
        const QString path = partPath(0, row);
        Picture part;
        // Read before the row is added, so a part that cannot be read adds nothing.
        if (!loadPicture(path, part)) {
            warnUnreadablePart(path);
        } else {
            const QListWidgetItem* item = parts->item(row);
            list.insert(item->text().toStdString(), currentFolder().toStdString(),
                        item->data(kFileNameRole).toString().toStdString(), std::move(part));
            showObjectRows(*objects_, *this);
        }
    }
    recompose();
}

void FrmMain::onDelete() {
    const int current = lst(kNameList)->selectedRow();
    if (current >= 0) {
        objectListOf(*objects_, *this).remove(current);
        showObjectRows(*objects_, *this);
    }
    recompose();
}

void FrmMain::onFlagChosen(int row) {
    // Shown on the canvas by the recompose of the mouse release over the list.
    if (objectListOf(*objects_, *this).toggleFlag(row))
        setRowText(lst(9), row,
                   QString::fromStdString(scene_.objects[static_cast<std::size_t>(row)].flag));
}

void FrmMain::onMirror(int direction) {
    const int current = lst(kNameList)->selectedRow();
    if (!objectListOf(*objects_, *this).mirror(current, direction + 1))
        return;
    recompose();
}

void FrmMain::onCanvasMouseMove(QPoint position, Qt::MouseButtons buttons) {
    hidePathPanel();
    if (buttons != Qt::LeftButton)
        return;
    const int current = lst(kNameList)->selectedRow();
    if (objectListOf(*objects_, *this).move(current, position.x(), position.y())) {
        const ObjectRow& row = scene_.objects[static_cast<std::size_t>(current)];
        setRowText(lst(7), current, QString::fromStdString(row.x));
        setRowText(lst(8), current, QString::fromStdString(row.y));
    }
    recompose();
}

// A press or release over the canvas does nothing: objects move with the moves.
void FrmMain::onCanvasMousePress(QPoint, Qt::MouseButton, Qt::MouseButtons) {}

void FrmMain::onCanvasMouseRelease(QPoint, Qt::MouseButton, Qt::MouseButtons) {}

void FrmMain::onListMousePress(int index, Qt::MouseButton button, Qt::MouseButtons) {
    // The list has already selected the row under the pointer.
    if (index == kNameList && button == Qt::LeftButton)
        objectListOf(*objects_, *this).recordDragOrigin(lst(kNameList)->selectedRow());
}

void FrmMain::onListMouseRelease(int index, Qt::MouseButton button, Qt::MouseButtons) {
    if (index == kNameList && button == Qt::LeftButton &&
        objectListOf(*objects_, *this).finishDragExchange(lst(kNameList)->selectedRow()))
        showObjectRows(*objects_, *this);
    // A release over any list brings its choice to the canvas.
    if (index >= 0 && index < kListCount)
        recompose();
}

} // namespace tarn
