#pragma once

#include "document/scene_document.h"
#include "dungeon/dungeon_map.h"
#include "dungeon/dungeon_pack.h"

#include <array>
#include <compare>
#include <optional>
#include <vector>

namespace tarn {

// The parts of one view, by role: equal views compose to the same picture.
struct ViewRoles {
    std::array<std::optional<PartRole>, 5> terrain; // slots 1..5 at 0..4
    std::vector<PartRole> objects;                  // front objects, flag F, in drawing order
    friend auto operator<=>(const ViewRoles&, const ViewRoles&) = default;
};

// The view from a floor square facing d.
ViewRoles viewAt(const DungeonMap& map, Square square, Facing d);

// Roles some view of the map uses that the pack lacks, in role order.
std::vector<PartRole> missingRoles(const DungeonMap& map, const DungeonPack& pack);

// The scene of a view, its parts read through `loadImage` and composed as the
// window composes them: slot names and object names are the part files' names
// without ".bmp", every object flag F. False, with `unreadable` the part file,
// when a part cannot be read (empty when the pack lacks the role); `out` is
// then left as it was.
bool sceneOfView(const ViewRoles& view, const DungeonPack& pack, const PartImageLoader& loadImage,
                 Scene& out, std::string& unreadable);

} // namespace tarn
