#include "objects/object_list.h"
#include "scene/compose.h"
#include "scene/mask.h"
#include "scene/part_names.h"
#include "scene/terrain_edit.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace tarn {
namespace {

constexpr Rgb kKey{10, 20, 30}, kRed{200, 0, 0}, kBlue{0, 0, 200};

TEST(Scene, PixelArrayMasksAndFlips) {
    PixelArray work(20, 0xDEADBEEFu); // stale contents and size must not survive
    const Picture p = test::pictureOf(
        3, 2, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}});
    EXPECT_EQ(getbits(p, work), 6);
    // Bottom row first, blue in the low byte: the top-left (1, 2, 3) is element 3.
    EXPECT_EQ(work,
              (PixelArray{0x0A0B0Cu, 0x0D0E0Fu, 0x101112u, 0x010203u, 0x040506u, 0x070809u, 0u}));

    // Keys off array element 0, colours one channel off the key, the work array reused each time.
    const Rgb others[] = {{11, 20, 30}, {10, 21, 30}, {10, 20, 29}, kRed, kBlue};
    Scene scene;
    for (int w = 4; w >= 1; --w)
        for (int h = 4; h >= 1; --h) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h);
            Picture before(w, h), picture(w, h), mask(w, h), walkedMask(w, h, kRed);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool key = (x + 2 * y) % 3 == 0;
                    before.setPixel(x, y, key ? kKey : others[(y * w + x) % 5]);
                    picture.setPixel(x, y, key ? kWhite : before.pixel(x, y));
                    mask.setPixel(x, y, key ? kWhite : kBlack);
                }
            ASSERT_TRUE(chooseTerrainPart(scene, 1, "p", "/p/p.bmp", before, work));
            EXPECT_EQ(scene.slot(1).picture(), picture);
            EXPECT_EQ(scene.slot(1).mask(), mask);
            makemask(before, walkedMask, w, h);
            EXPECT_EQ(before, picture);
            EXPECT_EQ(walkedMask, mask);

            const Picture original = test::patterned(w, h);
            for (const std::int16_t type : {1, 2}) {
                Picture once(w, h), inPlace = original;
                flippic(original, w, h, once, type);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        EXPECT_EQ(once.pixel(x, y), type == 1 ? original.pixel(w - 1 - x, y)
                                                              : original.pixel(x, h - 1 - y));
                flippic(inPlace, w, h, inPlace, type);
                EXPECT_EQ(inPlace, once);
            }
        }
}

// The two raster operations applied literally, one byte at a time.
Picture literalCopy(Picture d, const Picture& p, const Mask& m, long x, long y, int w, int h) {
    for (int v = 0; v < std::min({h, p.height(), m.height()}); ++v)
        for (int u = 0; u < std::min({w, p.width(), m.width()}) * 3; ++u)
            if (x * 3 + u >= 0 && y + v >= 0 && x * 3 + u < d.width() * 3 && y + v < d.height()) {
                std::uint8_t& c = d.row(int(y + v))[x * 3 + u];
                c = std::uint8_t(p.row(v)[u] ^ (m.row(v)[u] & ~c));
            }
    return d;
}

