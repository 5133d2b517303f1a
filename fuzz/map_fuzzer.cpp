// Any bytes as a dungeon map: a Tiled map when they start with "{", else a
// text grid. Refused input leaves the caller's map alone; an accepted map is
// within the size limit, starts on floor, and every view of it can be taken.
#include "dungeon/dungeon_view.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tarn::DungeonMap kept(2, 1);
    kept.name = "kept";
    tarn::DungeonMap out = kept;
    const bool tiled = !text.empty() && text.front() == '{';
    // External tilesets are looked for in a folder that is not there.
    const tarn::MapResult result = tiled ? tarn::parseTiledMap(text, "m", "/nonexistent-tarn", out)
                                         : tarn::parseTextMap(text, "m", out);
    if (!result.ok()) {
        FUZZ_CHECK(out == kept);
        FUZZ_CHECK(result.line >= 0 && result.column >= 0);
        return 0;
    }
    FUZZ_CHECK(out.width() >= 1 && out.width() <= tarn::kMaxMapSide);
    FUZZ_CHECK(out.height() >= 1 && out.height() <= tarn::kMaxMapSide);
    FUZZ_CHECK(out.isFloor(out.start));
    const auto all = {tarn::Facing::North, tarn::Facing::East, tarn::Facing::South,
                      tarn::Facing::West};
    for (const tarn::Square s : out.floorSquares())
        for (const tarn::Facing d : all) {
            // Both sides of an edge see the same edge.
            const tarn::Square next = tarn::DungeonMap::step(s, d);
            FUZZ_CHECK(!out.isFloor(next) ? out.edge(s, d) == tarn::Edge::Wall
                                          : out.edge(s, d) == out.edge(next, tarn::turnAround(d)));
            const tarn::ViewRoles view = tarn::viewAt(out, s, d);
            FUZZ_CHECK(view.terrain[0] == tarn::PartRole::Floor && view.objects.size() <= 1);
        }
    FUZZ_CHECK(!tarn::missingRoles(out, tarn::DungeonPack{}).empty());
    return 0;
}
