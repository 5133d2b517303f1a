// The object area: preview, insert, delete, the front-pass flag, mirroring,
// moving objects on the canvas and exchanging rows by dragging in lst(6).
#include "app/window/object_area.h"
#include "app/common/messages.h"

#include "app/common/native_path.h"
#include "app/common/picture_io.h"
#include "app/window/drawn_icons.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "app/window/missing_part.h"
#include "app/window/object_row_delegates.h"

#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollBar>
#include <QToolButton>

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

ObjectArea::ObjectArea(FrmMain& window, SceneDocument& document, ActionRunner run, QWidget* area,
                       const QRect& place)
    : QObject(&window), window_(window), document_(document), run_(std::move(run)) {
    build(area, place);
    linkColumns();
    makePositionsEditable();
}

ListBox* ObjectArea::list(int index) const {
    return index >= 0 && index < static_cast<int>(lists_.size())
               ? lists_[static_cast<std::size_t>(index)]
               : nullptr;
}

void ObjectArea::build(QWidget* area, const QRect& place) {
    const int objectLeft = place.left();
    const int top = place.top();
    const int objectWidth = place.width();
    const int bottom = place.bottom() + 1;

    auto* caption = new QLabel(tr("オブジェクト(最大10)"), area);
    caption->setObjectName(QStringLiteral("lbl(0)"));
    caption->setGeometry(objectLeft, top, objectWidth, 18);

    auto* parts = new ListBox(QStringLiteral("lst(0)"), area);
    parts->setGeometry(objectLeft, top + 18, objectWidth, 112);
    lists_[0] = parts;
    connect(parts, &ListBox::chosen, this, [this](int row) { preview(row); });

    // Preview box with the four object buttons beside it, two by two.
    const int previewTop = top + 134;
    const int buttonSide = 22;
    const int buttonsLeft = objectLeft + objectWidth - 2 * buttonSide - 2;
    pctOb_ = new QLabel(area);
    pctOb_->setObjectName(QStringLiteral("pctOb"));
    pctOb_->setFrameStyle(QFrame::Box | QFrame::Plain);
    pctOb_->setAlignment(Qt::AlignCenter);
    pctOb_->setGeometry(objectLeft, previewTop, buttonsLeft - objectLeft - 3, 2 * buttonSide + 20);
    pctOb_->setMouseTracking(true);
    pctOb_->installEventFilter(&window_);

    QToolButton* insert =
        makeIconButton(area, QStringLiteral("cmd_ob(0)"), Glyph::Insert, tr("挿入"),
                       QRect(buttonsLeft, previewTop, buttonSide, buttonSide));
    QToolButton* remove =
        makeIconButton(area, QStringLiteral("cmd_ob(1)"), Glyph::Delete, tr("削除"),
                       QRect(buttonsLeft + buttonSide + 2, previewTop, buttonSide, buttonSide));
    QToolButton* mirrorLeftRight = makeIconButton(
        area, QStringLiteral("cmdChange(0)"), Glyph::MirrorLeftRight, tr("オブジェクトの左右反転"),
        QRect(buttonsLeft, previewTop + buttonSide + 2, buttonSide, buttonSide));
    QToolButton* mirrorUpDown = makeIconButton(
        area, QStringLiteral("cmdChange(1)"), Glyph::MirrorUpDown, tr("オブジェクトの上下反転"),
        QRect(buttonsLeft + buttonSide + 2, previewTop + buttonSide + 2, buttonSide, buttonSide));
    connect(insert, &QToolButton::clicked, this, [this] { run_([this] { insertChosenPart(); }); });
    connect(remove, &QToolButton::clicked, this, [this] { this->remove(); });
    connect(mirrorLeftRight, &QToolButton::clicked, this, [this] { mirror(0); });
    connect(mirrorUpDown, &QToolButton::clicked, this, [this] { mirror(1); });

    // The object rows: name, X, Y and flag side by side, row by row.
    const int headTop = previewTop + 2 * buttonSide + 24;
    const int columnsTop = headTop + 16;
    // A smaller type lets a position such as "-120" fit its narrow column.
    const int widths[] = {objectWidth - 31 - 31 - 22, 31, 31, 22};
    QFont small = area->font();
    small.setPointSize(8);
    const QString heads[] = {tr("名前"), tr("X"), tr("Y"), tr("F/T")};
    int left = objectLeft;
    for (int c = 0; c < 4; ++c) {
        auto* head = new QLabel(heads[c], area);
        head->setObjectName(QStringLiteral("lblColumn(%1)").arg(c));
        head->setAlignment(Qt::AlignCenter);
        head->setGeometry(left, headTop, widths[c], 16);

        auto* column = new ListBox(QStringLiteral("lst(%1)").arg(6 + c), area);
        column->setGeometry(left, columnsTop, widths[c], bottom - columnsTop);
        column->setFont(small);
        column->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        column->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        lists_[static_cast<std::size_t>(6 + c)] = column;
        left += widths[c];
    }
    // The source paths are kept in a list the user never sees.
    auto* sources = new ListBox(QStringLiteral("lst(10)"), area);
    sources->hide();
    lists_[10] = sources;
    lists_[9]->setKeysChoose(false);
    connect(lists_[9], &ListBox::chosen, this, [this](int row) { toggleFlag(row); });
}

