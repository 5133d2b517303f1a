// Terrain slots: choosing a part for a slot, clearing one slot or all five.
#include "app/window/terrain_area.h"
#include "app/common/native_path.h"

#include "app/common/picture_io.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "app/window/missing_part.h"
#include "document/scene_document.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace tarn {

namespace {

constexpr int kSlotColumnWidth = 86;
constexpr int kSlotColumnGap = 2;
constexpr int kButtonSide = 20;

const char* const kSlotCaptions[] = {QT_TRANSLATE_NOOP("tarn::FrmMain", "地面"),
                                     QT_TRANSLATE_NOOP("tarn::FrmMain", "奥の左側"),
                                     QT_TRANSLATE_NOOP("tarn::FrmMain", "奥の右側"),
                                     QT_TRANSLATE_NOOP("tarn::FrmMain", "手前の左側"),
                                     QT_TRANSLATE_NOOP("tarn::FrmMain", "手前の右側")};

} // namespace

TerrainArea::TerrainArea(FrmMain& window, SceneDocument& document, ActionRunner run, QWidget* area,
                         const QRect& place)
    : QObject(&window), window_(window), document_(document), run_(std::move(run)) {
    build(area, place);
}

ListBox* TerrainArea::list(int slot) const {
    return slot >= 1 && slot <= kSlotCount ? lists_[static_cast<std::size_t>(slot)] : nullptr;
}

QLabel* TerrainArea::use(int slot) const {
    return slot >= 1 && slot <= kSlotCount ? use_[static_cast<std::size_t>(slot)] : nullptr;
}

void TerrainArea::build(QWidget* area, const QRect& place) {
    const int slotTop = place.top();
    const int useTop = slotTop + kButtonSide + 2;
    const int listTop = useTop + 20;
    const int bottom = place.bottom() + 1;
    for (int i = 1; i <= kSlotCount; ++i) {
        const int left = place.left() + (i - 1) * (kSlotColumnWidth + kSlotColumnGap);
        const QString caption = tr(kSlotCaptions[i - 1]);

        auto* label = new QLabel(caption, area);
        label->setObjectName(QStringLiteral("lbl(%1)").arg(i));
        label->setGeometry(left, slotTop, kSlotColumnWidth - kButtonSide - 2, kButtonSide);

        auto* clear = new QPushButton(QStringLiteral("C"), area);
        clear->setObjectName(QStringLiteral("cmdClear(%1)").arg(i));
        clear->setToolTip(tr("クリア（%1）").arg(caption));
        clear->setGeometry(left + kSlotColumnWidth - kButtonSide, slotTop, kButtonSide,
                           kButtonSide);
        connect(clear, &QPushButton::clicked, this,
                [this, i] { run_([&] { document_.clearSlot(i); }); });

        auto* use = new QLabel(area);
        use->setObjectName(QStringLiteral("use(%1)").arg(i));
        use->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        use->setGeometry(left, useTop, kSlotColumnWidth, 18);
        use_[static_cast<std::size_t>(i)] = use;

        auto* list = new ListBox(QStringLiteral("lst(%1)").arg(i), area);
        list->setGeometry(left, listTop, kSlotColumnWidth, bottom - listTop);
        lists_[static_cast<std::size_t>(i)] = list;
        connect(list, &ListBox::chosen, this, [this, i](int row) { choose(i, row); });
    }

    auto* allClear = new QPushButton(QStringLiteral("AllC"), area);
    allClear->setObjectName(QStringLiteral("Command1"));
    allClear->setToolTip(tr("地形をオールクリアします。"));
    const int allLeft = place.left() + kSlotCount * (kSlotColumnWidth + kSlotColumnGap);
    allClear->setGeometry(allLeft, slotTop, place.right() + 1 - allLeft, kButtonSide);
    connect(allClear, &QPushButton::clicked, this, [this] { run_([&] { document_.clearAll(); }); });
}

void TerrainArea::choose(int slot, int row) {
    ListBox* box = list(slot);
    if (box == nullptr || box->item(row) == nullptr)
        return;
    const QString name = box->item(row)->text();
    const QString path = window_.partPath(slot, row);

    run_([&] {
        Picture part;
        // On failure the slot keeps the part it had.
        if (!loadPicture(path, part) ||
            !document_.choosePart(slot, toNative(name), toNative(path), part))
            window_.warnUnreadablePart(path);
    });
}

void TerrainArea::showSlots() {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const Slot& part = document_.scene().slot(slot);
        const QString name = shownPartName(part.name, part.missing());
        use(slot)->setText(name);
        use(slot)->setToolTip(part.missing() ? QString::fromStdString(part.path) : name);
    }
    selectSlotParts();
}

// Programmatic selections choose nothing: no edit follows.
void TerrainArea::selectSlotParts() {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const Slot& chosen = document_.scene().slot(slot);
        const QString path = QDir::cleanPath(fromNative(chosen.path));
        ListBox* box = list(slot);
        int row = -1;
        if (!chosen.name.empty())
            for (const QListWidgetItem* item :
                 box->findItems(QString::fromStdString(chosen.name), Qt::MatchExactly))
                if (QDir::cleanPath(window_.partPath(slot, box->row(item))) == path)
                    row = box->row(item);
        if (row == box->selectedRow())
            continue;
        if (row < 0) {
            box->setCurrentItem(nullptr);
            box->clearSelection();
        } else {
            box->setCurrentRow(row);
            box->scrollToItem(box->item(row));
        }
    }
}

} // namespace tarn
