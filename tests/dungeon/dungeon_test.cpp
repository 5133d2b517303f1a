#include "dungeon/dungeon_view.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>

namespace tarn {
namespace {

using nlohmann::json;
using enum StatusCode;

// Every kind of square and edge: a corridor along the top, rock between, a
// door down from (3,0), a door between (2,2) and (3,2).
constexpr const char* kHall = "+-+-+-+-+-+\n"
                              "|. . . . .|\n"
                              "+-+ +-+D+-+\n"
                              "|#|.|#|.|#|\n"
                              "+-+ +-+-+-+\n"
                              "|^ . .D. .|\n"
                              "+-+-+-+-+-+\n";

DungeonMap textMap(const char* text) {
    DungeonMap map;
    EXPECT_TRUE(parseTextMap(text, "hall", map).ok());
    return map;
}

// The view in short, by role: "FL" the far left wall, "NFd" the near front
// door; far sides, near sides, then the front; "-" first when there is no floor.
std::string describe(const ViewRoles& view) {
    static const char* const kCodes[] = {"",   "NL",  "NLd", "NR",  "NRd", "FL", "FLd",
                                         "FR", "FRd", "NF",  "NFd", "FF",  "FFd"};
    std::string text = view.terrain[0] == PartRole::Floor ? "" : "- ";
    for (const std::size_t slot : {1, 2, 3, 4})
        if (view.terrain[slot])
            text += std::string(kCodes[int(*view.terrain[slot])]) + " ";
    for (const PartRole role : view.objects)
        text += std::string(kCodes[int(role)]) + " ";
    return text.empty() ? text : text.substr(0, text.size() - 1);
}

TEST(DungeonView, Rules) {
    using enum Facing;
    const DungeonMap hall = textMap(kHall);
    const std::tuple<Square, Facing, const char*> rows[] = {
        {{2, 0}, East, "FL FRd NL NR"},    // corridor, door beside the square ahead
        {{1, 0}, East, "FL FR NL"},        // junction beside
        {{1, 2}, North, "FL FR"},          // junction: open both sides
        {{0, 2}, West, "NL NR NF"},        // dead end on the border
        {{0, 2}, South, "NR NF"},          // border ahead and to the right
        {{1, 1}, East, "NF"},              // solid rock ahead
        {{3, 1}, North, "NL NR NFd"},      // door ahead
        {{3, 0}, East, "FL FR NL NRd FF"}, // door beside, border far
        {{3, 0}, West, "FL FR NLd NR"},    // door beside on the left
        {{1, 2}, East, "FL FR NR FFd"},    // door far ahead
        {{4, 0}, West, "FLd FR NL NR"},    // door on the far left
        {{4, 0}, East, "NL NR NF"},        // map border
    };
    for (const auto& [square, d, parts] : rows)
        EXPECT_EQ(describe(viewAt(hall, square, d)), parts)
            << square.x << "," << square.y << " " << facingLetter(d);
}

// The same dungeon drawn as a grid and in Tiled: a door square at (2,1), rock
// at (1,1) and (3,2), the start at (0,2) facing east.
constexpr const char* kKeepText = "+-+-+-+-+\n"
                                  "|. . . .|\n"
                                  "+ + +D+ +\n"
                                  "|.|#|.D.|\n"
                                  "+ + +D+-+\n"
                                  "|> . .|#|\n"
                                  "+-+-+-+-+\n";
const std::vector<std::uint32_t> kKeepTiles = {0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 1};

constexpr const char* kDoorTileset =
    R"({"tiles": [{"id": 1, "properties": [{"name": "door", "type": "bool", "value": true}]}]})";

// Tiled's map: rock gid 1 and door gid 2 of an embedded tileset.
json tiledKeep(const json& data = kKeepTiles) {
    json m = json::parse(R"({"orientation": "orthogonal", "tilewidth": 32, "tileheight": 32,
      "layers": [{"type": "tilelayer", "width": 4, "height": 3},
        {"type": "objectgroup", "objects": [{"name": "start", "x": 10, "y": 70.5,
          "properties": [{"name": "facing", "type": "string", "value": "e"}]}]}]})");
    m["tilesets"] = json::array({json::parse(kDoorTileset)});
    m["tilesets"][0]["firstgid"] = 1;
    m["layers"][0]["data"] = data;
    return m;
}

// A Tiled map changed by JSON patch steps split at ';': "pointer=json" adds (or
// sets a member), "pointer=@from" copies, a pointer alone removes.
std::string tiled(const std::string& steps, const json& m = tiledKeep()) {
    json patch = json::array();
    std::istringstream in(steps);
    for (std::string step; std::getline(in, step, ';');) {
        const std::size_t eq = std::min(step.find('='), step.size());
        const bool copy = eq < step.size() && step[eq + 1] == '@';
        patch.push_back({{"op", eq == step.size() ? "remove"
                                : copy            ? "copy"
                                                  : "add"},
                         {"path", step.substr(0, eq)}});
        if (copy)
            patch.back()["from"] = step.substr(eq + 2);
        else if (eq < step.size())
            patch.back()["value"] = json::parse(step.substr(eq + 1));
    }
    return m.patch(patch).dump();
}

void put(const test::TempFolder& folder, const std::string& name, const std::string& text) {
    ASSERT_TRUE(writeFileAtomically(folder.file(name), test::bytesOf(text)).ok()) << name;
}

// Where a reader says a fault is: "line:column" of a text, then the JSON path.
std::string place(const DungeonFileResult& r) {
    return (r.line || r.column ? std::to_string(r.line) + ":" + std::to_string(r.column) : "") +
           r.jsonPath;
}

TEST(DungeonMap, GridAndTiledReadAlike) {
    test::TempFolder folder;
    put(folder, "keep.txt", kKeepText);
    DungeonMap grid;
    ASSERT_TRUE(readDungeonMap(folder.file("keep.txt"), grid).ok());
    EXPECT_EQ(grid.name, "keep");

    const std::pair<const char*, std::string> forms[] = {
        // A byte order mark, CRLF and no end of line at the end.
        {"keep.txt", "\xEF\xBB\xBF+-+-+-+-+\r\n|. . . .|\r\n+ + +D+ +\r\n|.|#|.D.|\r\n"
                     "+ + +D+-+\r\n|> . .|#|\r\n+-+-+-+-+"},
        // Short lines are padded; the right border comes from the longest.
        {"keep.txt", "+-+-+-+-\n|. . . .|\n+ + +D+\n|.|#|.D.\n+ + +D+-+\n|> . .|#\n+-+-+-+-+"},
        {"keep.tmj", tiledKeep().dump()},
        // Tiled's flip flags on the door tile.
        {"keep.tmj", tiledKeep({0, 0, 0, 0, 0, 1, 0xA0000002u, 0, 0, 0, 0, 1}).dump()},
        // The layer in base64 as Tiled writes it: the tiles' bytes raw, zlib, gzip.
        {"keep.json",
         tiled(R"(/layers/0/encoding="base64";/layers/0/data=)"
               R"("AAAAAAAAAAAAAAAAAAAAAAAAAAABAAAAAgAAAAAAAAAAAAAAAAAAAAAAAAABAAAA")")},
        {"keep.tmj", tiled(R"(/layers/0/encoding="base64";/layers/0/compression="zlib";)"
                           R"(/layers/0/data="eNpjYMAEjEDMhEMcAACAAAU=")")},
        // A tile object stands on its bottom-left corner.
        {"keep.tmj", tiled(R"(/layers/0/encoding="base64";/layers/0/compression="gzip";)"
                           R"(/layers/0/data="H4sIAAAAAAACA2NgwASMQMyEQxwA4uW6kjAAAAA=";)"
                           "/layers/1/objects/0/gid=1;/layers/1/objects/0/y=96;"
                           "/layers/1/objects/0/height=32")},
        // An external tileset beside the map, at another first id.
        {"keep.tmj", tiled(R"(/tilesets=[{"firstgid": 1, "source": "other.tsx"},)"
                           R"({"firstgid": 7, "source": "tiles/doors.tsj"}])",
                           tiledKeep({0, 0, 0, 0, 0, 7, 8, 0, 0, 0, 0, 7}))},
    };
    std::filesystem::create_directories(folder.file("tiles"));
    put(folder, "tiles/doors.tsj", kDoorTileset);
    for (const auto& [name, text] : forms) {
        put(folder, name, text);
        DungeonMap map;
        const MapResult r = readDungeonMap(folder.file(name), map);
        EXPECT_TRUE(r.ok()) << text << " " << int(r.code) << " " << place(r);
        EXPECT_TRUE(map == grid) << text;
    }
}

// Each fault of a map file, where it is, and the map left as it was.
TEST(DungeonMap, EveryFaultNamesItsPlace) {
    const struct {
        std::string text; // in m.txt, or m.tmj when JSON; not written when "-"
        StatusCode problem;
        std::string place = "";
        std::string detail = "";
        std::string file = "";    // read instead of m.txt or m.tmj
        std::string faultIn = ""; // the file named, when not the one read
    } rows[] = {
        {"+-+\n|^|\n", EvenLineCount, "2:0"},
        {"+-+\n|^\t|\n+-+\n", Tab, "2:3"},
        {"+-+\n|^|\n+|+\n", UnknownCharacter, "3:2", "|"},
        // Corners take any character; columns count characters, not bytes.
        {"┼─┼\n|^é\n┼-┼\n", UnknownCharacter, "1:2", "─"},
        {"┼-┼\n|^é\n┼-┼\n", UnknownCharacter, "2:3", "é"},
        {"+-+\n|.|\n+-+\n", NoStart},
        {"+-+-+\n|^ <|\n+-+-+\n", TwoStarts, "2:4"},
        {"+" + std::string(202, '-') + "\n|^|\n+-+\n", MapTooLarge, "1:202"},
        {"+-+\n", MapEmpty},
        {"+-+\n|^|\n+-+\n", MapUnknownFormat, "", "", "m.png"},
        {"-", MapUnreadable, "", "", "gone.txt"},
        {"{\n \"orientation\": ,\n}", MapBadJson, "2:17"},
        {"{\"width\": 777776e844444}", MapBadJson},
        {tiled(R"(/orientation="isometric")"), NotOrthogonal, "orientation", "isometric"},
        {tiled(R"(/tilewidth="32")"), BadField, "tilewidth"},
        {tiled("/layers/0"), NoTileLayer, "layers"},
        {tiled("/layers/0/width=101"), MapTooLarge, "layers[0].width"},
        {tiled("/layers/0/data/0"), BadLayerData, "layers[0].data"},
        {tiled("/layers/0/data/3;/layers/0/data/3=-1"), BadLayerData, "layers[0].data[3]"},
        {tiled(R"(/layers/0/encoding="base64";/layers/0/data="AAAA!AAA")"), BadLayerData,
         "layers[0].data"},
        {tiled(R"(/layers/0/encoding="base64";/layers/0/compression="zstd")"),
         UnsupportedCompression, "layers[0].compression", "zstd"},
        {tiled(R"(/tilesets=[{"firstgid": 1, "source": "t.tsx"}])"), XmlTileset,
         "tilesets[0].source", "t.tsx"},
        {tiled(R"(/tilesets=[{"firstgid": 1, "source": "gone.tsj"}])"), TilesetUnreadable,
         "tilesets[0].source"},
        {tiled(R"(/tilesets=[{"firstgid": 1, "source": "bad.tsj"}])"), MapBadJson, "1:2", "", "",
         "bad.tsj"},
        {tiled("/layers/1/objects/0/x=128"), BadStart, "layers[1].objects[0]"},
        {tiled("/layers/1/objects/0/x=40;/layers/1/objects/0/y=40"), StartOnRock,
         "layers[1].objects[0]"},
        {tiled(R"(/layers/1/objects/0/properties/0/value="Q")"), BadFacing,
         "layers[1].objects[0].properties"},
        {tiled("/layers/1/objects/-=@/layers/1/objects/0"), TwoStarts, "layers[1].objects[1]"},
        {tiled(R"(/layers/1/objects/0/name="Start")"), NoStart},
    };
    test::TempFolder folder;
    put(folder, "bad.tsj", "{]");
    for (const auto& row : rows) {
        const std::string file = !row.file.empty()           ? row.file
                                 : row.text.starts_with('{') ? "m.tmj"
                                                             : "m.txt";
        if (row.text != "-")
            put(folder, file, row.text);
        DungeonMap map = textMap("+-+\n|<|\n+-+\n");
        const DungeonMap before = map;
        const MapResult r = readDungeonMap(folder.file(file), map);
        const std::string what = file + " " + row.text.substr(0, 60);
        EXPECT_EQ(std::tuple(r.code, place(r), r.file),
                  std::tuple(row.problem, row.place,
                             folder.file(row.faultIn.empty() ? file : row.faultIn)))
            << what;
        EXPECT_TRUE(row.detail.empty() || r.detail == row.detail) << what << ": " << r.detail;
        EXPECT_TRUE(map == before) << what;
    }
}

constexpr const char* kWallsPack = R"({"format": "tarn-dungeon-pack", "version": 1,
  "floor": "parts/floor.bmp",
  "near_left": {"wall": "fl.bmp"}, "near_right": {"wall": "fr.bmp"},
  "far_left": {"wall": "bl.bmp"}, "far_right": {"wall": "br.bmp"},
  "near_front": {"wall": {"part": "/abs/nf.bmp", "x": -3, "y": 40}},
  "far_front": {"wall": {"part": "ff.bmp", "x": 160, "y": 60}}})";

