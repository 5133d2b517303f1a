#pragma once

#include <QStringList>

namespace tarn {

// What the program was started to do. For now always the window, with perhaps
// a scene file to open in it.
struct CommandLine {
    QString scene; // "" for an empty scene
};

// Reads the arguments as QCoreApplication::arguments() gives them, the program first.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace tarn
