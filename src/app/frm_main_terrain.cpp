// Terrain slots: choosing a part for a slot, clearing one slot or all five.
#include "app/frm_main.h"

#include "app/list_box.h"
#include "app/picture_io.h"

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

void FrmMain::warnUnreadablePart(const QString& path) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"),
                    tr("「%1」を読み込めませんでした。\n"
                       "ファイルが削除されたか、読み込めない画像です。")
                        .arg(path),
                    QMessageBox::Ok, this);
    box.exec();
}

void FrmMain::onClearSlot(int slot) {
    act([&] { document_.clearSlot(slot); });
}

void FrmMain::onClearAll() {
    act([&] { document_.clearAll(); });
}

} // namespace tarn
