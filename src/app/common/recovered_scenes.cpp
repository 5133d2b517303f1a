#include "app/common/recovered_scenes.h"

#include "app/common/native_path.h"
#include "app/common/recent_scenes.h"
#include "base/file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <span>

namespace tarn {

namespace {
const char* const kPrefix = "recovered-";
} // namespace

std::vector<std::string> recoveryFolders(const AppContext& context) {
    std::vector<std::string> folders{toNative(context.workingFolder()),
                                     folderOf(context.ini().path())};
    if (folders[1] == folders[0])
        folders.pop_back();
    return folders;
}

std::string keepRecoveredScene(const SceneFileData& data, const std::vector<std::string>& folders) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (const std::string& folder : folders) {
        const std::string text = sceneFileText(data, folder);
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        for (int k = 1; k < 100; ++k) {
            const std::string path =
                joinPath(folder, kPrefix + std::string(stamp) +
                                     (k == 1 ? "" : "-" + std::to_string(k)) + kSceneFileExtension);
            const Status written = writeNewFileAtomically(path, bytes);
            if (written.ok())
                return path;
            if (written.error != EEXIST)
                break;
        }
    }
    return {};
}

QStringList adoptRecoveredScenes(const AppContext& context) {
    QStringList found;
    for (const std::string& folder : recoveryFolders(context)) {
        const QDir dir(fromNative(folder));
        for (const QString& name :
             dir.entryList({QString::fromLatin1(kPrefix) + QStringLiteral("*") +
                            QString::fromLatin1(kSceneFileExtension)},
                           QDir::Files))
            found << dir.absoluteFilePath(name);
    }
    const QStringList recent = recentScenes(context.ini());
    found.removeIf([&](const QString& path) { return recent.contains(path); });
    // The stamp in the name orders them, then the number a second one in the
    // same second got; the newest goes first in the list.
    const auto order = [](const QString& path) {
        const QString base = QFileInfo(path).completeBaseName().mid(int(std::strlen(kPrefix)));
        return std::pair(base.left(15), std::max(1, base.mid(16).toInt()));
    };
    std::sort(found.begin(), found.end(),
              [&](const QString& a, const QString& b) { return order(a) < order(b); });
    rememberScenes(context.ini(), found);
    std::reverse(found.begin(), found.end());
    return found;
}

} // namespace tarn
