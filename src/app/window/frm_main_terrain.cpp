// Terrain slots: choosing a part for a slot, clearing one slot or all five.
#include "app/window/frm_main.h"

#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/picture_io.h"
#include "app/window/list_box.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>

namespace tarn {

void FrmMain::onPartChosen(int slot, int row) {
    ListBox* list = lst(slot);
    if (list == nullptr || use(slot) == nullptr || list->item(row) == nullptr)
        return;
    const QString name = list->item(row)->text();
    const QString path = partPath(slot, row);

    act([&] {
        Picture part;
        // On failure the slot keeps the part it had.
        if (!loadPicture(path, part) ||
            !document_.choosePart(slot, name.toStdString(), path.toStdString(), part))
            warnUnreadablePart(path);
    });
}

// Programmatic selections choose nothing: no edit follows.
void FrmMain::selectSlotParts() {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const Slot& chosen = document_.scene().slot(slot);
        const QString path = QDir::cleanPath(fromNative(chosen.path));
        ListBox* list = lst(slot);
        int row = -1;
        if (!chosen.name.empty())
            for (const QListWidgetItem* item :
                 list->findItems(QString::fromStdString(chosen.name), Qt::MatchExactly))
                if (QDir::cleanPath(partPath(slot, list->row(item))) == path)
                    row = list->row(item);
        if (row == list->selectedRow())
            continue;
        if (row < 0) {
            list->setCurrentItem(nullptr);
            list->clearSelection();
        } else {
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
        }
    }
}

void FrmMain::warnUnreadablePart(const QString& path) {
    showMessage(this, QMessageBox::Warning,
                tr("「%1」を読み込めませんでした。\n"
                   "ファイルが削除されたか、読み込めない画像です。")
                    .arg(path));
}

void FrmMain::onClearSlot(int slot) {
    act([&] { document_.clearSlot(slot); });
}

void FrmMain::onClearAll() {
    act([&] { document_.clearAll(); });
}

} // namespace tarn
