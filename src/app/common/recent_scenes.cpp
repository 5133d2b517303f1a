#include "app/common/recent_scenes.h"

namespace tarn {

namespace {

const char* const kSection = "RecentScenes";

std::string key(int index) {
    return "File" + std::to_string(index + 1);
}

// The keys as they stand, gaps and repeats included.
QStringList storedKeys(const IniStore& ini) {
    QStringList values;
    for (int i = 0; i < kMaxRecentScenes; ++i)
        values << QString::fromStdString(ini.getini(kSection, key(i), ""));
    return values;
}

void store(const IniStore& ini, QStringList paths) {
    const QStringList stored = storedKeys(ini);
    // Each key written rewrites the whole settings file: only the changed ones.
    for (int i = 0; i < kMaxRecentScenes; ++i)
        if (paths.value(i) != stored[i])
            ini.putini(kSection, key(i), paths.value(i).toStdString());
}

} // namespace

QStringList recentScenes(const IniStore& ini) {
    QStringList paths;
    // A hand-edited file may leave gaps or repeat an entry.
    for (const QString& path : storedKeys(ini))
        if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    return paths;
}

void rememberScene(const IniStore& ini, const QString& path) {
    rememberScenes(ini, {path});
}

void rememberScenes(const IniStore& ini, const QStringList& paths) {
    QStringList recent = recentScenes(ini);
    for (const QString& path : paths) {
        recent.removeAll(path);
        recent.prepend(path);
    }
    store(ini, recent.mid(0, kMaxRecentScenes));
}

void forgetScene(const IniStore& ini, const QString& path) {
    QStringList paths = recentScenes(ini);
    if (paths.removeAll(path) > 0)
        store(ini, paths);
}

} // namespace tarn
