// The path panel's wiring, the part lists filled from the folder it shows, and
// parts and folders dropped onto the window.
#include "app/window/frm_main.h"

#include "app/window/list_box.h"
#include "app/window/part_drop.h"
#include "app/window/path_panel.h"
#include "base/paths.h"
#include "scene/part_names.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalBlocker>

#include <string>
#include <vector>

namespace tarn {

QFrame* FrmMain::pathPanel() const {
    return pathPanel_;
}

QString FrmMain::currentFolder() const {
    return pathPanel_->currentFolder();
}

QString FrmMain::partPath(int list, int row) const {
    const ListBox* box = list >= 0 && list <= kSlotCount ? lst(list) : nullptr;
    const QListWidgetItem* item = box != nullptr ? box->item(row) : nullptr;
    if (item == nullptr)
        return {};
    return QString::fromStdString(joinPath(currentFolder().toStdString(),
                                           item->data(kFileNameRole).toString().toStdString()));
}

void FrmMain::setDriveProbe(std::function<bool(const QString&)> probe) {
    pathPanel_->setDriveProbe(std::move(probe));
}

bool FrmMain::changeFolder(const QString& folder) {
    return pathPanel_->changeFolder(folder);
}

void FrmMain::makelist(const QStringList& files) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files)
        names.push_back(file.toStdString());
    const PartLists lists = tarn::makelist(names);
    for (int i = 0; i <= kSlotCount; ++i) {
        const std::vector<PartEntry>& chosen = lists[static_cast<std::size_t>(i)];
        QStringList entries;
        entries.reserve(static_cast<qsizetype>(chosen.size()));
        for (const PartEntry& part : chosen)
            entries.append(QString::fromStdString(part.entry));
        ListBox* list = lst(i);
        list->clear();
        // One insertion for all rows: a row at a time costs the view a pass each.
        list->addItems(entries);
        // The file names change no row's look, so the views need not hear of them.
        const QSignalBlocker quiet(list->model());
        for (std::size_t r = 0; r < chosen.size(); ++r)
            list->item(static_cast<int>(r))
                ->setData(kFileNameRole, QString::fromStdString(chosen[r].fileName));
    }
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent* event) {
    act([&] { dropParts(event, *this, document_, *pathPanel_); });
}

void FrmMain::onTogglePath() {
    pathPanel_->toggle();
}

void FrmMain::hidePathPanel() {
    pathPanel_->closePanel();
}

} // namespace tarn
