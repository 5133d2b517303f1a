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

// A command that needs no window: `tarn <name> ARGUMENTS...`. Returns the
// process's exit status (0 done, 1 some file failed, 2 a usage error).
// A progress bar on standard error, ended with a new line at the total.
void showProgress(int finished, int total);

struct Verb {
    const char* name;
    int (*run)(const Arguments& arguments);
};

// Decides from the arguments alone, before anything needs a display: runs a
// verb, `--help` or `--version`, or reports a usage error (an unknown option or
// verb anywhere, `--lang` without a known language), and returns the exit
// status; or returns -1 with `window` filled when the window is to start.
int runCommand(int argc, char* argv[], CommandLine& window);

// Reads the arguments as QCoreApplication::arguments() gives them, the program
// first, once runCommand has found no command in them.

} // namespace tarn
