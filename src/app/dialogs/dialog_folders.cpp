#include "app/dialogs/dialog_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tarn {

namespace {

struct Key {
    const char* section;
    const char* key;
};

// The export keeps the key it always had.
Key keyOf(SavedFile kind) {
    switch (kind) {
    case SavedFile::Picture:
        return {"Folders", "Picture"};
    case SavedFile::Scene:
        return {"Folders", "Scene"};
    case SavedFile::Export:
        break;
    }
    return {"MemWData", "MofSLoc"};
}

} // namespace

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString dialogFolder(const AppContext& context, SavedFile kind) {
    const Key k = keyOf(kind);
    const QString remembered = QString::fromStdString(context.ini().getini(k.section, k.key, ""));
    // The export once offered the program folder until the user chose another.
    if (remembered.isEmpty() || !QFileInfo(remembered).isDir() ||
        (!context.keepsFilesBeside() && QDir(remembered) == QDir(context.programFolder)))
        return documentsFolder();
    return remembered;
}

void rememberDialogFolder(QWidget* parent, const AppContext& context, SavedFile kind,
                          const QString& folder) {
    const Key k = keyOf(kind);
    context.putSetting(parent, k.section, k.key, folder);
}

} // namespace tarn
