#include "app/window/part_drop.h"
#include "app/common/messages.h"
#include "app/common/native_path.h"

#include "app/common/picture_io.h"
#include "app/window/frm_main.h"
#include "app/window/path_panel.h"
#include "scene/part_names.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>

namespace tarn {

namespace {

struct Dropped {
    QString path;
    int list = -1; // 0 an object, 1..5 a terrain slot, -1 a folder
    PartEntry entry;
};

// What a drop holds; false, with the refused names, when any of it is no part
// file or folder, so that a drop is used whole or not at all.
bool readDrop(const QMimeData* data, std::vector<Dropped>& out, QStringList& refused) {
    for (const QUrl& url : data->urls()) {
        const QFileInfo info(url.toLocalFile());
        if (!url.isLocalFile() || !info.exists()) {
            refused << url.toDisplayString();
            continue;
        }
        if (info.isDir()) {
            out.push_back({info.absoluteFilePath(), -1, {}});
            continue;
        }
        const std::string name = toNative(info.fileName());
        if (const int list = partListOf(name); list >= 0)
            out.push_back({info.absoluteFilePath(), list, partEntryOf(name)});
        else
            refused << info.fileName();
    }
    return refused.isEmpty() && !out.empty();
}

} // namespace

void dropParts(QDropEvent* event, FrmMain& window, SceneDocument& document, PathPanel& panel) {
    std::vector<Dropped> dropped;
    QStringList refused;
    if (!readDrop(event->mimeData(), dropped, refused)) {
        showMessage(&window, QMessageBox::Information,
                    QCoreApplication::translate(
                        "tarn::FrmMain",
                        "次のものは部品ファイルでもフォルダでもないため、使いませんでした。\n%1")
                        .arg(refused.join('\n')));
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    for (const Dropped& item : dropped) {
        if (item.list < 0) {
            if (!panel.changeFolder(item.path))
                panel.showPathNotFound();
            continue;
        }
        Picture part;
        if (!loadPicture(item.path, part)) {
            window.warnUnreadablePart(item.path);
            continue;
        }
        const QFileInfo info(item.path);
        if (item.list == 0)
            document.insertObject(item.entry.entry, toNative(info.absolutePath()),
                                  item.entry.fileName, std::move(part));
        else if (!document.choosePart(item.list, item.entry.entry, toNative(item.path), part))
            window.warnUnreadablePart(item.path);
    }
}

} // namespace tarn
