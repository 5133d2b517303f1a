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
#include <fstream>
#include <functional>
#include <iconv.h>
#include <map>
#include <optional>
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
    if (width <= 0 || height <= 0 || getU32le(b, 30) != 0)
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
            std::size_t at = 0;
            if (bits == 24) {
                at = row + static_cast<std::size_t>(x) * 3;
            } else if (bits == 8 || bits == 4) {
                const std::uint8_t byte = b[row + static_cast<std::size_t>(x) * bits / 8];
                const int index = bits == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 15);
                at = palette + static_cast<std::size_t>(index) * 4;
            } else {
                return std::nullopt;
            }
            p.setPixel(x, y, {b[at + 2], b[at + 1], b[at]});
        }
    }
    return p;
}

std::string fromCp932(const std::string& bytes) {
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
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
        c.name = text();
        number();
        c.description = text();
        c.events = number();
        for (int e = 0; e < c.events; ++e) {
            const int trees = number();
            for (int t = 0; t < trees; ++t)
                c.trees.push_back(content());
            const int ignitions = number();
            for (int k = 0; k < ignitions; ++k)
                c.ignitions.push_back(number());
            EXPECT_EQ(text(), ""); // key codes
        }
        c.flag = text();
        c.scale = number();
        c.left = number();
        c.top = number();
        c.imagePath = text();
        area.cards.push_back(c);
    }
    const int count = number();
    for (int i = 0; i < count; ++i) {
        EngineCell c{};
        c.left = number();
        c.top = number();
        c.width = number() - 40000;
        c.height = number();
        c.file = text();
        c.masked = b[at++] != 0;
        EXPECT_EQ(text(), ""); // flag
        ++at;
        area.cells.push_back(c);
    }
    EXPECT_EQ(at, b.size());
    return area;
}

struct EngineView {
    Picture area{kAreaWidth, kAreaHeight};
    std::vector<bool> byPart; // drawn by a part's cell, not the background
    bool backgroundKnown = false;
};

EngineView drawArea(const std::string& folder, const std::string& areaFile) {
    EngineView view;
    view.byPart.assign(kAreaWidth * kAreaHeight, false);
    const std::vector<EngineCell> cells = readArea(test::fileBytes(folder + "/" + areaFile)).cells;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const EngineCell& c = cells[i];
        const std::optional<Picture> image = readBmp(test::fileBytes(folder + "/" + c.file));
        if (i == 0 && !image)
            continue; // the engine's own default picture, which we do not have
        if (i == 0)
            view.backgroundKnown = true;
        EXPECT_TRUE(image) << c.file;
        if (!image)
            continue;
        const Rgb clear = image->pixel(0, 0);
        for (int v = 0; v < c.height; ++v)
            for (int u = 0; u < c.width; ++u) {
                const int x = c.left + u;
                const int y = c.top + v;
                const Rgb colour =
                    image->pixel(u * image->width() / c.width, v * image->height() / c.height);
                if (x < 0 || y < 0 || x >= kAreaWidth || y >= kAreaHeight ||
                    (c.masked && colour == clear))
                    continue;
                view.area.setPixel(x, y, colour);
                view.byPart[static_cast<std::size_t>(y * kAreaWidth + x)] = i > 0;
            }
    }
    return view;
}

struct Comparison {
    int differing = 0;
    int outsideDrawn = 0;
    int compared = 0;
};

// The engine's area against the canvas: inside the view, pixel by pixel (over
// the default background only where parts cover it); outside, nothing drawn.
Comparison compare(const EngineView& view, const Picture& canvas, bool black) {
    Comparison c;
    for (int y = 0; y < kAreaHeight; ++y)
        for (int x = 0; x < kAreaWidth; ++x) {
            const bool byPart = view.byPart[static_cast<std::size_t>(y * kAreaWidth + x)];
            const int cx = x - kViewLeft;
            const int cy = y - kViewTop;
            if (!canvas.contains(cx, cy)) {
                c.outsideDrawn += byPart;
                continue;
            }
            if (!black && !byPart)
                continue;
            ++c.compared;
            c.differing += view.area.pixel(x, y) != canvas.pixel(cx, cy);
        }
    return c;
}

// A part on disk and in the scene.
struct PartSpec {
    std::string name;
    std::string folder = "a"; // under the parts folder
    Picture picture;
    int slot = 0; // 1-5, or 0 for an object
    int x = 0, y = 0;
    bool lr = false, ud = false, inFront = false;
    bool notBmp = false; // PNG bytes under the ".bmp" name
};

struct SceneCase {
    const char* title;
    std::vector<PartSpec> parts;
    // Where given, every part file exported: its name, and the source of which
    // it is a byte copy (parts shown as they are) or "" (made for the area).
    std::vector<std::pair<std::string, std::string>> files = {};
};

