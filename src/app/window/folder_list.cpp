#include "app/window/folder_list.h"

#include "app/common/native_path.h"
#include "app/window/folder_listing.h"
#include "base/paths.h"

#include <QHeaderView>
#include <QStyle>

namespace tarn {

namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* makeItem(const QString& text, const QString& path, const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList(text));
    item->setData(0, kPathRole, path);
    item->setIcon(0, icon);
    item->setToolTip(0, path);
    return item;
}

QString childPath(const QString& parent, const QString& name) {
    return fromNative(joinPath(toNative(parent), toNative(name)));
}

} // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemActivated, this, &FolderList::enterItem);
}

bool FolderList::setPath(const QString& folder) {
    const QString clean = cleanFolderPath(folder);
    if (!canEnterFolder(clean))
        return false;
    const bool changed = clean != path_;
    path_ = clean;
    reread();
    if (changed)
        emit pathChanged(path_);
    return true;
}

void FolderList::reread() {
    clear();
    files_.clear();
    if (path_.isEmpty())
        return;
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* current = makeItem(QStringLiteral("/"), QStringLiteral("/"), openIcon);
    addTopLevelItem(current);
    QString walked = QStringLiteral("/");
    const QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        walked = childPath(walked, part);
        QTreeWidgetItem* next = makeItem(part, walked, openIcon);
        current->addChild(next);
        current = next;
    }
    FolderEntries entries = listFolder(path_);
    for (const QString& name : entries.subfolders)
        current->addChild(makeItem(name, childPath(path_, name), closedIcon));
    files_ = std::move(entries.files);
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

void FolderList::enterItem(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    // A folder removed since it was listed simply drops out of the list.
    if (!setPath(item->data(0, kPathRole).toString()))
        reread();
}

} // namespace tarn
