#pragma once

namespace tarn {

// The commands that need no window: `tarn render ...`, `tarn export ...`,
// `tarn --help`, `tarn --version`. Returns the process's exit status (0 done,
// 1 some scene failed, 2 a usage error), or -1 when the arguments name no
// command and the window is to start.
int runCommand(int argc, char* argv[]);

} // namespace tarn
