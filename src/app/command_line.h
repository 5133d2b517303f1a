#pragma once

#include <QStringList>

namespace tarn {

// The commands that need no window: `tarn render ...`, `tarn export ...`,
// `tarn --help`, `tarn --version`. Returns the process's exit status (0 done,
// 1 some scene failed, 2 a usage error), or -1 when the arguments name no
// command and the window is to start. Messages are in `language` ("ja", "en").
int runCommand(int argc, char* argv[], const QString& language = QStringLiteral("ja"));

// What the window was started with.
struct CommandLine {
    QString scene; // "" for an empty scene
};

// Reads the arguments as QCoreApplication::arguments() gives them, the program
// first, once runCommand has found no command in them.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace tarn
