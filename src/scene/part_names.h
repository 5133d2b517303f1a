#pragma once

#include "base/paths.h"

#include <array>
#include <string>
#include <vector>

namespace tarn {

// First four-character group whose first and fourth characters are "_"; or "".
std::string getsname(const std::string& name);

struct PartEntry {
    std::string entry;    // what the list shows: the file name without its last four characters
    std::string fileName; // the real file name, so "X.BMP" is opened as it is on disk
};

// Lists 0 (objects) to 5 (front right), each in the order of the given file names.
using PartLists = std::array<std::vector<PartEntry>, 6>;

// Sorts bare file names into the six part lists by the layer-code rules.
PartLists makelist(const std::vector<std::string>& fileNames);

// The part list (0-5) a bare file name belongs in, or -1 when it is no part;
// makelist for one name, without copying it.
int partListOf(const std::string& fileName);
// The list entry of a part file name (one partListOf puts in a list).
PartEntry partEntryOf(const std::string& fileName);

} // namespace tarn
