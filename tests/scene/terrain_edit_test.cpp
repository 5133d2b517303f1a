#include "scene/terrain_edit.h"

#include "scene/compose.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tarn {
namespace {

constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kRed{200, 10, 20};
constexpr Rgb kBlue{10, 20, 200};
constexpr Rgb kGreen{30, 180, 40};

// 4 x 3, key colour magenta at (0, 0) and again at (3, 2); the rest red on the
// top row and blue below, so flipped rows or swapped channels show.
Picture asymmetricPart() {
    Picture part(4, 3, kBlue);
    for (int x = 0; x < 4; ++x)
        part.setPixel(x, 0, kRed);
    part.setPixel(0, 0, kMagenta);
    part.setPixel(3, 2, kMagenta);
    return part;
}

struct Corner {
    int slot;
    int x;
    int y;
};

class ChooseInEverySlot : public ::testing::TestWithParam<Corner> {};

TEST_P(ChooseInEverySlot, DrawsOpaquePixelsAtTheSlotCornerAndLeavesKeyPixelsBlack) {
    const Corner c = GetParam();
    Scene scene;
    PixelArray work;
    const Picture part = asymmetricPart();
    ASSERT_TRUE(chooseTerrainPart(scene, c.slot, "stone", "/parts/stone.bmp", part, work));

    const Slot& slot = scene.slot(c.slot);
    EXPECT_EQ(slot.name, "stone");
    EXPECT_EQ(slot.path, "/parts/stone.bmp");
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool key = part.pixel(x, y) == kMagenta;
            SCOPED_TRACE(testing::Message() << "part pixel " << x << "," << y);
            EXPECT_EQ(scene.canvas.pixel(c.x + x, c.y + y), key ? kBlack : part.pixel(x, y));
            EXPECT_EQ(slot.picture.pixel(x, y), key ? kWhite : part.pixel(x, y));
            EXPECT_EQ(slot.mask.pixel(x, y), key ? kWhite : kBlack);
        }
    }
    // Nothing drawn just outside the part.
    EXPECT_EQ(scene.canvas.pixel(c.x + 4, c.y + 1), kBlack);
    EXPECT_EQ(scene.canvas.pixel(c.x + 1, c.y + 3), kBlack);
}

INSTANTIATE_TEST_SUITE_P(Slots, ChooseInEverySlot,
                         ::testing::Values(Corner{1, 80, 80}, Corner{2, 0, 0}, Corner{3, 240, 0},
                                           Corner{4, 0, 80}, Corner{5, 240, 80}),
                         [](const ::testing::TestParamInfo<Corner>& info) {
                             return "slot" + std::to_string(info.param.slot);
                         });

TEST(TerrainEdit, ANewPartReplacesTheOldOneWithoutTraceEvenWithAReusedWorkArray) {
    Scene scene;
    PixelArray work; // kept across choices, as the window keeps it
    ASSERT_TRUE(chooseTerrainPart(scene, 2, "big", "/p/big.bmp", Picture(30, 20, kGreen), work));
    Picture small = asymmetricPart();
    ASSERT_TRUE(chooseTerrainPart(scene, 2, "small", "/p/small.bmp", small, work));

    EXPECT_EQ(scene.slot(2).picture.width(), 4);
    EXPECT_EQ(scene.slot(2).mask.height(), 3);
    EXPECT_EQ(scene.canvas.pixel(1, 0), kRed);
    EXPECT_EQ(scene.canvas.pixel(3, 2), kBlack); // key pixel of the new part
    EXPECT_EQ(scene.canvas.pixel(10, 10), kBlack);
    EXPECT_EQ(scene.canvas.pixel(29, 19), kBlack);
}

TEST(TerrainEdit, AKeyColourFoundOnlyAtTheCornerMakesOnlyThatPixelTransparent) {
    Scene scene;
    PixelArray work;
    Picture part(5, 4, kGreen);
    part.setPixel(0, 0, kRed);
    ASSERT_TRUE(chooseTerrainPart(scene, 4, "one", "/p/one.bmp", part, work));
    EXPECT_EQ(scene.canvas.pixel(0, 80), kBlack);
    int opaque = 0;
    for (int y = 80; y < 84; ++y)
        for (int x = 0; x < 5; ++x)
            opaque += scene.canvas.pixel(x, y) == kGreen;
    EXPECT_EQ(opaque, 19);
}

