#include "scene/compose.h"
#include "scene/mask.h"
#include "scene/part_names.h"
#include "scene/terrain_edit.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <vector>

namespace tarn {
namespace {

constexpr Rgb kKey{10, 20, 30}, kRed{200, 0, 0}, kBlue{0, 0, 200};

// Keys not at the bottom-left of 2 or 3 high pictures (array element 0), colours one
// off the key; the work array reused from larger parts to smaller, as the window does.
TEST(Scene, MaskFormsAndFlipsOnSizes1To4) {
    const Rgb others[] = {{11, 20, 30}, {10, 21, 30}, {10, 20, 29}, kRed, kBlue};
    Scene scene;
    PixelArray work;
    for (int w = 4; w >= 1; --w)
        for (int h = 4; h >= 1; --h) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            Picture before(w, h), picture(w, h), mask(w, h), walkedMask(w, h, kRed);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool key = (x + 2 * y) % 3 == 0;
                    before.setPixel(x, y, key ? kKey : others[(y * w + x) % 5]);
                    picture.setPixel(x, y, key ? kWhite : before.pixel(x, y));
                    mask.setPixel(x, y, key ? kWhite : kBlack);
                }
            Picture walked = before;
            makemask(walked, walkedMask, w, h);
            EXPECT_EQ(walked, picture);
            EXPECT_EQ(walkedMask, mask);
            ASSERT_TRUE(chooseTerrainPart(scene, 1, "p", "/p/p.bmp", before, work));
            EXPECT_EQ(scene.slot(1).picture, picture);
            EXPECT_EQ(scene.slot(1).mask, mask);

            const Picture original = test::patterned(w, h);
            for (const std::int16_t type : {1, 2}) {
                Picture once(w, h), twice(w, h), inPlace = original;
                flippic(original, w, h, once, type);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        EXPECT_EQ(once.pixel(x, y), type == 1 ? original.pixel(w - 1 - x, y)
                                                              : original.pixel(x, h - 1 - y));
                flippic(once, w, h, twice, type);
                EXPECT_EQ(twice, original);
                flippic(inPlace, w, h, inPlace, type);
                EXPECT_EQ(inPlace, once);
            }
        }
}

TEST(Scene, PixelArrayOfThreeByTwo) {
    const Picture p = test::pictureOf(
        3, 2, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}});
    PixelArray array(20, 0xDEADBEEFu); // stale contents and size must not survive
    EXPECT_EQ(getbits(p, array), 6);
    // Bottom row first, blue in the low byte: the top-left (1, 2, 3) is element 3.
    EXPECT_EQ(array,
              (PixelArray{0x0A0B0Cu, 0x0D0E0Fu, 0x101112u, 0x010203u, 0x040506u, 0x070809u, 0u}));
}

// The two raster operations applied literally, one pixel at a time.
Picture literalCopy(Picture d, const Picture& p, const Mask& m, long long x, long long y, int w,
                    int h) {
    const auto op = [](int pc, int mc, int dc) { return std::uint8_t(pc ^ (mc & ~dc)); };
    for (int v = 0; v < std::min({h, p.height(), m.height()}); ++v)
        for (int u = 0; u < std::min({w, p.width(), m.width()}); ++u) {
            if (x + u < 0 || y + v < 0 || x + u >= d.width() || y + v >= d.height())
                continue;
            const int cx = int(x + u), cy = int(y + v);
            const Rgb s = p.pixel(u, v), k = m.pixel(u, v), c = d.pixel(cx, cy);
            d.setPixel(cx, cy, {op(s.r, k.r, c.r), op(s.g, k.g, c.g), op(s.b, k.b, c.b)});
        }
    return d;
}

