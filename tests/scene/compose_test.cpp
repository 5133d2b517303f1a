#include "scene/compose.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace tarn {
namespace {

std::uint8_t byteOf(int v) {
    return static_cast<std::uint8_t>(v);
}

TEST(MaskedCopy, AppliesBothRasterOperationsPerChannel) {
    // A pair that breaks the white-under-white rule; expected values by hand:
    // red   0x33 ^ (0xFF & ~0x0F) = 0x33 ^ 0xF0 = 0xC3
    // green 0x33 ^ (0x00 & ~0xF0) = 0x33
    // blue  0xAA ^ (0x0F & ~0x55) = 0xAA ^ 0x0A = 0xA0
    Picture canvas(1, 1, Rgb{0x0F, 0xF0, 0x55});
    const Picture picture(1, 1, Rgb{0x33, 0x33, 0xAA});
    const Mask mask(1, 1, Rgb{0xFF, 0x00, 0x0F});
    maskedCopy(canvas, picture, mask, 0, 0, 1, 1);
    EXPECT_EQ(canvas.pixel(0, 0), (Rgb{0xC3, 0x33, 0xA0}));
}

struct Placement {
    int x, y, w, h;
    int partW, partH;
};

class MaskedCopyClipping : public ::testing::TestWithParam<Placement> {};

// An opaque part on a small canvas: each canvas pixel must be the part's pixel
// where the part covers it and untouched elsewhere.
TEST_P(MaskedCopyClipping, CopiesExactlyTheVisibleRectangle) {
    const Placement c = GetParam();
    constexpr int kW = 6, kH = 5;
    const Rgb background{1, 2, 3};
    Picture canvas(kW, kH, background);
    const Picture part = test::patterned(c.partW, c.partH);
    const Mask opaque(c.partW, c.partH, kBlack);
    maskedCopy(canvas, part, opaque, c.x, c.y, c.w, c.h);
    const int usedW = std::min(c.w, c.partW), usedH = std::min(c.h, c.partH);
    for (int cy = 0; cy < kH; ++cy)
        for (int cx = 0; cx < kW; ++cx) {
            const long long u = static_cast<long long>(cx) - c.x;
            const long long v = static_cast<long long>(cy) - c.y;
            const bool covered = u >= 0 && v >= 0 && u < usedW && v < usedH;
            EXPECT_EQ(canvas.pixel(cx, cy),
                      covered ? part.pixel(static_cast<int>(u), static_cast<int>(v)) : background)
                << "canvas " << cx << "," << cy;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, MaskedCopyClipping,
    ::testing::Values(Placement{1, 1, 4, 3, 4, 3},   // inside
                      Placement{-1, 1, 4, 3, 4, 3},  // left edge
                      Placement{4, 1, 4, 3, 4, 3},   // right edge
                      Placement{1, -2, 4, 3, 4, 3},  // top edge
                      Placement{1, 3, 4, 3, 4, 3},   // bottom edge
                      Placement{-3, -2, 4, 3, 4, 3}, // top-left corner, negative both
                      Placement{-2, -1, 9, 8, 9, 8}, // larger than the canvas
                      Placement{-4, 0, 4, 3, 4, 3},  // just off the left
                      Placement{6, 0, 4, 3, 4, 3},   // just off the right
                      Placement{0, -3, 4, 3, 4, 3},  // just off the top
                      Placement{0, 5, 4, 3, 4, 3},   // just off the bottom
                      Placement{INT_MIN, INT_MIN, 4, 3, 4, 3}, Placement{INT_MAX, 0, 4, 3, 4, 3},
                      Placement{1, 1, 100, 100, 4, 3}, // size beyond the part is cut to it
                      Placement{1, 1, 2, 2, 4, 3},     // smaller size: top-left block only
                      Placement{0, 0, 0, 3, 4, 3}, Placement{0, 0, 4, -1, 4, 3}));

TEST(MaskedCopy, MaskSmallerThanThePictureLimitsTheCopy) {
    Picture canvas(4, 4, kBlack);
    const Picture part(4, 4, kWhite);
    const Mask mask(2, 3, kBlack);
    maskedCopy(canvas, part, mask, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(canvas.pixel(x, y), x < 2 && y < 3 ? kWhite : kBlack) << x << "," << y;
}

// The two raster operations one after the other, one pixel at a time.
void literalMaskedCopy(Picture& d, const Picture& p, const Mask& m, int x, int y) {
    for (int pass = 0; pass < 2; ++pass)
        for (int v = 0; v < p.height(); ++v)
            for (int u = 0; u < p.width(); ++u) {
                if (!d.contains(x + u, y + v))
                    continue;
                const Rgb dst = d.pixel(x + u, y + v);
                const Rgb src = pass == 0 ? m.pixel(u, v) : p.pixel(u, v);
                d.setPixel(x + u, y + v,
                           pass == 0 ? Rgb{byteOf(src.r & ~dst.r), byteOf(src.g & ~dst.g),
                                           byteOf(src.b & ~dst.b)}
                                     : Rgb{byteOf(src.r ^ dst.r), byteOf(src.g ^ dst.g),
                                           byteOf(src.b ^ dst.b)});
            }
}

TEST(MaskedCopy, MatchesTheOnePixelAtATimeOperationsOnRandomPairs) {
    // Widths past one vector block and odd tails; arbitrary masks.
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> size(1, 70);
    std::uniform_int_distribution<int> place(-40, 60);
    for (int round = 0; round < 200; ++round) {
        Picture canvas = test::randomPicture(53, 31, rng);
        Picture expected = canvas;
        const int w = size(rng), h = size(rng) / 2 + 1;
        const Picture p = test::randomPicture(w, h, rng);
        const Mask m = test::randomPicture(w, h, rng);
        const int x = place(rng), y = place(rng) / 2;
        maskedCopy(canvas, p, m, x, y, w, h);
        literalMaskedCopy(expected, p, m, x, y);
        ASSERT_EQ(canvas, expected) << w << "x" << h << " at " << x << "," << y;
    }
}

// --- recompose -------------------------------------------------------------

constexpr Rgb kGround{0, 200, 0}, kBackLeft{200, 0, 0}, kBackRight{0, 0, 200},
    kFrontLeft{200, 200, 0}, kFrontRight{0, 200, 200};

// An opaque part of one colour; columns [holeFrom, holeTo) transparent.
void fill(Picture& picture, Mask& mask, int w, int h, Rgb colour, int holeFrom = 0,
          int holeTo = 0) {
    picture = Picture(w, h, colour);
    mask = Mask(w, h, kBlack);
    for (int y = 0; y < h; ++y)
        for (int x = holeFrom; x < holeTo; ++x) {
            picture.setPixel(x, y, kWhite);
            mask.setPixel(x, y, kWhite);
        }
}

void setSlot(Scene& scene, int i, int w, int h, Rgb colour, int holeFrom = 0, int holeTo = 0) {
    Slot& s = scene.slot(i);
    s.name = "part" + std::to_string(i);
    fill(s.picture, s.mask, w, h, colour, holeFrom, holeTo);
}

void addObject(Scene& scene, const std::string& x, const std::string& y, int w, int h, Rgb colour,
               const std::string& flag) {
    ObjectRow row;
    row.name = "ob" + std::to_string(scene.objects.size());
    row.x = x;
    row.y = y;
    row.flag = flag;
    fill(row.picture, row.mask, w, h, colour);
    scene.objects.push_back(row);
}

struct Probe {
    int x, y;
    Rgb expected;
    const char* why;
};

void expectProbes(const Picture& canvas, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(canvas.pixel(p.x, p.y), p.expected) << p.why << " at " << p.x << "," << p.y;
}

TEST(Recompose, PaintersOrderWithOverlaps) {
    const Rgb behind{50, 50, 50}, inFront{90, 0, 90}, laterRow{9, 99, 199};
    Scene scene;
    setSlot(scene, 1, 200, 100, kGround);                 // x 80..279, y 80..179
    setSlot(scene, 2, 100, 100, kBackLeft);               // x 0..99, y 0..99
    setSlot(scene, 3, 100, 100, kBackRight);              // x 240..339, y 0..99
    setSlot(scene, 4, 100, 50, kFrontLeft, 90, 100);      // x 0..99, y 80..129, hole x 90..99
    setSlot(scene, 5, 100, 50, kFrontRight);              // x 240..339, y 80..129
    addObject(scene, " 60 ", "50", 40, 20, behind, "F");  // x 60..99, y 50..69
    addObject(scene, "230", "70", 20, 20, inFront, "T");  // x 230..249, y 70..89
    addObject(scene, "235", "75", 10, 10, laterRow, "T"); // x 235..244, y 75..84
    addObject(scene, "80", "100.4", 30, 20, behind, "F"); // x 80..109, y 100..119
    recompose(scene);
    expectProbes(scene.canvas,
                 {{95, 85, kBackLeft, "back left covers the ground (through the hole)"},
                  {85, 85, kFrontLeft, "front left covers back left and ground"},
                  {260, 90, kFrontRight, "front right covers the ground"},
                  {260, 150, kGround, "ground alone"},
                  {245, 5, kBackRight, "back right"},
                  {65, 55, behind, "F object covers back left"},
                  {85, 105, kFrontLeft, "F object hidden by front left"},
                  {95, 105, behind, "F object through the front wall's hole"},
                  {105, 105, behind, "F object over the ground"},
                  {95, 125, kGround, "ground through the front wall's hole"},
                  {245, 87, inFront, "T object covers front right"},
                  {232, 72, inFront, "T object over black"},
                  {240, 80, laterRow, "later row covers earlier row"},
                  {400, 250, kBlack, "background"}});
}

TEST(Recompose, BehindObjectsComeRightAfterSlotThreeFilledOrNot) {
    const Rgb obj{123, 45, 67};
    Scene scene;
    setSlot(scene, 3, 100, 100, kBackRight);         // x 240..339, y 0..99
    setSlot(scene, 5, 100, 50, kFrontRight);         // x 240..339, y 80..129
    addObject(scene, "250", "70", 20, 20, obj, "F"); // x 250..269, y 70..89
    recompose(scene);
    expectProbes(scene.canvas, {{255, 75, obj, "F object over back right"},
                                {255, 85, kFrontRight, "F object under front right"}});

    scene.slot(3).name.clear(); // emptied: its picture stays but is not composed
    recompose(scene);
    expectProbes(scene.canvas, {{255, 75, obj, "F object drawn with slot 3 empty"},
                                {245, 5, kBlack, "emptied slot not composed"},
                                {255, 85, kFrontRight, "still under front right"}});
}

TEST(Recompose, FlagsOtherThanExactlyFOrTAreNotDrawn) {
    for (const char* flag : {"", "f", "t", "F ", " T", "FT", "0"}) {
        Scene scene;
        addObject(scene, "0", "0", 5, 5, kWhite, flag);
        recompose(scene);
        EXPECT_EQ(scene.canvas, Picture(kCanvasWidth, kCanvasHeight, kBlack))
            << "flag \"" << flag << "\"";
    }
}

TEST(Recompose, ClearsAndRebuildsTheSameCanvasEveryTime) {
    Scene scene;
    setSlot(scene, 1, 500, 300, kGround, 10, 20); // larger than the canvas
    setSlot(scene, 4, 60, 60, kFrontLeft);
    addObject(scene, "-10", "-5", 30, 30, kBackLeft, "T");
    addObject(scene, "470", "270", 30, 30, kBackRight, "F");
    recompose(scene);
    const Picture first = scene.canvas;
    scene.canvas.fill(Rgb{77, 77, 77}); // an effect applied in between
    recompose(scene);
    EXPECT_EQ(scene.canvas, first);
    expectProbes(first, {{0, 0, kBackLeft, "object clipped at the top-left"},
                         {19, 24, kBackLeft, "last visible pixel of the clipped object"},
                         {20, 0, kBlack, "right of the clipped object"},
                         {477, 277, kBackRight, "object clipped at the bottom-right"},
                         {469, 277, kGround, "left of the clipped object"},
                         {85, 85, kGround, "ground left of its hole"},
                         {95, 85, kBlack, "ground's hole"},
                         {100, 85, kGround, "ground right of its hole"}});
}

TEST(Recompose, EmptySceneIsBlackAndTheCanvasKeepsItsSize) {
    Scene scene;
    scene.canvas = Picture(3, 3, kWhite);
    recompose(scene);
    EXPECT_EQ(scene.canvas, Picture(kCanvasWidth, kCanvasHeight, kBlack));
}

} // namespace
} // namespace tarn
