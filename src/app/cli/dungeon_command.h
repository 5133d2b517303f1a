#pragma once

#include "app/cli/command_line.h"

namespace tarn {

// `tarn dungeon MAP --pack PACK --into DIR ...`, its arguments after the verb:
// 0 when the dungeon was written (or the dry run passed), 1 for a fault in the
// map, the pack, the parts or the folder, 2 for a usage error.
int dungeonCommand(const Arguments& args);

} // namespace tarn
