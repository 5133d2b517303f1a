#pragma once

namespace tarn {

// For the commands: SIGINT and SIGTERM end the process with 128 + the signal
// (130, 143) once the temporary files it is writing are removed; the files it
// finished stay whole. Call before any thread is made, which then inherits it.
void endOnSignals();

} // namespace tarn
