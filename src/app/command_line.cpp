#include "app/command_line.h"

namespace tarn {

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine command;
    // `tarn SCENE.tarn`; the program's own options are taken by Qt before this.
    if (arguments.size() > 1)
        command.scene = arguments[1];
    return command;
}

} // namespace tarn
