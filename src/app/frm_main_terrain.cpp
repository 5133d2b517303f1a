// Terrain slots: choosing a part for a slot, clearing one slot or all five.
#include "app/frm_main.h"

#include "app/list_box.h"
#include "app/picture_io.h"
#include "scene/terrain_edit.h"

#include <QLabel>
#include <QMessageBox>

namespace tarn {

void FrmMain::onPartChosen(int slot, int row) {
    ListBox* list = lst(slot);
    QLabel* label = use(slot);
    if (list == nullptr || label == nullptr || list->item(row) == nullptr)
        return;
    const QString name = list->item(row)->text();
    const QString path = partPath(slot, row);

    Picture part;
    const bool loaded = loadPicture(path, part);
    if (!loaded ||
        !chooseTerrainPart(scene_, slot, name.toStdString(), path.toStdString(), part, work_)) {
        // The slot keeps the part it had.
        warnUnreadablePart(path);
    } else {
        showCanvas();
    }
    label->setText(QString::fromStdString(scene_.slot(slot).name));
}

void FrmMain::warnUnreadablePart(const QString& path) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"),
                    QStringLiteral("「%1」を読み込めませんでした。\n"
                                   "ファイルが削除されたか、読み込めない画像です。")
                        .arg(path),
                    QMessageBox::Ok, this);
    box.exec();
}

void FrmMain::onClearSlot(int slot) {
    if (!clearSlot(scene_, slot))
        return;
    use(slot)->clear();
    showCanvas();
}

void FrmMain::onClearAll() {
    clearAll(scene_);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        use(slot)->clear();
    showCanvas();
}

} // namespace tarn
