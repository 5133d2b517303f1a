// The exported folder drawn the way the engine draws an area, from what is known
// of the engine alone (not from Tarn's composition): a 632 x 420 area with the
// view at (80, 0); cells drawn in file order, each image scaled nearest-neighbour
// to its cell; a cell with its mask flag on sees through the colour of its own
// image's pixel (0, 0); file names decoded from code page 932.
#include "base/little_endian.h"
#include "dungeon/card_pictures.h"
#include "dungeon/dungeon_export.h"
#include "dungeon/dungeon_view.h"
#include "export/area_plan.h"
#include "export/export_procedure.h"
#include "objects/object_list.h"
#include "output/bmp_writer.h"
#include "scene/compose.h"
#include "scene/terrain_edit.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iconv.h>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

namespace tarn {
namespace {

constexpr int kAreaWidth = 632;
constexpr int kAreaHeight = 420;

// BMP as a Windows reader takes it: 24-bit, or 4- and 8-bit with a palette.
std::optional<Picture> readBmp(const Bytes& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    const std::uint32_t offset = getU32le(b, 10);
    const auto width = static_cast<std::int32_t>(getU32le(b, 18));
    const auto rawHeight = static_cast<std::int32_t>(getU32le(b, 22));
    const int bits = getU16le(b, 28);
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || getU32le(b, 30) != 0 || (bits != 24 && bits != 8 && bits != 4))
        return std::nullopt;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (offset + stride * static_cast<std::size_t>(height) > b.size())
        return std::nullopt;
    const std::size_t palette = 14 + getU32le(b, 14);
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row =
            offset + stride * static_cast<std::size_t>(rawHeight < 0 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t byte = b[row + static_cast<std::size_t>(x) * bits / 8];
            const int index = bits == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 15);
            const std::size_t at = bits == 24 ? row + static_cast<std::size_t>(x) * 3
                                              : palette + static_cast<std::size_t>(index) * 4;
            p.setPixel(x, y, {b[at + 2], b[at + 1], b[at]});
        }
    }
    return p;
}

std::string fromCp932(std::string bytes) {
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    std::string out(bytes.size() * 3 + 4, '\0');
    char *in = bytes.data(), *o = out.data();
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    ::iconv(cd, &in, &inLeft, &o, &outLeft);
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

struct EngineCell {
    int left, top, width, height;
    std::string file;
    bool masked;
};

// A content tree as the engine reads it: its children come before its own fields.
struct EngineContent {
    int type = -1;
    std::vector<EngineContent> children;
    int area = 0; // Change Area (type 5)
};

struct EngineCard {
    Bytes image;
    std::string name, description, flag, imagePath;
    std::vector<int> ignitions;       // of its one event
    std::vector<EngineContent> trees; // of its one event
    int events = 0, scale = 0, left = 0, top = 0;
};

struct EngineArea {
    std::string name;
    int number = 0, spread = -1;
    std::vector<EngineCard> cards;
    std::vector<EngineCell> cells;
};

// In the order of the engine's own reader (cw/binary: area, menu card, event,
// content, background cell), counts of child contents written as 40000 + n.
// Braced lists read their fields in the order written.
EngineArea readArea(const Bytes& b) {
    std::size_t at = 5;
    const auto number = [&] {
        const auto v = static_cast<std::int32_t>(getU32le(b, at));
        at += 4;
        return v;
    };
    const auto text = [&] {
        const auto n = static_cast<std::size_t>(number());
        std::string s(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n - 1));
        at += n;
        return fromCp932(s);
    };
    const std::function<EngineContent()> content = [&] {
        EngineContent c;
        c.type = b[at++];
        text();
        const int children = number() - 40000;
        for (int i = 0; i < children; ++i)
            c.children.push_back(content());
        if (c.type == 5)
            c.area = number();
        else if (c.type != 0)
            ADD_FAILURE() << "content type " << c.type;
        return c;
    };
    EngineArea area;
    area.name = text();
    area.number = number() - 40000;
    EXPECT_EQ(number(), 0); // events of the area
    area.spread = b[at++];
    const int cards = number();
    for (int i = 0; i < cards; ++i) {
        EngineCard c;
        ++at;
        const auto size = static_cast<std::size_t>(number());
        c.image.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + size));
        at += size;
        std::tie(c.name, std::ignore, c.description, c.events) =
            std::tuple{text(), number(), text(), number()};
        for (int e = 0; e < c.events; ++e) {
            const int trees = number();
            for (int t = 0; t < trees; ++t)
                c.trees.push_back(content());
            const int ignitions = number();
            for (int k = 0; k < ignitions; ++k)
                c.ignitions.push_back(number());
            EXPECT_EQ(text(), ""); // key codes
        }
        std::tie(c.flag, c.scale, c.left, c.top, c.imagePath) =
            std::tuple{text(), number(), number(), number(), text()};
        area.cards.push_back(c);
    }
    const int count = number();
    for (int i = 0; i < count; ++i) {
        EngineCell c{number(), number(), number() - 40000, number(), text(), b[at++] != 0};
        EXPECT_EQ(text(), ""); // flag
        ++at;
        area.cells.push_back(c);
    }
    EXPECT_EQ(at, b.size());
    return area;
}

