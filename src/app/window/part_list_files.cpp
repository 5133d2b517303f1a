#include "app/window/part_list_files.h"

#include "app/common/native_path.h"
#include "app/window/list_box.h"
#include "base/paths.h"
#include "scene/part_names.h"
#include "scene/scene.h"

#include <QSignalBlocker>

#include <string>
#include <vector>

namespace tarn {

PartListFiles::PartListFiles(std::function<ListBox*(int)> list, int fileNameRole)
    : list_(std::move(list)), fileNameRole_(fileNameRole) {}

void PartListFiles::fill(const QStringList& files) const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files)
        names.push_back(toNative(file));
    const PartLists lists = makelist(names);
    for (int i = 0; i <= kSlotCount; ++i) {
        const std::vector<PartEntry>& chosen = lists[static_cast<std::size_t>(i)];
        QStringList entries;
        entries.reserve(static_cast<qsizetype>(chosen.size()));
        for (const PartEntry& part : chosen)
            entries.append(fromNative(part.entry));
        ListBox* list = list_(i);
        list->clear();
        // One insertion for all rows: a row at a time costs the view a pass each.
        list->addItems(entries);
        // The file names change no row's look, so the views need not hear of them.
        const QSignalBlocker quiet(list->model());
        for (std::size_t r = 0; r < chosen.size(); ++r)
            list->item(static_cast<int>(r))->setData(fileNameRole_, fromNative(chosen[r].fileName));
    }
}

QString PartListFiles::path(const QString& folder, int list, int row) const {
    const ListBox* box = list >= 0 && list <= kSlotCount ? list_(list) : nullptr;
    const QListWidgetItem* item = box != nullptr ? box->item(row) : nullptr;
    if (item == nullptr)
        return {};
    return fromNative(joinPath(toNative(folder), toNative(item->data(fileNameRole_).toString())));
}

} // namespace tarn