TEST(DungeonPack, ReadsRolesAndNamesFaults) {
    using enum PartRole;
    test::TempFolder folder;
    put(folder, "walls.json", kWallsPack);
    DungeonPack pack;
    ASSERT_TRUE(readDungeonPack(folder.file("walls.json"), pack).ok());
    EXPECT_EQ(pack.part(Floor)->path, folder.file("parts/floor.bmp"));
    EXPECT_EQ(pack.part(NearFrontWall), (PackPart{"/abs/nf.bmp", -3, 40}));
    EXPECT_FALSE(pack.part(FarLeftDoor));
    // The hall uses every door role; the pack has none of them.
    EXPECT_EQ(missingRoles(textMap(kHall), pack),
              (std::vector<PartRole>{NearLeftDoor, NearRightDoor, FarLeftDoor, FarRightDoor,
                                     NearFrontDoor, FarFrontDoor}));

    const auto with = [](const char* change) {
        json p = json::parse(kWallsPack);
        p.merge_patch(json::parse(change));
        return p.dump();
    };
    const std::tuple<std::string, StatusCode, std::string> rows[] = {
        {"-", PackUnreadable, ""}, // not written
        {"{\"format\": \"tarn-dungeon-pack\",\n \"version\": }", PackBadJson, "2:13"},
        {with(R"({"format": "tarn-scene"})"), NotAPack, ""},
        {with(R"({"version": 2})"), PackNewerVersion, ""},
        {with(R"({"version": "1"})"), PackBadEntry, "version"},
        {with(R"({"floor": 3})"), PackBadEntry, "floor"},
        {with(R"({"near_left": "fl.bmp"})"), PackBadEntry, "near_left"},
        {with(R"({"far_right": {"door": ""}})"), PackBadEntry, "far_right.door"},
        {with(R"({"near_front": {"door": "nd.bmp"}})"), PackBadEntry, "near_front.door"},
        {with(R"({"far_front": {"wall": {"x": null}}})"), PackBadEntry, "far_front.wall.x"},
    };
    const std::string file = folder.file("bad.json");
    for (const auto& [text, problem, where] : rows) {
        std::filesystem::remove(file);
        if (text != "-")
            put(folder, "bad.json", text);
        DungeonPack kept = pack;
        const PackResult r = readDungeonPack(file, kept);
        EXPECT_EQ(std::tuple(r.code, place(r), r.file), std::tuple(problem, where, file)) << text;
        EXPECT_EQ(kept.parts, pack.parts) << text;
    }
}

} // namespace
} // namespace tarn