// What the engine shows against the canvas: pixels that differ inside the view
// (over the default background only where parts cover it), pixels a part draws
// outside it, whether every pixel of the view was compared, and whether the
// background's picture was drawn.
std::tuple<int, int, bool, bool> engineShows(const std::string& folder, const std::string& areaFile,
                                             const Picture& canvas, bool black) {
    Picture area(kAreaWidth, kAreaHeight);
    std::vector<bool> byPart(kAreaWidth * kAreaHeight, false); // not the background
    bool backgroundKnown = false;
    const std::vector<EngineCell> cells = readArea(test::fileBytes(folder + "/" + areaFile)).cells;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const EngineCell& c = cells[i];
        const std::optional<Picture> image = readBmp(test::fileBytes(folder + "/" + c.file));
        if (!image) {
            EXPECT_EQ(i, 0u) << c.file; // only the engine's own default picture is missing
            continue;
        }
        backgroundKnown = backgroundKnown || i == 0;
        const Rgb clear = image->pixel(0, 0);
        for (int v = 0; v < c.height; ++v)
            for (int u = 0; u < c.width; ++u) {
                const int x = c.left + u, y = c.top + v;
                const Rgb colour =
                    image->pixel(u * image->width() / c.width, v * image->height() / c.height);
                if (x < 0 || y < 0 || x >= kAreaWidth || y >= kAreaHeight ||
                    (c.masked && colour == clear))
                    continue;
                area.setPixel(x, y, colour);
                byPart[static_cast<std::size_t>(y * kAreaWidth + x)] = i > 0;
            }
    }
    int differing = 0, outsideDrawn = 0, compared = 0;
    for (int y = 0; y < kAreaHeight; ++y)
        for (int x = 0; x < kAreaWidth; ++x) {
            const bool drawn = byPart[static_cast<std::size_t>(y * kAreaWidth + x)];
            if (!canvas.contains(x - kViewLeft, y - kViewTop)) {
                outsideDrawn += drawn;
            } else if (black || drawn) {
                ++compared;
                differing += area.pixel(x, y) != canvas.pixel(x - kViewLeft, y - kViewTop);
            }
        }
    return {differing, outsideDrawn, compared == kCanvasWidth * kCanvasHeight, backgroundKnown};
}

// Builds the scene the way the document does and writes its part files. A part
// is "folder/name WxH slot" or "folder/name WxH x,y", then any of "lr" and "ud"
// (mirrored), "front" (flag F) and "png" (PNG bytes under the ".bmp" name).
Scene makeScene(const std::string& parts, const std::string& partsRoot) {
    Scene scene;
    PixelArray work;
    std::map<std::string, int> seeds; // one picture for each file
    std::istringstream in(parts);
    for (std::string part; std::getline(in, part, ';');) {
        std::istringstream words(part);
        std::string file, where;
        int w = 0, h = 0;
        char by = 0;
        words >> file >> w >> by >> h >> where;
        const std::set<std::string> flags{std::istream_iterator<std::string>(words), {}};
        const std::string path = partsRoot + "/" + file + ".bmp";
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        const Picture picture =
            test::part(w, h, seeds.emplace(file, seeds.size() + 1).first->second);
        const Bytes png = test::bytesOf("\x89PNG\r\n\x1A\n not really");
        EXPECT_TRUE(
            writeFileAtomically(path, flags.contains("png") ? png : encodeBmp24(picture)).ok());
        const std::string name = std::filesystem::path(file).filename().string();
        if (where.find(',') == std::string::npos) {
            scene.slot(std::stoi(where)) = {name, path, terrainImage(picture, work)};
            continue;
        }
        const bool lr = flags.contains("lr"), ud = flags.contains("ud");
        const PartImagePtr source = objectImage(picture);
        scene.objects.push_back({name, path, std::stoi(where),
                                 std::stoi(where.substr(where.find(',') + 1)),
                                 flags.contains("front") ? Layer::InFront : Layer::BehindFront, lr,
                                 ud, source, mirroredImage(source, lr, ud)});
    }
    recompose(scene);
    return scene;
}

