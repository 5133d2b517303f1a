#pragma once

class QApplication;

namespace tarn {

// The program's entry: shows the boot screen, loads the main window hidden,
// shows it at the boot screen's first tick, and runs the event loop. Returns
// the event loop's exit code.
int BOOT(QApplication& app);

} // namespace tarn
