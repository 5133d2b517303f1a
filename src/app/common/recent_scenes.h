#pragma once

#include "settings/ini_store.h"

#include <QStringList>

namespace tarn {

// The scene files opened or saved last, most recent first, without duplicates,
// kept in the settings file.
inline constexpr int kMaxRecentScenes = 8;

QStringList recentScenes(const IniStore& ini);
// Puts a scene first, dropping an older mention of it and the oldest beyond the limit.
void rememberScene(const IniStore& ini, const QString& path);
// As rememberScene for each path in turn, the last ending first, stored once.
void rememberScenes(const IniStore& ini, const QStringList& paths);
void forgetScene(const IniStore& ini, const QString& path);

} // namespace tarn
