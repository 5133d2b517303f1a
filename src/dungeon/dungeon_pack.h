#pragma once

#include "dungeon/dungeon_map.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn {

// What a part does in a view: each role is one entry of the part pack.
enum class PartRole : std::uint8_t {
    Floor,
    NearLeftWall,
    NearLeftDoor,
    NearRightWall,
    NearRightDoor,
    FarLeftWall,
    FarLeftDoor,
    FarRightWall,
    FarRightDoor,
    NearFrontWall, // objects, at the pack's position
    NearFrontDoor,
    FarFrontWall,
    FarFrontDoor,
};
inline constexpr int kPartRoleCount = 13;

// The role's place in the pack file, "near_left.door", for messages.
const char* partRoleKey(PartRole role);

struct PackPart {
    std::string path; // resolved against the pack file's folder
    int x = 0;        // front objects: the canvas position of the top-left corner
    int y = 0;
    friend bool operator==(const PackPart&, const PackPart&) = default;
};

struct DungeonPack {
    std::string file; // the pack file
    std::array<std::optional<PackPart>, kPartRoleCount> parts;
    const std::optional<PackPart>& part(PartRole r) const { return parts[std::size_t(r)]; }
};

using PackResult = DungeonFileResult;

// Reads a pack file; roles it leaves out stay empty (missingRoles tells which
// a map needs). `out` is left as it was on failure.
PackResult readDungeonPack(const std::string& path, DungeonPack& out);

} // namespace tarn