TEST(EngineView, ShowsExactlyTheCanvasInsideTheViewAndOnlyBackgroundOutside) {
    const struct {
        const char* title;
        const char* parts;
        // Where given, every part file exported as "name=source": a byte copy of
        // the source (parts shown as they are), or "name=" a bitmap made for the area.
        std::string files = "";
    } cases[] = {
        {"all five slots empty", ""},
        {"standard terrain, front walls past the view",
         "a/床_ug 320x160 1; a/wall_bl 240x160 2; a/wall_br 240x160 3; a/wall_fl 240x200 4;"
         "a/wall_fr 240x200 5",
         "床_ug.bmp=a/床_ug.bmp wall_bl.bmp=a/wall_bl.bmp wall_br_0-0-238x160.bmp= "
         "wall_fl_0-0-240x198.bmp= wall_fr_0-0-238x198.bmp="},
        {"terrain of other sizes", "a/g_ug 300x150 1; a/small_bl 100x50 2; a/big_fr 250x210 5"},
        {"mirrored objects both ways, later rows over earlier ones",
         "a/wall_fl 240x200 4; a/lr 30x20 10,90 lr; a/ud 30x20 25,100 ud;"
         "a/both 30x20 120,110 lr ud front; a/ud 30x20 135,100 ud front"},
        {"objects crossing each edge",
         "a/left 30x20 -7,40; a/top 30x20 50,-5 ud; a/right 30x20 460,60 lr; a/bottom 30x20 "
         "100,270;"
         "a/corner 30x20 465,268 front; a/gone 30x20 -40,10; a/top_left 30x20 -3,-2 ud"},
        {"same-named objects from different folders",
         "a/box 30x20 10,10; b/box 30x20 50,10; c/BOX 16x12 90,10; a/box 30x20 130,10;"
         "a/dark 10x10 170,10",
         "box.bmp=a/box.bmp box_2.bmp=b/box.bmp BOX_3.bmp=c/BOX.bmp dark_2.bmp=a/dark.bmp"},
        {"full-width and Japanese names",
         "フォルダ/石壁_fl 240x200 4; a/ＡＢＣ箱 30x20 300,200; a/ｶﾅ 30x20 30,30 lr"},
        {"bytes that are no BMP", "a/png 30x20 20,20 png", "png.bmp="},
    };
    for (const auto& c : cases) {
        for (const Background background : {Background::Black, Background::Default}) {
            const bool black = background == Background::Black;
            SCOPED_TRACE(std::string(c.title) + (black ? ", black" : ", default background"));
            const test::TempFolder parts, out;
            const Scene scene = makeScene(c.parts, parts.path().string());
            const ExportResult r = exportTemplate(
                scene, {out.path().string(), AreaMode::NewFile, "7", "", background});
            ASSERT_TRUE(r.ok()) << static_cast<int>(r.code) << " " << r.file;
            if (!c.files.empty()) {
                // Every file written, "name=" the part file it is a byte copy of.
                std::istringstream in(std::string("Area7.wid= Summary.wsm= ") +
                                      (black ? "dark.bmp= " : "") + c.files);
                std::set<std::string> written;
                for (const std::string& name : out.entries()) {
                    std::string copied;
                    for (const auto& p :
                         std::filesystem::recursive_directory_iterator(parts.path()))
                        if (test::fileBytes(p.path().string()) == test::fileBytes(out.file(name)))
                            copied = std::filesystem::relative(p.path(), parts.path()).string();
                    written.insert(name + "=" + copied);
                }
                EXPECT_EQ(written,
                          std::set<std::string>(std::istream_iterator<std::string>(in), {}));
            }
            EXPECT_EQ(engineShows(out.path().string(), "Area7.wid", scene.canvas, black),
                      std::tuple(0, 0, black, black));
        }
    }
}

// A door, a dead end at (0,1), rock at (1,1); the start at (0,0) facing north.
constexpr const char* kSmallDungeon = "+-+-+-+-+\n"
                                      "|^ .D. .|\n"
                                      "+ +-+ +-+\n"
                                      "|.|#|. .|\n"
                                      "+-+-+-+-+\n";