TEST(Scene, MaskedCopyAppliesTheTwoOperationsAndClips) {
    // A pair that breaks the rule, by hand: red 0x33 ^ (0xFF & ~0x0F), green 0x33 ^ (0 & ~0xF0),
    // blue 0xAA ^ (0x0F & ~0x55).
    Picture one(1, 1, Rgb{0x0F, 0xF0, 0x55});
    maskedCopy(one, Picture(1, 1, Rgb{0x33, 0x33, 0xAA}), Mask(1, 1, Rgb{0xFF, 0, 0x0F}), 0, 0, 1,
               1);
    EXPECT_EQ(one.pixel(0, 0), (Rgb{0xC3, 0x33, 0xA0}));
    // Every edge and corner, far off, sizes past the part, below it and empty, a mask
    // smaller than its picture, widths past one vector block.
    std::mt19937 rng(2024);
    const Picture canvas = test::randomPicture(53, 31, rng);
    for (const auto& [pw, ph, mw, mh] : {std::array{1, 1, 1, 1}, std::array{4, 3, 4, 3},
                                         std::array{37, 9, 30, 12}, std::array{70, 40, 70, 40}}) {
        const Picture p = test::randomPicture(pw, ph, rng);
        const Mask m = test::randomPicture(mw, mh, rng);
        for (const int x : {INT_MIN, -70, -3, 0, 5, 50, 53, INT_MAX})
            for (const int y : {INT_MIN, -40, -2, 0, 7, 29, 31, INT_MAX})
                for (const auto& [w, h] : {std::pair{pw, ph}, std::pair{pw + 99, ph + 99},
                                           std::pair{2, 2}, std::pair{0, ph}, std::pair{pw, -1}}) {
                    Picture d = canvas;
                    maskedCopy(d, p, m, x, y, w, h);
                    ASSERT_EQ(d, literalCopy(canvas, p, m, x, y, w, h))
                        << pw << "x" << ph << " as " << w << "x" << h << " at " << x << "," << y;
                }
    }
}

// One colour, key colour at the corner and in columns [holeFrom, holeTo).
Picture part(int w, int h, Rgb colour, int holeFrom = 0, int holeTo = 0) {
    Picture p(w, h, colour);
    for (int y = 0; y < h; ++y)
        for (int x = holeFrom; x < holeTo; ++x)
            p.setPixel(x, y, kKey);
    p.setPixel(0, 0, kKey);
    return p;
}

void addObject(Scene& scene, const char* x, const char* y, Picture p, const char* flag) {
    Mask m(p.width(), p.height());
    makemask(p, m, p.width(), p.height());
    scene.objects.push_back({"ob", x, y, flag, "", p, m});
}

