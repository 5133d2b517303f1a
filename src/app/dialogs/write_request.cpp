#include "app/dialogs/write_request.h"

#include "app/common/native_path.h"

namespace tarn {

QString scenarioFolder(const QString& text) {
    QString folder = text;
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

ExportRequest writeRequest(const WriteChoices& choices) {
    ExportRequest request;
    request.folder = toNative(scenarioFolder(choices.folder));
    request.mode = choices.newFile ? AreaMode::NewFile : AreaMode::ExistingFile;
    request.numberText = choices.number.toStdString();
    request.selectedFile = choices.selectedFile;
    request.background = choices.defaultBackground ? Background::Default : Background::Black;
    return request;
}

} // namespace tarn
