#include "app/dialogs/area_file_list.h"

#include "app/common/native_path.h"
#include "export/export_procedure.h"

#include <QListWidget>

namespace tarn {

int fillAreaList(QListWidget& list, const QString& folder) {
    list.clear();
    for (const AreaFile& area : listAreaFiles(toNative(folder))) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2)").arg(fromNative(area.name)).arg(area.number), &list);
        item->setData(Qt::UserRole, QByteArray::fromStdString(area.name));
    }
    return list.count();
}

std::string selectedAreaFile(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty())
        return {};
    return selected.constFirst()->data(Qt::UserRole).toByteArray().toStdString();
}

} // namespace tarn
