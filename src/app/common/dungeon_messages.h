#pragma once

#include "dungeon/dungeon_map.h"
#include "dungeon/dungeon_pack.h"

#include <QString>

#include <string>
#include <vector>

namespace tarn {

// The words for the dungeon readers' codes: one message per fault, naming the
// file and the line and column or the JSON path.
QString mapProblemText(const MapResult& result);
QString packProblemText(const PackResult& result);
// The pack entries ("near_left.door") a map needs and the pack lacks.
QString missingRolesText(const std::vector<PartRole>& roles);
// A part named by the pack that cannot be read.
QString unreadablePartText(const std::string& file);

} // namespace tarn
