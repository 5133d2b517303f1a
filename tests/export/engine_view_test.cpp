// The exported folder drawn the way the engine draws an area, from what is known
// of the engine alone (not from Tarn's composition): a 632 x 420 area with the
// view at (80, 0); cells drawn in file order, each image scaled nearest-neighbour
// to its cell; a cell with its mask flag on sees through the colour of its own
// image's pixel (0, 0); file names decoded from code page 932.
#include "base/little_endian.h"
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
#include <iconv.h>
#include <optional>

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

// The header fields, then the cells.
std::vector<EngineCell> readArea(const Bytes& b) {
    std::size_t at = 5;
    const auto text = [&] {
        const std::uint32_t n = getU32le(b, at);
        std::string s(b.begin() + static_cast<long>(at) + 4,
                      b.begin() + static_cast<long>(at + 4 + n - 1));
        at += 4 + n;
        return fromCp932(s);
    };
    const auto number = [&] {
        const auto v = static_cast<std::int32_t>(getU32le(b, at));
        at += 4;
        return v;
    };
    text();   // area name
    number(); // area number
    at += 9;
    const int count = number();
    std::vector<EngineCell> cells;
    for (int i = 0; i < count; ++i) {
        EngineCell c{};
        c.left = number();
        c.top = number();
        c.width = number() - 40000;
        c.height = number();
        c.file = text();
        c.masked = b[at] != 0;
        at += 7;
        cells.push_back(c);
    }
    EXPECT_EQ(at, b.size());
    return cells;
}

struct EngineView {
    Picture area{kAreaWidth, kAreaHeight};
    std::vector<bool> byPart; // drawn by a part's cell, not the background
    bool backgroundKnown = false;
};

EngineView drawArea(const std::string& folder, const std::string& areaFile) {
    EngineView view;
    view.byPart.assign(kAreaWidth * kAreaHeight, false);
    const std::vector<EngineCell> cells = readArea(test::fileBytes(folder + "/" + areaFile));
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
        ObjectRow row;
        row.name = p.name;
        row.path = path;
        row.x = p.x;
        row.y = p.y;
        row.layer = p.inFront ? Layer::InFront : Layer::BehindFront;
        row.mirroredLeftRight = p.lr;
        row.mirroredUpDown = p.ud;
        row.source = objectImage(p.picture);
        row.shown = mirroredImage(row.source, p.lr, p.ud);
        scene.objects.push_back(row);
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
            ASSERT_TRUE(r.ok()) << static_cast<int>(r.problem) << " " << r.subject;
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

            int differing = 0, outsideDrawn = 0, compared = 0;
            for (int y = 0; y < kAreaHeight; ++y)
                for (int x = 0; x < kAreaWidth; ++x) {
                    const bool byPart = view.byPart[static_cast<std::size_t>(y * kAreaWidth + x)];
                    const int cx = x - kViewLeft;
                    const int cy = y - kViewTop;
                    if (!scene.canvas.contains(cx, cy)) {
                        outsideDrawn += byPart;
                        continue;
                    }
                    // Over the default background only what the parts cover is known.
                    if (!black && !byPart)
                        continue;
                    ++compared;
                    differing += view.area.pixel(x, y) != scene.canvas.pixel(cx, cy);
                }
            EXPECT_EQ(differing, 0);
            EXPECT_EQ(outsideDrawn, 0);
            EXPECT_EQ(compared == kCanvasWidth * kCanvasHeight, black);
        }
    }
}

} // namespace
} // namespace tarn