// A part of each role on disk, small enough that a card's picture outweighs it.
struct DungeonParts {
    test::TempFolder folder;
    DungeonPack pack;
    DungeonMap map;

    DungeonParts() {
        EXPECT_TRUE(parseTextMap(kSmallDungeon, "nul.小迷宮", map).ok()); // a device name
        // In role order: two names alike ("door"), pixels not; one ending in
        // capitals; the near front door past the view.
        const char* const names[] = {"floor_ug",     "wall_fl", "b/door",     "wall_fr", "door_fr",
                                     "wall_bl",      "a/door",  "wall_br",    "door_br", "ob_near",
                                     "ob_near_door", "ob_far",  "ob_far_door"};
        const int places[][4] = {{90, 60, 0, 0},     {80, 90, 0, 0},     {80, 90, 0, 0},
                                 {80, 90, 0, 0},     {80, 90, 0, 0},     {60, 70, 0, 0},
                                 {60, 70, 0, 0},     {60, 70, 0, 0},     {60, 70, 0, 0},
                                 {70, 60, 180, 100}, {70, 60, 420, 240}, {50, 40, 200, 110},
                                 {50, 40, 200, 110}};
        for (std::size_t r = 0; r < kPartRoleCount; ++r) {
            const auto& [w, h, x, y] = places[r];
            const std::string path = folder.file(names[r] + std::string(r == 3 ? ".BMP" : ".bmp"));
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            EXPECT_TRUE(writeFileAtomically(path, encodeBmp24(test::part(w, h, int(r) + 1))).ok());
            pack.parts[r] = PackPart{path, x, y};
        }
    }

    static PartImagePtr load(const std::string& path, PartKind kind) {
        return makePartImage(
            [](const std::string& file, Picture& out) {
                return decodeBmp24(test::fileBytes(file), out).ok();
            },
            path, kind);
    }

    DungeonResult exportTo(const std::string& into, bool flatten = false) const {
        DungeonRequest request;
        request.folder = into;
        request.mapFile = "small.txt";
        request.packFile = "pack.json";
        request.flatten = flatten;
        request.threads = 2;
        return exportDungeon(map, pack, load, request);
    }
};