TEST(Scene, PaintersOrderAndTerrainEditing) {
    const Rgb ground{0, 200, 0}, backLeft{200, 0, 0}, backRight{0, 0, 200}, frontLeft{200, 200, 0},
        frontRight{0, 200, 200}, behind{50, 50, 50}, front{90, 0, 90}, later{9, 99, 199};
    Scene scene;
    PixelArray work;
    // Slots at (80, 80), (0, 0), (240, 0), (0, 80), (240, 80); front left open at x 90..99.
    ASSERT_TRUE(chooseTerrainPart(scene, 1, "p", "/p", part(200, 100, ground), work));
    ASSERT_TRUE(chooseTerrainPart(scene, 2, "p", "/p", part(100, 100, backLeft), work));
    ASSERT_TRUE(chooseTerrainPart(scene, 3, "p", "/p", part(100, 100, backRight), work));
    ASSERT_TRUE(chooseTerrainPart(scene, 4, "p", "/p", part(100, 50, frontLeft, 90, 100), work));
    ASSERT_TRUE(chooseTerrainPart(scene, 5, "p", "/p", part(100, 50, frontRight), work));
    addObject(scene, "260", " 70 ", part(40, 20, behind), "F"); // x 260..299, y 70..89
    addObject(scene, "80", "100.4", part(30, 20, behind), "F"); // x 80..109, y 100..119
    addObject(scene, "230.5", "70", part(20, 20, front), "T");  // halves to even: x 230..249
    addObject(scene, "235", "75", part(10, 10, later), "T");    // x 235..244, y 75..84
    for (const char* flag : {"", "f", "t", "F ", " T", "FT"})
        addObject(scene, "400", "200", part(5, 5, kWhite), flag); // never drawn
    recompose(scene);
    const auto at = [&](int x, int y) { return scene.canvas.pixel(x, y); };
    EXPECT_EQ(at(95, 85), backLeft);    // over the ground, through front left's hole
    EXPECT_EQ(at(85, 85), frontLeft);   // over back left and the ground
    EXPECT_EQ(at(260, 150), ground);    // alone
    EXPECT_EQ(at(245, 5), backRight);   // alone
    EXPECT_EQ(at(265, 75), behind);     // F over back right
    EXPECT_EQ(at(265, 85), frontRight); // F under front right
    EXPECT_EQ(at(85, 105), frontLeft);  // F under front left
    EXPECT_EQ(at(95, 105), behind);     // F through front left's hole
    EXPECT_EQ(at(245, 87), front);      // T over front right
    EXPECT_EQ(at(230, 72), front);      // T over black
    EXPECT_EQ(at(240, 80), later);      // later row over earlier row
    EXPECT_EQ(at(402, 202), kBlack);    // other flags
    const Picture first = scene.canvas;
    scene.canvas.fill(kRed); // an effect: gone at the next rebuild
    recompose(scene);
    EXPECT_EQ(scene.canvas, first);

    const Slot before = scene.slot(3);
    EXPECT_FALSE(chooseTerrainPart(scene, 3, "new", "/p/new.bmp", Picture(), work)); // not loaded
    EXPECT_EQ(scene.slot(3).picture, before.picture);
    EXPECT_EQ(scene.canvas, first);
    EXPECT_FALSE(clearSlot(scene, 0)); // no such slot

    ASSERT_TRUE(clearSlot(scene, 3));
    EXPECT_EQ(scene.slot(3).name + scene.slot(3).path, "");
    EXPECT_EQ(at(245, 5), kBlack);
    EXPECT_EQ(at(265, 75), behind);     // F still drawn with slot 3 empty
    EXPECT_EQ(at(265, 85), frontRight); // and still under front right

    clearAll(scene);
    EXPECT_EQ(at(85, 85), kBlack);
    EXPECT_EQ(at(240, 80), later); // objects stay, slots are gone
}

// Objects first (prefix "ob" or tag "_ob_"), then tag "_ug_", then the code before
// the first "."; exact and case-sensitive. Each list keeps the file order.
TEST(Scene, MakelistSortsPartsByTheNameRules) {
    const std::array<std::vector<std::string>, 6> lists{{
        {"ob_barrel.BMP", "ob.bmp", "object_fl.bmp", "a_ob_x.bmp", "_ob_.bmp", "ob_ug_.bmp"},
        {"stone_ug.bmp", "a_ug_b.bmp", "x_ug_fl.bmp"},
        {"stone_bl.bmp"},
        {"stone_br.BMP"},
        {"stone_fl.bmp", "Ob_fl.bmp", "xob_fl.bmp", "x_cd_ug_fl.bmp", "a_fl.x.bmp", "fl.bmp"},
        {"stone_fr.BMP"},
    }};
    std::vector<std::string> files;
    for (const char* unlisted :
         {"stone_fl.Bmp", "stone_fl.bmP", "stone_fl.jpg", "stone_fl.bmp.txt", "stone_fl",
          "wall_FL.bmp", "wall_Fl.bmp", "Ob_x.bmp", "ab_cd_ob_.bmp", "wall.fl.bmp", "x.bmp",
          "x.BMP", "a.fl.bmp", ".fl.bmp", ".bmp", "bmp", "ob", ""})
        files.push_back(unlisted);
    for (const auto& list : lists)
        files.insert(files.end(), list.begin(), list.end());
    const PartLists got = makelist(files);
    for (std::size_t i = 0; i < got.size(); ++i) {
        std::vector<std::string> names;
        for (const PartEntry& e : got[i]) {
            names.push_back(e.fileName);
            EXPECT_EQ(e.entry, e.fileName.substr(0, e.fileName.size() - 4));
        }
        EXPECT_EQ(names, lists[i]) << "list " << i;
    }
    EXPECT_EQ(trimpath("/home/parts/"), "/home/parts");
    EXPECT_EQ(trimpath("/"), "");
}

} // namespace
} // namespace tarn