std::vector<SceneCase> cases() {
    using P = PartSpec;
    using test::part;
    const Picture box = part(30, 20, 1);
    return {
        {"all five slots empty", {}, {}},
        {"standard terrain, front walls past the view",
         {P{"床_ug", "a", part(320, 160, 2), 1}, P{"wall_bl", "a", part(240, 160, 3), 2},
          P{"wall_br", "a", part(240, 160, 4), 3}, P{"wall_fl", "a", part(240, 200, 5), 4},
          P{"wall_fr", "a", part(240, 200, 6), 5}},
         {{"床_ug.bmp", "a/床_ug.bmp"},
          {"wall_bl.bmp", "a/wall_bl.bmp"},
          {"wall_br_0-0-238x160.bmp", ""},
          {"wall_fl_0-0-240x198.bmp", ""},
          {"wall_fr_0-0-238x198.bmp", ""}}},
        {"terrain of other sizes",
         {P{"g_ug", "a", part(300, 150, 7), 1}, P{"small_bl", "a", part(100, 50, 8), 2},
          P{"big_fr", "a", part(250, 210, 9), 5}}},
        {"mirrored objects both ways, later rows over earlier ones",
         {P{"wall_fl", "a", part(240, 200, 5), 4}, P{"lr", "a", box, 0, 10, 90, true},
          P{"ud", "a", box, 0, 25, 100, false, true},
          P{"both", "a", box, 0, 120, 110, true, true, true},
          P{"ud", "a", box, 0, 135, 100, false, true, true}}},
        {"objects crossing each edge",
         {P{"left", "a", box, 0, -7, 40}, P{"top", "a", box, 0, 50, -5, false, true},
          P{"right", "a", box, 0, 460, 60, true}, P{"bottom", "a", box, 0, 100, 270},
          P{"corner", "a", box, 0, 465, 268, false, false, true}, P{"gone", "a", box, 0, -40, 10},
          P{"top_left", "a", box, 0, -3, -2, false, true}}},
        {"same-named objects from different folders",
         {P{"box", "a", box, 0, 10, 10}, P{"box", "b", part(30, 20, 11), 0, 50, 10},
          P{"BOX", "c", part(16, 12, 12), 0, 90, 10}, P{"box", "a", box, 0, 130, 10},
          P{"dark", "a", part(10, 10, 13), 0, 170, 10}},
         {{"box.bmp", "a/box.bmp"},
          {"box_2.bmp", "b/box.bmp"},
          {"BOX_3.bmp", "c/BOX.bmp"},
          {"dark_2.bmp", "a/dark.bmp"}}},
        {"full-width and Japanese names",
         {P{"石壁_fl", "フォルダ", part(240, 200, 14), 4}, P{"ＡＢＣ箱", "a", box, 0, 300, 200},
          P{"ｶﾅ", "a", box, 0, 30, 30, true}}},
        {"bytes that are no BMP",
         {P{"png", "a", box, 0, 20, 20, false, false, false, true}},
         {{"png.bmp", ""}}},
    };
}

// Builds the scene the way the document does and writes its part files.
Scene makeScene(const SceneCase& c, const std::string& partsRoot) {
    Scene scene;
    PixelArray work;
    for (const PartSpec& p : c.parts) {
        const std::filesystem::path dir = std::filesystem::path(partsRoot) / p.folder;
        std::filesystem::create_directories(dir);
        const std::string path = (dir / (p.name + ".bmp")).string();
        const Bytes bytes =
            p.notBmp ? test::bytesOf("\x89PNG\r\n\x1A\n not really") : encodeBmp24(p.picture);
        EXPECT_TRUE(writeFileAtomically(path, bytes).ok());
        if (p.slot > 0) {
            scene.slot(p.slot) = {p.name, path, terrainImage(p.picture, work)};
            continue;
        }
        const PartImagePtr source = objectImage(p.picture);
        scene.objects.push_back({p.name, path, p.x, p.y,
                                 p.inFront ? Layer::InFront : Layer::BehindFront, p.lr, p.ud,
                                 source, mirroredImage(source, p.lr, p.ud)});
    }
    recompose(scene);
    return scene;
}

