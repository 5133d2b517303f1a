#pragma once

#include "base/file_write.h"
#include "document/scene_document.h"
#include "dungeon/dungeon_map.h"
#include "dungeon/dungeon_pack.h"
#include "export/export_procedure.h"
#include "scene/picture.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarn {

// The menu cards' names, in the order an area shows them.
inline constexpr const char* kForwardCard = "前進";
inline constexpr const char* kTurnLeftCard = "左を向く";
inline constexpr const char* kTurnRightCard = "右を向く";
inline constexpr const char* kTurnAroundCard = "振り返る";

struct DungeonRequest {
    std::string folder;  // the scenario folder, made when missing
    std::string mapFile; // the map's and the pack's file names, for the index
    std::string packFile;
    std::optional<int> firstArea;
    bool flatten = false;    // one 256-colour bitmap per distinct view instead of its parts
    bool replace = false;    // may replace the areas that the folder's index of this map lists
    bool dryRun = false;     // counts and checks, writes nothing
    std::string viewsFolder; // previews x<X>-y<Y>-<F>.png there, when not empty
    // The preview's file bytes of a view; false when it cannot be made.
    std::function<bool(const Picture& canvas, Bytes& out)> encodePreview;
    int threads = 1;
    // Called one call at a time, from any thread, as views are composed and
    // areas written; false stops the run, which then removes what it wrote.
    std::function<bool(int done, int total)> progress;
};

// What stopped a dungeon export (FolderUnusable to Stopped), with the file it
// names; the counts also after a dry run.
struct DungeonResult : Status {
    std::string character; // DungeonBadName
    int number = 0;        // AreaTaken, AreasOutOfRange
    int lastNumber = 0;    // AreasOutOfRange
    int squares = 0;
    int views = 0;
    int distinctViews = 0;
    int firstArea = 0;
    int lastArea = 0;
    int startArea = 0;
    bool summaryWritten = false;
};

// The area of the square at `floorIndex` among the floor squares in reading
// order, facing d: four areas per square, north, east, south, west.
inline int dungeonAreaNumber(int first, int floorIndex, Facing d) {
    return first + 4 * floorIndex + static_cast<int>(d);
}
// The first area a dungeon takes when none is given: above every area of the
// folder, 1 in a folder without any.
int firstAreaAbove(const std::vector<AreaFile>& areas);

// "<map name>.dungeon.json" ("_2" before the first "." of a Windows device
// name): which area shows which square and facing.
std::string dungeonIndexName(const std::string& mapName);
// "<map name> (x,y) 北".
std::string dungeonAreaName(const std::string& mapName, Square square, Facing facing);

// Writes one area per floor square and facing, the parts (or the flattened
// views) they show, dark.bmp, the summary by the export's rule, the index and
// the previews. Everything is checked before the first write; should a write
// fail, every file written is removed and every file replaced is put back.
// `loadImage` may be called from several threads at once.
DungeonResult exportDungeon(const DungeonMap& map, const DungeonPack& pack,
                            const PartImageLoader& loadImage, const DungeonRequest& request);

} // namespace tarn
