#pragma once

#include <QStringList>

#include <string>
#include <vector>

namespace tarn {

// What the window was started with.
struct CommandLine {
    std::string scene; // "" for an empty scene; the bytes the system gave
    QString language;  // "ja" or "en"
};

// The arguments after the program's name, as the bytes the system gave them.
using Arguments = std::vector<std::string>;

// A progress bar on standard error, ended with a new line at the total.
void showProgress(int finished, int total);

// Decides from the arguments alone, before anything needs a display: runs a
// verb, `--help` or `--version`, or reports a usage error (an unknown option or
// verb anywhere, `--lang` without a known language), and returns the exit
// status; or returns -1 with `window` filled when the window is to start.
int runCommand(int argc, char* argv[], CommandLine& window);

} // namespace tarn