TEST(Scene, MaskedCopyAppliesTheTwoOperationsAndClips) {
    // Breaks the rule: red 0x33 ^ (0xFF & ~0x0F), green 0x33 ^ 0, blue 0xAA ^ (0x0F & ~0x55).
    Picture one(1, 1, Rgb{0x0F, 0xF0, 0x55});
    maskedCopy(one, Picture(1, 1, {0x33, 0x33, 0xAA}), Mask(1, 1, {0xFF, 0, 0x0F}), 0, 0, 1, 1);
    EXPECT_EQ(one.pixel(0, 0), (Rgb{0xC3, 0x33, 0xA0}));
    // Each edge, corner and far off; sizes past the part, below it, empty; small masks; wide rows.
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

TEST(Scene, PaintersOrder) {
    const Rgb ground{0, 200, 0}, backLeft{200, 0, 0}, backRight{0, 0, 200}, frontLeft{200, 200, 0},
        frontRight{0, 200, 200}, behind{50, 50, 50}, front{90, 0, 90}, later{9, 99, 199};
    // Slots at (80, 80), (0, 0), (240, 0), (0, 80), (240, 80); front left open at x 90..99.
    const Picture slots[] = {part(200, 100, ground), part(100, 100, backLeft),
                             part(100, 100, backRight), part(100, 50, frontLeft, 90, 100),
                             part(100, 50, frontRight)};
    Scene scene;
    PixelArray work;
    for (int slot = 1; slot <= 5; ++slot)
        ASSERT_TRUE(chooseTerrainPart(scene, slot, "p", "/p", slots[slot - 1], work));
    const Layer F = Layer::BehindFront, T = Layer::InFront;
    const auto addObject = [&](int x, int y, Picture p, Layer layer) {
        scene.objects.push_back({"", "", x, y, layer, false, false, {}, objectImage(std::move(p))});
    };
    addObject(260, 70, part(40, 20, behind), F); // x 260..299, y 70..89
    addObject(80, 100, part(30, 20, behind), F); // x 80..109, y 100..119
    addObject(230, 70, part(20, 20, front), T);  // x 230..249
    addObject(235, 75, part(10, 10, later), T);  // x 235..244, y 75..84
    recompose(scene);
    const auto at = [&](int x, int y) { return scene.canvas.pixel(x, y); };
    EXPECT_EQ(at(95, 85), backLeft);    // over the ground, through front left's hole
    EXPECT_EQ(at(85, 85), frontLeft);   // over back left and the ground
    EXPECT_EQ(at(245, 5), backRight);   // alone
    EXPECT_EQ(at(265, 75), behind);     // F over back right
    EXPECT_EQ(at(265, 85), frontRight); // F under front right
    EXPECT_EQ(at(85, 105), frontLeft);  // F under front left
    EXPECT_EQ(at(95, 105), behind);     // F through front left's hole
    EXPECT_EQ(at(245, 87), front);      // T over front right
    EXPECT_EQ(at(230, 72), front);      // T over black
    EXPECT_EQ(at(240, 80), later);      // later row over earlier row
}

// "ob" prefix or "_ob_" tag first, then "_ug_", then the code before the first "."; case counts.
TEST(Scene, MakelistSortsPartsByTheNameRules) {
    const std::array<std::vector<std::string>, 7> lists{{
        {"ob_barrel.BMP", "ob.bmp", "object_fl.bmp", "a_ob_x.bmp", "_ob_.bmp", "ob_ug_.bmp"},
        {"stone_ug.bmp", "a_ug_b.bmp", "x_ug_fl.bmp"},
        {"stone_bl.bmp"},
        {"stone_br.BMP"},
        {"stone_fl.bmp", "Ob_fl.bmp", "xob_fl.bmp", "x_cd_ug_fl.bmp", "a_fl.x.bmp", "fl.bmp"},
        {"stone_fr.BMP"},
        {"stone_fl.Bmp", "stone_fl.bmP", "stone_fl.jpg", "stone_fl.bmp.txt", "stone_fl",
         "wall_FL.bmp", "wall_Fl.bmp", "Ob_x.bmp", "ab_cd_ob_.bmp", "wall.fl.bmp", "x.bmp", "x.BMP",
         "a.fl.bmp", ".fl.bmp", ".bmp", "bmp", "ob", ""}, // in no list
    }};
    std::vector<std::string> files;
    for (const auto& list : lists)
        files.insert(files.end(), list.begin(), list.end());
    const PartLists got = makelist(files);
    for (std::size_t i = 0; i < got.size(); ++i) {
        std::vector<std::string> names;
        for (const PartEntry& e : got[i])
            names.push_back(e.fileName);
        EXPECT_EQ(names, lists[i]) << "list " << i;
    }
    EXPECT_EQ(trimpath("/home/parts/"), "/home/parts");
    EXPECT_EQ(trimpath("/"), "");
}

} // namespace
} // namespace tarn