TEST(EngineView, ShowsExactlyTheCanvasInsideTheViewAndOnlyBackgroundOutside) {
    for (const SceneCase& c : cases()) {
        for (const Background background : {Background::Black, Background::Default}) {
            const bool black = background == Background::Black;
            SCOPED_TRACE(std::string(c.title) + (black ? ", black" : ", default background"));
            const test::TempFolder parts;
            const test::TempFolder out;
            const Scene scene = makeScene(c, parts.path().string());
            const ExportResult r = exportTemplate(
                scene, {out.path().string(), AreaMode::NewFile, "7", "", background});
            ASSERT_TRUE(r.ok()) << static_cast<int>(r.code) << " " << r.file;
            if (!c.files.empty()) {
                std::vector<std::string> names{"Area7.wid", "Summary.wsm"};
                if (black)
                    names.push_back(kDarkBackgroundName);
                for (const auto& [name, source] : c.files) {
                    names.push_back(name);
                    if (!source.empty())
                        EXPECT_EQ(test::fileBytes(out.file(name)),
                                  test::fileBytes(parts.file(source)));
                    else
                        EXPECT_NE(test::fileBytes(out.file(name)).size(), 0u);
                }
                std::sort(names.begin(), names.end());
                EXPECT_EQ(out.entries(), names);
            }
            const EngineView view = drawArea(out.path().string(), "Area7.wid");
            EXPECT_EQ(view.backgroundKnown, black);

            const auto [differing, outsideDrawn, compared] = compare(view, scene.canvas, black);
            EXPECT_EQ(differing, 0);
            EXPECT_EQ(outsideDrawn, 0);
            EXPECT_EQ(compared == kCanvasWidth * kCanvasHeight, black);
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
        const struct {
            PartRole role;
            const char* name;
            int w, h, x, y;
        } parts[] = {
            {PartRole::Floor, "floor_ug", 90, 60, 0, 0},
            {PartRole::FarLeftWall, "wall_bl", 60, 70, 0, 0},
            {PartRole::FarLeftDoor, "a/door", 60, 70, 0, 0}, // two names alike, pixels not
            {PartRole::FarRightWall, "wall_br", 60, 70, 0, 0},
            {PartRole::FarRightDoor, "door_br", 60, 70, 0, 0},
            {PartRole::NearLeftWall, "wall_fl", 80, 90, 0, 0},
            {PartRole::NearLeftDoor, "b/door", 80, 90, 0, 0},
            {PartRole::NearRightWall, "wall_fr", 80, 90, 0, 0},
            {PartRole::NearRightDoor, "door_fr", 80, 90, 0, 0},
            {PartRole::NearFrontWall, "ob_near", 70, 60, 180, 100},
            {PartRole::NearFrontDoor, "ob_near_door", 70, 60, 420, 240}, // past the view
            {PartRole::FarFrontWall, "ob_far", 50, 40, 200, 110},
            {PartRole::FarFrontDoor, "ob_far_door", 50, 40, 200, 110},
        };
        int seed = 0;
        std::filesystem::create_directories(folder.path() / "a");
        std::filesystem::create_directories(folder.path() / "b");
        for (const auto& p : parts) {
            const std::string path = folder.file(std::string(p.name) + ".bmp");
            EXPECT_TRUE(writeFileAtomically(path, encodeBmp24(test::part(p.w, p.h, ++seed))).ok());
            pack.parts[static_cast<std::size_t>(p.role)] = PackPart{path, p.x, p.y};
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
        for (const Square s : squares)
            for (int d = 0; d < 4; ++d) {
                const Facing f = Facing(d);
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
                    EXPECT_EQ(c.ignitions, std::vector<int>{1});
                    EXPECT_EQ(c.trees.size(), 1u);
                    const bool startThenChange = c.trees.size() == 1 && c.trees[0].type == 0 &&
                                                 c.trees[0].children.size() == 1 &&
                                                 c.trees[0].children[0].type == 5 &&
                                                 c.trees[0].children[0].children.empty();
                    EXPECT_TRUE(startThenChange);
                    EXPECT_EQ(std::tie(c.description, c.flag, c.imagePath, c.events, c.scale,
                                       c.left, c.top),
                              std::make_tuple("", "", "", 1, 100, 0, 0));
                    cards.emplace_back(c.name, startThenChange ? c.trees[0].children[0].area : 0,
                                       c.image);
                }
                EXPECT_EQ(cards, expected);

                Scene scene;
                std::string unreadable;
                ASSERT_TRUE(sceneOfView(viewAt(parts.map, s, f), parts.pack, DungeonParts::load,
                                        scene, unreadable));
                const EngineView view = drawArea(into, areaFileName(n));
                const Comparison c = compare(view, scene.canvas, true);
                EXPECT_EQ(c.differing, 0);
                EXPECT_EQ(c.outsideDrawn, 0);
                EXPECT_EQ(c.compared, kCanvasWidth * kCanvasHeight);
            }
    }
    const Bytes card = arrows[0];
    const std::optional<Picture> forward = readBmp(card);
    ASSERT_TRUE(forward);
    EXPECT_EQ(std::make_pair(forward->width(), forward->height()),
              std::make_pair(kCardWidth, kCardHeight));
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
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing folder" : "new folder");
        const test::TempFolder out;
        const std::string into = out.file("scenario");
        if (existing) {
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
        const DungeonResult r = parts.exportTo(into);
        testing::injectWriteFailure(0, 0);
        EXPECT_EQ(r.code, StatusCode::DungeonWriteFailed);
        EXPECT_EQ(r.file, into + "/Area1.wid");
        EXPECT_EQ(r.error, ENOSPC);
        EXPECT_EQ(contents(into), before);
        EXPECT_EQ(std::filesystem::exists(into), existing);
    }
}

} // namespace
} // namespace tarn
