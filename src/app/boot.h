#pragma once

class QApplication;

namespace tarn {

// The program's entry: shows the boot screen, loads the main window hidden,
// shows it at the boot screen's first tick, and runs the event loop. Returns
// the event loop's exit code.
int BOOT(QApplication& app);

// Options of the window system that must be set before the application is
// made; a variable the user set is left as it is.
void setPlatformOptions();

} // namespace tarn