TEST(TerrainEdit, PartsReachingPastTheCanvasAreCut) {
    Scene scene;
    PixelArray work;
    Picture wide(500, 250, kGreen);
    wide.setPixel(0, 0, kRed); // key colour used nowhere else
    ASSERT_TRUE(chooseTerrainPart(scene, 5, "wide", "/p/wide.bmp", wide, work));
    EXPECT_EQ(scene.canvas.pixel(kCanvasWidth - 1, kCanvasHeight - 1), kGreen);
    EXPECT_EQ(scene.canvas.width(), kCanvasWidth);
    EXPECT_EQ(scene.canvas.height(), kCanvasHeight);
}

TEST(TerrainEdit, ARefusedChoiceLeavesSlotAndCanvasExactlyAsTheyWere) {
    Scene scene;
    PixelArray work;
    ASSERT_TRUE(chooseTerrainPart(scene, 3, "old", "/p/old.bmp", asymmetricPart(), work));
    const Slot before = scene.slot(3);
    const Picture canvasBefore = scene.canvas;

    struct Refused {
        int slot;
        Picture part;
    };
    const std::array<Refused, 4> cases{
        {{3, Picture()}, {0, asymmetricPart()}, {6, asymmetricPart()}, {-1, asymmetricPart()}}};
    for (const Refused& r : cases) {
        SCOPED_TRACE(r.slot);
        EXPECT_FALSE(chooseTerrainPart(scene, r.slot, "new", "/p/new.bmp", r.part, work));
        EXPECT_EQ(scene.slot(3).name, before.name);
        EXPECT_EQ(scene.slot(3).path, before.path);
        EXPECT_EQ(scene.slot(3).picture, before.picture);
        EXPECT_EQ(scene.slot(3).mask, before.mask);
        EXPECT_EQ(scene.canvas, canvasBefore);
    }
    EXPECT_FALSE(clearSlot(scene, 0));
    EXPECT_FALSE(clearSlot(scene, 6));
    EXPECT_EQ(scene.slot(3).name, "old");
}

TEST(TerrainEdit, ClearingASlotHidesItButKeepsItsPictures) {
    Scene scene;
    PixelArray work;
    ASSERT_TRUE(chooseTerrainPart(scene, 1, "ground", "/p/g.bmp", asymmetricPart(), work));
    ASSERT_TRUE(chooseTerrainPart(scene, 2, "left", "/p/l.bmp", asymmetricPart(), work));
    const Picture picture = scene.slot(1).picture;
    const Mask mask = scene.slot(1).mask;

    ASSERT_TRUE(clearSlot(scene, 1));
    EXPECT_EQ(scene.slot(1).name, "");
    EXPECT_EQ(scene.slot(1).path, "");
    EXPECT_EQ(scene.slot(1).picture, picture);
    EXPECT_EQ(scene.slot(1).mask, mask);
    EXPECT_EQ(scene.canvas.pixel(81, 80), kBlack);
    EXPECT_EQ(scene.slot(2).name, "left");
    EXPECT_EQ(scene.canvas.pixel(1, 1), kBlue);
}

TEST(TerrainEdit, ClearingRecomposesEvenWhenNothingChanges) {
    Scene scene;
    PixelArray work;
    ASSERT_TRUE(chooseTerrainPart(scene, 4, "front", "/p/f.bmp", asymmetricPart(), work));
    // An effect painted over the canvas must be undone by the rebuild.
    scene.canvas.fill(kGreen);
    ASSERT_TRUE(clearSlot(scene, 5));
    EXPECT_EQ(scene.canvas.pixel(1, 80), kRed);
    EXPECT_EQ(scene.canvas.pixel(300, 200), kBlack);
}

TEST(TerrainEdit, ClearAllEmptiesEverySlotAndKeepsTheObjects) {
    Scene scene;
    PixelArray work;
    Picture full(kCanvasWidth, kCanvasHeight, kBlue);
    full.setPixel(0, 0, kMagenta);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        ASSERT_TRUE(
            chooseTerrainPart(scene, slot, "p" + std::to_string(slot), "/p/x.bmp", full, work));
    ASSERT_EQ(scene.canvas.pixel(300, 200), kBlue);
    ObjectRow object;
    object.name = "ob_box";
    object.x = "10";
    object.y = "20";
    object.flag = "T";
    object.picture = Picture(2, 2, kRed);
    object.mask = Mask(2, 2, kBlack);
    scene.objects.push_back(object);

    clearAll(scene);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        EXPECT_EQ(scene.slot(slot).name, "");
        EXPECT_EQ(scene.slot(slot).path, "");
    }
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.canvas.pixel(11, 21), kRed);
    EXPECT_EQ(scene.canvas.pixel(12, 21), kBlack);
}

} // namespace
} // namespace tarn
