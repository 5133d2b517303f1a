#include "dungeon/dungeon_view.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <functional>
#include <map>
#include <string>

namespace tarn {
namespace {

using nlohmann::json;

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

// The view's parts as the pack names them: far sides, near sides, front.
std::string describe(const ViewRoles& view) {
    std::string text = view.terrain[0] == PartRole::Floor ? "" : "(no floor) ";
    for (const std::size_t slot : {1, 2, 3, 4})
        if (view.terrain[slot])
            text += std::string(partRoleKey(*view.terrain[slot])) + " ";
    for (const PartRole role : view.objects)
        text += std::string(partRoleKey(role)) + " ";
    return text.empty() ? text : text.substr(0, text.size() - 1);
}

TEST(DungeonView, Rules) {
    const DungeonMap hall = textMap(kHall);
    const struct {
        const char* what;
        Square square;
        Facing d;
        const char* parts;
    } rows[] = {
        {"corridor, door beside the square ahead",
         {2, 0},
         Facing::East,
         "far_left.wall far_right.door near_left.wall near_right.wall"},
        {"junction beside", {1, 0}, Facing::East, "far_left.wall far_right.wall near_left.wall"},
        {"junction: open both sides", {1, 2}, Facing::North, "far_left.wall far_right.wall"},
        {"dead end on the border",
         {0, 2},
         Facing::West,
         "near_left.wall near_right.wall near_front.wall"},
        {"solid rock ahead", {1, 1}, Facing::East, "near_front.wall"},
        {"door ahead", {3, 1}, Facing::North, "near_left.wall near_right.wall near_front.door"},
        {"door beside, border far",
         {3, 0},
         Facing::East,
         "far_left.wall far_right.wall near_left.wall near_right.door far_front.wall"},
        {"door beside on the left",
         {3, 0},
         Facing::West,
         "far_left.wall far_right.wall near_left.door near_right.wall"},
        {"door far ahead",
         {1, 2},
         Facing::East,
         "far_left.wall far_right.wall near_right.wall far_front.door"},
        {"door on the far left",
         {4, 0},
         Facing::West,
         "far_left.door far_right.wall near_left.wall near_right.wall"},
        {"map border", {4, 0}, Facing::East, "near_left.wall near_right.wall near_front.wall"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(viewAt(hall, row.square, row.d)), row.parts) << row.what;
}

// Turned a quarter clockwise: (x, y) goes to (H-1-y, x) and north to east.
TEST(DungeonView, AQuarterTurnTurnsEveryView) {
    const DungeonMap hall = textMap(kHall);
    const auto turned = [&](Square s) { return Square{hall.height() - 1 - s.y, s.x}; };
    DungeonMap turn(hall.height(), hall.width());
    for (int y = 0; y < hall.height(); ++y)
        for (int x = 0; x < hall.width(); ++x) {
            turn.setRock(turned({x, y}), !hall.isFloor({x, y}));
            for (const Facing side : {Facing::North, Facing::East, Facing::South, Facing::West})
                turn.setEdge(turned({x, y}), turnRight(side), hall.edge({x, y}, side));
        }
    int views = 0;
    for (const Square s : hall.floorSquares())
        for (const Facing d : {Facing::North, Facing::East, Facing::South, Facing::West}) {
            EXPECT_EQ(viewAt(turn, turned(s), turnRight(d)), viewAt(hall, s, d))
                << s.x << "," << s.y << " " << facingLetter(d);
            ++views;
        }
    EXPECT_EQ(views, 4 * 12);
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

json doorTileset() {
    return {
        {"tiles",
         {{{"id", 1}, {"properties", {{{"name", "door"}, {"type", "bool"}, {"value", true}}}}}}}};
}

// Tiled's map: rock gid 1 and door gid 2 of an embedded tileset.
json tiledKeep(const json& data = kKeepTiles) {
    json tileset = doorTileset();
    tileset["firstgid"] = 1;
    const json start = {{"name", "start"},
                        {"x", 10},
                        {"y", 70.5},
                        {"properties", {{{"name", "facing"}, {"type", "string"}, {"value", "e"}}}}};
    return {{"orientation", "orthogonal"},
            {"tilewidth", 32},
            {"tileheight", 32},
            {"tilesets", {tileset}},
            {"layers",
             {{{"type", "tilelayer"}, {"width", 4}, {"height", 3}, {"data", data}},
              {{"type", "objectgroup"}, {"objects", {start}}}}}};
}

std::string base64(const Bytes& bytes) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = std::uint32_t(bytes[i]) << 16;
        if (n > 1)
            v |= std::uint32_t(bytes[i + 1]) << 8;
        if (n > 2)
            v |= bytes[i + 2];
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// windowBits 15 writes a zlib stream, 31 a gzip one.
Bytes deflated(const Bytes& bytes, int windowBits) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, uLong(bytes.size())));
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = uInt(bytes.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

json layerBytes(const char* compression) {
    Bytes raw;
    for (const std::uint32_t gid : kKeepTiles)
        for (int shift = 0; shift < 32; shift += 8)
            raw.push_back(std::uint8_t(gid >> shift));
    const std::string c = compression;
    return base64(c == "zlib" ? deflated(raw, 15) : c == "gzip" ? deflated(raw, 31) : raw);
}

void put(const test::TempFolder& folder, const std::string& name, const std::string& text) {
    ASSERT_TRUE(writeFileAtomically(folder.file(name), test::bytesOf(text)).ok()) << name;
}

TEST(DungeonMap, GridAndTiledReadAlike) {
    test::TempFolder folder;
    put(folder, "keep.txt", kKeepText);
    DungeonMap grid;
    ASSERT_TRUE(readDungeonMap(folder.file("keep.txt"), grid).ok());
    EXPECT_EQ(grid.name, "keep");
    EXPECT_EQ(grid.edge({2, 1}, Facing::North), Edge::Door);
    EXPECT_EQ(grid.edge({2, 1}, Facing::West), Edge::Wall);

    std::string crlf;
    for (const char c : std::string(kKeepText))
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    std::vector<std::uint32_t> flipped = kKeepTiles;
    flipped[6] |= 0xA0000000; // Tiled's flip flags on the door tile
    const struct {
        const char* name;
        std::string text;
    } forms[] = {
        {"keep.txt", "\xEF\xBB\xBF" + crlf.substr(0, crlf.size() - 2)},
        // Short lines are padded; the right border comes from the longest.
        {"keep.txt", "+-+-+-+-\n|. . . .|\n+ + +D+\n|.|#|.D.\n+ + +D+-+\n|> . .|#\n+-+-+-+-+"},
        {"keep.tmj", tiledKeep().dump()},
        {"keep.tmj", tiledKeep(flipped).dump()},
        {"keep.json",
         [] {
             json m = tiledKeep(layerBytes(""));
             m["layers"][0]["encoding"] = "base64";
             return m.dump();
         }()},
        {"keep.tmj",
         [] {
             json m = tiledKeep(layerBytes("zlib"));
             m["layers"][0]["encoding"] = "base64";
             m["layers"][0]["compression"] = "zlib";
             return m.dump();
         }()},
        {"keep.tmj",
         [] {
             json m = tiledKeep(layerBytes("gzip"));
             m["layers"][0]["encoding"] = "base64";
             m["layers"][0]["compression"] = "gzip";
             // A tile object stands on its bottom-left corner.
             m["layers"][1]["objects"][0].update({{"gid", 1}, {"y", 96}, {"height", 32}});
             return m.dump();
         }()},
        // An external tileset beside the map, at another first id.
        {"keep.tmj",
         [] {
             std::vector<std::uint32_t> tiles = kKeepTiles;
             for (std::uint32_t& t : tiles)
                 t = t == 0 ? 0 : t + 6;
             json m = tiledKeep(tiles);
             m["tilesets"] = {{{"firstgid", 1}, {"source", "other.tsx"}},
                              {{"firstgid", 7}, {"source", "tiles/doors.tsj"}}};
             return m.dump();
         }()},
    };
    std::filesystem::create_directories(folder.file("tiles"));
    put(folder, "tiles/doors.tsj", doorTileset().dump());
    for (const auto& form : forms) {
        put(folder, form.name, form.text);
        DungeonMap map;
        const MapResult r = readDungeonMap(folder.file(form.name), map);
        EXPECT_TRUE(r.ok()) << form.text << " " << int(r.code) << " " << r.jsonPath;
        EXPECT_TRUE(map == grid) << form.text;
    }
}

TEST(DungeonMap, EveryFaultNamesItsPlace) {
    const auto tiled = [](const std::function<void(json&)>& change) {
        json m = tiledKeep();
        change(m);
        return m.dump();
    };
    const struct {
        const char* file;
        std::string text; // not written when "-"
        StatusCode problem;
        int line;
        int column;
        std::string jsonPath;
        std::string detail;
    } rows[] = {
        {"m.txt", "+-+\n|^|\n", StatusCode::EvenLineCount, 2, 0, "", ""},
        {"m.txt", "+-+\n|^\t|\n+-+\n", StatusCode::Tab, 2, 3, "", ""},
        {"m.txt", "+-+\n|^|\n+|+\n", StatusCode::UnknownCharacter, 3, 2, "", "|"},
        // Corners take any character; columns count characters, not bytes.
        {"m.txt", "┼─┼\n|^é\n┼-┼\n", StatusCode::UnknownCharacter, 1, 2, "", "─"},
        {"m.txt", "┼-┼\n|^é\n┼-┼\n", StatusCode::UnknownCharacter, 2, 3, "", "é"},
        {"m.txt", "+-+\n|.|\n+-+\n", StatusCode::NoStart, 0, 0, "", ""},
        {"m.txt", "+-+-+\n|^ <|\n+-+-+\n", StatusCode::TwoStarts, 2, 4, "", ""},
        {"m.txt", "+" + std::string(202, '-') + "\n|^|\n+-+\n", StatusCode::MapTooLarge, 1, 202, "",
         ""},
        {"m.txt", "+-+\n", StatusCode::MapEmpty, 0, 0, "", ""},
        {"m.png", "+-+\n|^|\n+-+\n", StatusCode::MapUnknownFormat, 0, 0, "", ""},
        {"gone.txt", "-", StatusCode::MapUnreadable, 0, 0, "", ""},
        {"m.tmj", "{\n \"orientation\": ,\n}", StatusCode::MapBadJson, 2, 17, "", ""},
        {"m.tmj", "{\"width\": 777776e844444}", StatusCode::MapBadJson, 0, 0, "", ""},
        {"m.tmj", tiled([](json& m) { m["orientation"] = "isometric"; }), StatusCode::NotOrthogonal,
         0, 0, "orientation", "isometric"},
        {"m.tmj", tiled([](json& m) { m["tilewidth"] = "32"; }), StatusCode::BadField, 0, 0,
         "tilewidth", ""},
        {"m.tmj", tiled([](json& m) { m["layers"].erase(0); }), StatusCode::NoTileLayer, 0, 0,
         "layers", ""},
        {"m.tmj", tiled([](json& m) { m["layers"][0]["width"] = 101; }), StatusCode::MapTooLarge, 0,
         0, "layers[0].width", ""},
        {"m.tmj", tiled([](json& m) { m["layers"][0]["data"].erase(0); }), StatusCode::BadLayerData,
         0, 0, "layers[0].data", ""},
        {"m.tmj", tiled([](json& m) { m["layers"][0]["data"][3] = -1; }), StatusCode::BadLayerData,
         0, 0, "layers[0].data[3]", ""},
        {"m.tmj", tiled([](json& m) {
             m["layers"][0]["encoding"] = "base64";
             m["layers"][0]["data"] = "AAAA!AAA";
         }),
         StatusCode::BadLayerData, 0, 0, "layers[0].data", ""},
        {"m.tmj", tiled([](json& m) {
             m["layers"][0]["encoding"] = "base64";
             m["layers"][0]["compression"] = "zstd";
         }),
         StatusCode::UnsupportedCompression, 0, 0, "layers[0].compression", "zstd"},
        {"m.tmj", tiled([](json& m) {
             m["tilesets"] = {{{"firstgid", 1}, {"source", "t.tsx"}}};
         }),
         StatusCode::XmlTileset, 0, 0, "tilesets[0].source", "t.tsx"},
        {"m.tmj", tiled([](json& m) {
             m["tilesets"] = {{{"firstgid", 1}, {"source", "gone.tsj"}}};
         }),
         StatusCode::TilesetUnreadable, 0, 0, "tilesets[0].source", ""},
        {"m.tmj", tiled([](json& m) {
             m["tilesets"] = {{{"firstgid", 1}, {"source", "bad.tsj"}}};
         }),
         StatusCode::MapBadJson, 1, 2, "", ""},
        {"m.tmj", tiled([](json& m) { m["layers"][1]["objects"][0]["x"] = 128; }),
         StatusCode::BadStart, 0, 0, "layers[1].objects[0]", ""},
        {"m.tmj", tiled([](json& m) {
             m["layers"][1]["objects"][0].update({{"x", 40}, {"y", 40}});
         }),
         StatusCode::StartOnRock, 0, 0, "layers[1].objects[0]", ""},
        {"m.tmj",
         tiled([](json& m) { m["layers"][1]["objects"][0]["properties"][0]["value"] = "Q"; }),
         StatusCode::BadFacing, 0, 0, "layers[1].objects[0].properties", ""},
        {"m.tmj", tiled([](json& m) {
             json& objects = m["layers"][1]["objects"];
             objects.push_back(objects[0]);
         }),
         StatusCode::TwoStarts, 0, 0, "layers[1].objects[1]", ""},
        {"m.tmj", tiled([](json& m) { m["layers"][1]["objects"][0]["name"] = "Start"; }),
         StatusCode::NoStart, 0, 0, "", ""},
    };
    test::TempFolder folder;
    put(folder, "bad.tsj", "{]");
    for (const auto& row : rows) {
        if (row.text != "-")
            put(folder, row.file, row.text);
        DungeonMap map = textMap("+-+\n|<|\n+-+\n");
        const DungeonMap before = map;
        const MapResult r = readDungeonMap(folder.file(row.file), map);
        const std::string what = row.file + (" " + row.text.substr(0, 60));
        EXPECT_EQ(r.code, row.problem) << what;
        EXPECT_EQ(r.line, row.line) << what;
        EXPECT_EQ(r.column, row.column) << what;
        EXPECT_EQ(r.jsonPath, row.jsonPath) << what;
        EXPECT_TRUE(row.detail.empty() || r.detail == row.detail) << what << ": " << r.detail;
        EXPECT_EQ(r.file,
                  folder.file(row.problem == StatusCode::MapBadJson && row.line == 1 ? "bad.tsj"
                                                                                     : row.file))
            << what;
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
    test::TempFolder folder;
    put(folder, "walls.json", kWallsPack);
    DungeonPack pack;
    ASSERT_TRUE(readDungeonPack(folder.file("walls.json"), pack).ok());
    EXPECT_EQ(pack.part(PartRole::Floor)->path, folder.file("parts/floor.bmp"));
    EXPECT_EQ(pack.part(PartRole::NearFrontWall), (PackPart{"/abs/nf.bmp", -3, 40}));
    EXPECT_FALSE(pack.part(PartRole::FarLeftDoor));
    // The hall uses every door role; the pack has none of them.
    EXPECT_EQ(missingRoles(textMap(kHall), pack),
              (std::vector<PartRole>{PartRole::NearLeftDoor, PartRole::NearRightDoor,
                                     PartRole::FarLeftDoor, PartRole::FarRightDoor,
                                     PartRole::NearFrontDoor, PartRole::FarFrontDoor}));

    const auto with = [](const char* change) {
        json p = json::parse(kWallsPack);
        p.merge_patch(json::parse(change));
        return p.dump();
    };
    const struct {
        std::string text; // not written when "-"
        StatusCode problem;
        int line;
        std::string jsonPath;
    } rows[] = {
        {"-", StatusCode::PackUnreadable, 0, ""},
        {"{\"format\": \"tarn-dungeon-pack\",\n \"version\": }", StatusCode::PackBadJson, 2, ""},
        {with(R"({"format": "tarn-scene"})"), StatusCode::NotAPack, 0, ""},
        {with(R"({"version": 2})"), StatusCode::PackNewerVersion, 0, ""},
        {with(R"({"version": "1"})"), StatusCode::PackBadEntry, 0, "version"},
        {with(R"({"floor": 3})"), StatusCode::PackBadEntry, 0, "floor"},
        {with(R"({"near_left": "fl.bmp"})"), StatusCode::PackBadEntry, 0, "near_left"},
        {with(R"({"far_right": {"door": ""}})"), StatusCode::PackBadEntry, 0, "far_right.door"},
        {with(R"({"near_front": {"door": "nd.bmp"}})"), StatusCode::PackBadEntry, 0,
         "near_front.door"},
        {with(R"({"far_front": {"wall": {"x": null}}})"), StatusCode::PackBadEntry, 0,
         "far_front.wall.x"},
    };
    for (const auto& row : rows) {
        const std::string file = folder.file("bad.json");
        std::filesystem::remove(file);
        if (row.text != "-")
            put(folder, "bad.json", row.text);
        DungeonPack kept = pack;
        const PackResult r = readDungeonPack(file, kept);
        EXPECT_EQ(r.code, row.problem) << row.text;
        EXPECT_EQ(r.line, row.line) << row.text;
        EXPECT_EQ(r.jsonPath, row.jsonPath) << row.text;
        EXPECT_EQ(r.file, file);
        EXPECT_EQ(kept.parts, pack.parts) << row.text;
    }
}

// A view composes as the window composes the same parts chosen by hand.
TEST(DungeonView, SceneOfViewIsTheWindowsCanvas) {
    DungeonPack pack;
    std::map<std::string, Picture> files;
    const auto add = [&](PartRole role, const std::string& path, Picture picture, int x = 0,
                         int y = 0) {
        pack.parts[std::size_t(role)] = PackPart{path, x, y};
        files[path] = std::move(picture);
    };
    add(PartRole::Floor, "/p/floor_ug.bmp", test::part(318, 198, 1));
    add(PartRole::FarLeftWall, "/p/wall_bl.bmp", test::part(240, 200, 2));
    add(PartRole::FarRightDoor, "/p/door_br.bmp", test::part(238, 200, 3));
    add(PartRole::NearLeftDoor, "/p/door_fl.bmp", test::part(120, 198, 4));
    add(PartRole::NearRightWall, "/p/wall_fr.BMP", test::part(238, 198, 5));
    // Behind the near walls: where they overlap, the walls show.
    add(PartRole::FarFrontWall, "/q/front.bmp", test::part(300, 150, 6), 60, 50);
    const PartLoader loadPart = [&](const std::string& path, Picture& out) {
        const auto it = files.find(path);
        if (it != files.end())
            out = it->second;
        return it != files.end();
    };
    const PartImageLoader loadImage = [&](const std::string& path, PartKind kind) {
        return makePartImage(loadPart, path, kind);
    };
    ViewRoles view;
    view.terrain = {PartRole::Floor, PartRole::FarLeftWall, PartRole::FarRightDoor,
                    PartRole::NearLeftDoor, PartRole::NearRightWall};
    view.objects = {PartRole::FarFrontWall};
    Scene scene;
    std::string unreadable;
    ASSERT_TRUE(sceneOfView(view, pack, loadImage, scene, unreadable));

    test::TempFolder program;
    SceneDocument doc(program.path().string());
    const char* names[] = {"floor_ug", "wall_bl", "door_br", "door_fl", "wall_fr"};
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const PackPart& part = *pack.part(*view.terrain[std::size_t(slot - 1)]);
        ASSERT_TRUE(doc.choosePart(slot, names[slot - 1], part.path, files[part.path]));
        EXPECT_EQ(scene.slot(slot).name, doc.scene().slot(slot).name) << slot;
        EXPECT_EQ(scene.slot(slot).path, doc.scene().slot(slot).path) << slot;
    }
    doc.insertObject("front", "/q", "front.bmp", files["/q/front.bmp"]);
    doc.moveObject(0, 60, 50);
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].name, doc.scene().objects[0].name);
    EXPECT_EQ(scene.objects[0].path, doc.scene().objects[0].path);
    EXPECT_EQ(scene.objects[0].layer, doc.scene().objects[0].layer);
    EXPECT_TRUE(scene.canvas == doc.canvas());

    files.erase("/p/wall_fr.BMP");
    EXPECT_FALSE(sceneOfView(view, pack, loadImage, scene, unreadable));
    EXPECT_EQ(unreadable, "/p/wall_fr.BMP");
}

} // namespace
} // namespace tarn