TEST(EngineView, EveryAreaOfADungeonWalksTheMapAndShowsItsView) {
    const DungeonParts parts;
    const std::vector<Square> squares = parts.map.floorSquares();
    ASSERT_EQ(squares.size(), 7u);
    const auto areaOf = [&](Square s, Facing d) {
        const auto it = std::find(squares.begin(), squares.end(), s);
        return 1 + 4 * static_cast<int>(it - squares.begin()) + static_cast<int>(d);
    };
    const Bytes arrows[] = {
        encodeBmp24(cardPicture(Move::Forward)), encodeBmp24(cardPicture(Move::TurnLeft)),
        encodeBmp24(cardPicture(Move::TurnRight)), encodeBmp24(cardPicture(Move::TurnAround))};
    for (const bool flatten : {false, true}) {
        SCOPED_TRACE(flatten ? "flattened" : "parts");
        const test::TempFolder out;
        const std::string into = out.file("new/scenario");
        const DungeonResult r = parts.exportTo(into, flatten);
        ASSERT_TRUE(r.ok()) << static_cast<int>(r.code) << " " << r.file;
        EXPECT_EQ(test::fileBytes(into + "/Summary.wsm"), summaryBytes(1));
        for (const auto& e : std::filesystem::directory_iterator(into))
            EXPECT_FALSE(isReservedWindowsName(e.path().filename().string())) << e.path();
        EXPECT_EQ(std::filesystem::exists(into + "/wall_fr.bmp"), !flatten); // from wall_fr.BMP
        for (const Square s : squares)
            for (const Facing f : {Facing::North, Facing::East, Facing::South, Facing::West}) {
                const int n = areaOf(s, f);
                SCOPED_TRACE(n);
                const EngineArea area = readArea(test::fileBytes(into + "/" + areaFileName(n)));
                EXPECT_EQ(area.number, n);
                EXPECT_EQ(area.name, dungeonAreaName("nul.小迷宮", s, f));
                EXPECT_EQ(area.spread, 0);
                // Forward only through an open edge or a door.
                std::vector<std::tuple<std::string, int, Bytes>> expected;
                if (parts.map.edge(s, f) != Edge::Wall)
                    expected.emplace_back(kForwardCard, areaOf(DungeonMap::step(s, f), f),
                                          arrows[0]);
                expected.emplace_back(kTurnLeftCard, areaOf(s, turnLeft(f)), arrows[1]);
                expected.emplace_back(kTurnRightCard, areaOf(s, turnRight(f)), arrows[2]);
                expected.emplace_back(kTurnAroundCard, areaOf(s, turnAround(f)), arrows[3]);
                std::vector<std::tuple<std::string, int, Bytes>> cards;
                for (const EngineCard& c : area.cards) {
                    const bool startThenChange = c.trees.size() == 1 && c.trees[0].type == 0 &&
                                                 c.trees[0].children.size() == 1 &&
                                                 c.trees[0].children[0].type == 5 &&
                                                 c.trees[0].children[0].children.empty();
                    EXPECT_EQ(std::tie(c.description, c.flag, c.imagePath, c.events, c.scale,
                                       c.left, c.top, c.ignitions, startThenChange),
                              std::make_tuple("", "", "", 1, 100, 0, 0, std::vector<int>{1}, true));
                    cards.emplace_back(c.name, startThenChange ? c.trees[0].children[0].area : 0,
                                       c.image);
                }
                EXPECT_EQ(cards, expected);

                // Composed by hand: terrain in its slots, fronts as objects flagged "F".
                const ViewRoles view = viewAt(parts.map, s, f);
                Scene scene;
                for (int slot = 1; slot <= kSlotCount; ++slot)
                    if (const auto role = view.terrain[std::size_t(slot - 1)]) {
                        const std::string& path = parts.pack.part(*role)->path;
                        scene.slot(slot) = {path, path,
                                            DungeonParts::load(path, PartKind::Terrain)};
                    }
                for (const PartRole role : view.objects) {
                    const PackPart& p = *parts.pack.part(role);
                    const PartImagePtr image = DungeonParts::load(p.path, PartKind::Object);
                    scene.objects.push_back(
                        {"", "", p.x, p.y, Layer::BehindFront, false, false, image, image});
                }
                recompose(scene);
                EXPECT_EQ(engineShows(into, areaFileName(n), scene.canvas, true),
                          std::tuple(0, 0, true, true));
            }
    }
    const Picture forward = readBmp(arrows[0]).value_or(Picture());
    EXPECT_EQ(std::pair(forward.width(), forward.height()), std::pair(kCardWidth, kCardHeight));
}

// Everything in a folder, by name: what a failed run must leave as it found it.
std::map<std::string, Bytes> contents(const std::filesystem::path& folder) {
    std::map<std::string, Bytes> files;
    if (std::filesystem::exists(folder))
        for (const auto& e : std::filesystem::directory_iterator(folder))
            files[e.path().filename().string()] = test::fileBytes(e.path().string());
    return files;
}

TEST(EngineView, ADungeonFailingHalfWayLeavesTheFolderAsItWas) {
    const DungeonParts parts;
    const std::string door = parts.pack.part(PartRole::FarFrontDoor)->path;
    // A full disk into a new folder or an existing one, then a part gone.
    for (const int run : {0, 1, 2}) {
        SCOPED_TRACE(run);
        const test::TempFolder out;
        const std::string into = out.file("scenario");
        if (run > 0) {
            std::filesystem::create_directory(into);
            // A part copy the run replaces, and a file it does not touch.
            ASSERT_TRUE(writeFileAtomically(into + "/floor_ug.bmp", test::bytesOf("old")).ok());
            ASSERT_TRUE(writeFileAtomically(into + "/notes.txt", test::bytesOf("mine")).ok());
        }
        const std::map<std::string, Bytes> before = contents(into);
        const test::InjectedFailureReset reset;
        // The summary, the parts and dark.bmp go through; the first area file,
        // with its card pictures, fails.
        testing::injectWriteFailure(ENOSPC, 30000);
        if (run == 2)
            std::filesystem::remove(door);
        const DungeonResult r = parts.exportTo(into);
        EXPECT_EQ(std::tie(r.code, r.file, r.error),
                  run < 2 ? std::tuple(StatusCode::DungeonWriteFailed, into + "/Area1.wid", ENOSPC)
                          : std::tuple(StatusCode::PartUnreadable, door, 0));
        EXPECT_EQ(contents(into), before);
        EXPECT_EQ(std::filesystem::exists(into), run > 0);
    }
}

} // namespace
} // namespace tarn
