#pragma once

#include "app/cli/command_line.h"

class QApplication;

namespace tarn {

// The program's entry: shows the boot screen, loads the main window hidden,
// shows it at the boot screen's first tick with the scene of the command line,
// and runs the event loop. Returns the event loop's exit code.
int BOOT(QApplication& app, const CommandLine& command = {});

// Options of the window system that must be set before the application is
// made; a variable the user set is left as it is.
void setPlatformOptions();

} // namespace tarn
