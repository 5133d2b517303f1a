#include "dungeon/dungeon_view.h"

#include "objects/object_list.h"
#include "scene/compose.h"
#include "scene/part_names.h"

#include <filesystem>

namespace tarn {

namespace {

// The wall or door role of an edge, or none for an open one.
std::optional<PartRole> sideRole(Edge e, PartRole wall) {
    if (e == Edge::Open)
        return std::nullopt;
    // Each door role follows its wall role.
    return e == Edge::Wall ? wall : PartRole(int(wall) + 1);
}

// The list entry the window shows for a part file: its name without ".bmp"
// (or ".BMP"); a file of another kind keeps its whole name.
std::string entryName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string ext = getext(name);
    return ext == "bmp" || ext == "BMP" ? partEntryOf(name).entry : name;
}

} // namespace

ViewRoles viewAt(const DungeonMap& map, Square square, Facing d) {
    ViewRoles view;
    view.terrain[0] = PartRole::Floor;
    view.terrain[3] = sideRole(map.edge(square, turnLeft(d)), PartRole::NearLeftWall);
    view.terrain[4] = sideRole(map.edge(square, turnRight(d)), PartRole::NearRightWall);
    if (const auto front = sideRole(map.edge(square, d), PartRole::NearFrontWall)) {
        view.objects.push_back(*front);
        return view;
    }
    const Square ahead = DungeonMap::step(square, d);
    view.terrain[1] = sideRole(map.edge(ahead, turnLeft(d)), PartRole::FarLeftWall);
    view.terrain[2] = sideRole(map.edge(ahead, turnRight(d)), PartRole::FarRightWall);
    if (const auto front = sideRole(map.edge(ahead, d), PartRole::FarFrontWall))
        view.objects.push_back(*front);
    return view;
}

std::vector<PartRole> missingRoles(const DungeonMap& map, const DungeonPack& pack) {
    std::array<bool, kPartRoleCount> used{};
    for (const Square s : map.floorSquares())
        for (const Facing d : {Facing::North, Facing::East, Facing::South, Facing::West}) {
            const ViewRoles view = viewAt(map, s, d);
            for (const auto& slot : view.terrain)
                if (slot)
                    used[std::size_t(*slot)] = true;
            for (const PartRole role : view.objects)
                used[std::size_t(role)] = true;
        }
    std::vector<PartRole> missing;
    for (int role = 0; role < kPartRoleCount; ++role)
        if (used[std::size_t(role)] && !pack.part(PartRole(role)))
            missing.push_back(PartRole(role));
    return missing;
}

bool sceneOfView(const ViewRoles& view, const DungeonPack& pack, const PartImageLoader& loadImage,
                 Scene& out, std::string& unreadable) {
    Scene scene;
    // A role the pack lacks reads as a part that cannot be read, with no file to name.
    const auto imageOf = [&](PartRole role, PartKind kind) -> PartImagePtr {
        const std::optional<PackPart>& part = pack.part(role);
        PartImagePtr image = part ? loadImage(part->path, kind) : nullptr;
        if (!image)
            unreadable = part ? part->path : std::string();
        return image;
    };
    for (int i = 1; i <= kSlotCount; ++i) {
        const std::optional<PartRole> role = view.terrain[std::size_t(i - 1)];
        if (!role)
            continue;
        PartImagePtr image = imageOf(*role, PartKind::Terrain);
        if (!image)
            return false;
        const std::string& path = pack.part(*role)->path;
        scene.slot(i) = {entryName(path), path, std::move(image)};
    }
    for (const PartRole role : view.objects) {
        PartImagePtr image = imageOf(role, PartKind::Object);
        if (!image)
            return false;
        const PackPart& part = *pack.part(role);
        scene.objects.push_back({entryName(part.path), part.path, part.x, part.y,
                                 Layer::BehindFront, false, false, image, image});
    }
    recompose(scene);
    out = std::move(scene);
    return true;
}

} // namespace tarn