// The four visible columns scroll together so that their rows stay lined up.
void ObjectArea::linkColumns() {
    for (int a = kFirstObjectList; a < kLastObjectList; ++a)
        for (int b = kFirstObjectList; b < kLastObjectList; ++b)
            if (a != b)
                connect(list(a)->verticalScrollBar(), &QScrollBar::valueChanged,
                        list(b)->verticalScrollBar(), &QScrollBar::setValue);
}

void ObjectArea::makePositionsEditable() {
    // The name column draws the marks of mirrored rows after the name.
    list(kNameList)->setItemDelegate(new NameDelegate(this));
    for (int column : {kXList, kYList}) {
        list(column)->setEditTriggers(QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed);
        list(column)->setItemDelegate(new PositionDelegate(
            [this, column](int row, const QString& text) { positionTyped(column, row, text); },
            this));
    }
}

// Brings lst(6) .. lst(10) to the rows of the scene. Items are changed in
// place, so the selections of rows that still exist stay where they are.
void ObjectArea::showRows(int row) {
    const std::vector<ObjectRow>& rows = document_.scene().objects;
    const int n = static_cast<int>(rows.size());
    // A drag changes one row many times a second; the others need no look.
    const bool oneRow = row >= 0 && row < n && list(kLastObjectList)->count() == n;
    for (int i = kFirstObjectList; i <= kLastObjectList; ++i) {
        ListBox* box = list(i);
        // A list moves its selection to a neighbour when the selected row goes;
        // here the row is gone, so nothing is selected.
        const bool selectionGoes = box->count() > n && box->selectedRow() >= n;
        while (box->count() > n)
            delete box->takeItem(box->count() - 1);
        if (selectionGoes) {
            box->setCurrentItem(nullptr);
            box->clearSelection();
        }
        while (box->count() < n) {
            auto* item = new QListWidgetItem(box);
            if (i == kXList || i == kYList)
                item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        for (int r = oneRow ? row : 0; r < (oneRow ? row + 1 : n); ++r) {
            const ObjectRow& shown = rows[static_cast<std::size_t>(r)];
            setRowText(box, r, textOf(shown, i));
            if (i != kNameList)
                continue;
            // A missing part's recorded path; else none, and hovering shows the name.
            const QString tip = shown.missing() ? QString::fromStdString(shown.path) : QString();
            if (box->item(r)->toolTip() != tip)
                box->item(r)->setToolTip(tip);
            box->item(r)->setData(kMirrorMarksRole, mirrorMarks(shown));
        }
    }
}

void ObjectArea::preview(int row) {
    run_([&] { showPreview(row); });
}

void ObjectArea::showPreview(int row) {
    Picture part;
    if (!loadPicture(window_.partPath(0, row), part)) {
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

void ObjectArea::insertChosenPart() {
    ListBox* parts = list(0);
    const int row = parts->selectedRow();
    if (row < 0 || document_.scene().objects.size() >= kMaxObjects) {
        document_.recompose();
        return;
    }
    const QString path = window_.partPath(0, row);
    Picture part;
    // Read before the row is added, so a part that cannot be read adds nothing.
    if (!loadPicture(path, part)) {
        window_.warnUnreadablePart(path);
        document_.recompose();
        return;
    }
    const QListWidgetItem* item = parts->item(row);
    document_.insertObject(toNative(item->text()), toNative(window_.currentFolder()),
                           toNative(item->data(FrmMain::kFileNameRole).toString()),
                           std::move(part));
}

void ObjectArea::remove() {
    run_([this] { document_.deleteObject(list(kNameList)->selectedRow()); });
}

void ObjectArea::toggleFlag(int row) {
    run_([&] { document_.toggleLayer(row); });
}

void ObjectArea::mirror(int direction) {
    run_([&] { document_.mirrorObject(list(kNameList)->selectedRow(), direction + 1); });
}

void ObjectArea::canvasMouseMove(QPoint position, Qt::MouseButtons buttons) {
    window_.hidePathPanel();
    if (buttons != Qt::LeftButton)
        return;
    run_([&] { document_.dragObject(list(kNameList)->selectedRow(), position.x(), position.y()); });
}

void ObjectArea::canvasMousePress() {
    document_.beginDrag();
}

void ObjectArea::canvasMouseRelease() {
    document_.endDrag();
}

void ObjectArea::listMousePress(int index, Qt::MouseButton button) {
    // The list has already selected the row under the pointer.
    if (index == kNameList && button == Qt::LeftButton)
        run_([this] { document_.recordDragOrigin(list(kNameList)->selectedRow()); });
}

void ObjectArea::listMouseRelease(int index, Qt::MouseButton button) {
    run_([&] {
        if (index == kNameList && button == Qt::LeftButton)
            document_.finishDragExchange(list(kNameList)->selectedRow());
        // A release over any list brings its choice to the canvas.
        else if (index >= 0 && index < FrmMain::kListCount)
            document_.recompose();
    });
}

void ObjectArea::nudge(int dx, int dy) {
    const int row = list(kNameList)->selectedRow();
    if (row < 0 || row >= static_cast<int>(document_.scene().objects.size()))
        return;
    const ObjectRow& object = document_.scene().objects[static_cast<std::size_t>(row)];
    const int x = clampedPosition(std::int64_t{object.x} + dx);
    const int y = clampedPosition(std::int64_t{object.y} + dy);
    run_([&] { document_.moveObject(row, x, y); });
}

void ObjectArea::positionTyped(int list, int row, const QString& text) {
    run_([&] { movePositionTyped(list, row, text); });
}

void ObjectArea::movePositionTyped(int list, int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(document_.scene().objects.size()))
        return;
    std::int64_t value = 0;
    const NumberReading reading = readWholeNumber(text.toStdString(), value);
    if (reading != NumberReading::Whole || value != clampedPosition(value)) {
        showMessage(&window_, QMessageBox::Warning,
                    reading == NumberReading::Bad ? tr("「%1」は整数ではありません。").arg(text)
                                                  : tr("「%1」は大きすぎます。").arg(text));
        return;
    }
    const ObjectRow& object = document_.scene().objects[static_cast<std::size_t>(row)];
    const int v = static_cast<int>(value);
    document_.moveObject(row, list == kXList ? v : object.x, list == kXList ? object.y : v);
}

} // namespace tarn
