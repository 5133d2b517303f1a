#include "scene/mask.h"
#include "scene/pixel_array.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tarn {
namespace {

constexpr Rgb kKey{10, 20, 30};
constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kBlue{0, 0, 200};

// A w x h picture whose top-left is the key, with the key scattered through it
// and neighbours of the key that differ in one channel by one.
Picture keyedPicture(int w, int h) {
    const Rgb nearKeys[] = {{11, 20, 30}, {10, 21, 30}, {10, 20, 29}, kRed, kBlue};
    Picture p(w, h);
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, ++n)
            p.setPixel(x, y, (x + 2 * y) % 3 == 0 ? kKey : nearKeys[n % 5]);
    return p;
}

// The result pair every mask form must give, pixel by pixel.
void expectKeyRule(const Picture& before, const Picture& picture, const Mask& mask) {
    const Rgb key = before.pixel(0, 0);
    ASSERT_EQ(picture.width(), before.width());
    ASSERT_EQ(mask.width(), before.width());
    ASSERT_EQ(mask.height(), before.height());
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const bool isKey = before.pixel(x, y) == key;
            EXPECT_EQ(picture.pixel(x, y), isKey ? kWhite : before.pixel(x, y))
                << "picture at " << x << "," << y;
            EXPECT_EQ(mask.pixel(x, y), isKey ? kWhite : kBlack) << "mask at " << x << "," << y;
        }
}

// Masks a picture the way a terrain part is masked: two reads, maskbits, two writes.
void maskThroughArrays(Picture& picture, Mask& mask) {
    PixelArray p;
    PixelArray m;
    const int n = getbits(picture, p);
    ASSERT_EQ(getbits(picture, m), n);
    maskbits(p, m, picture.width(), picture.height());
    ASSERT_EQ(setbits(picture, p), 0);
    ASSERT_EQ(setbits(mask, m), 0);
}

class KeyRuleSizes : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(KeyRuleSizes, BothFormsFollowTheTableForEveryPixel) {
    const auto [w, h] = GetParam();
    const Picture before = keyedPicture(w, h);

    Picture walked = before;
    Mask walkedMask(w, h, Rgb{1, 2, 3});
    makemask(walked, walkedMask, w, h);
    expectKeyRule(before, walked, walkedMask);

    Picture arrayed = before;
    Mask arrayedMask(w, h, Rgb{1, 2, 3});
    maskThroughArrays(arrayed, arrayedMask);
    expectKeyRule(before, arrayed, arrayedMask);
}

INSTANTIATE_TEST_SUITE_P(Widths1To4Heights1To4, KeyRuleSizes,
                         ::testing::Combine(::testing::Range(1, 5), ::testing::Range(1, 5)));

TEST(KeyRule, TopLeftIsTheKeyNotTheBottomLeft) {
    // Bottom-left differs from top-left: an array form that took element 0 as
    // the key would whiten the wrong pixels.
    const Picture before = test::pictureOf(2, 2, {kKey, kRed, kBlue, kKey});
    Picture p = before;
    Mask m(2, 2);
    maskThroughArrays(p, m);
    EXPECT_EQ(p, test::pictureOf(2, 2, {kWhite, kRed, kBlue, kWhite}));
    EXPECT_EQ(m, test::pictureOf(2, 2, {kWhite, kBlack, kBlack, kWhite}));
}

TEST(KeyRule, MakemaskAndMaskbitsGiveTheSamePair) {
    Picture base = test::patterned(7, 5);
    base.setPixel(0, 0, kKey);
    base.setPixel(3, 2, kKey);
    base.setPixel(6, 4, kKey);
    base.setPixel(6, 0, kKey);
    Picture walked = base;
    Mask walkedMask(7, 5);
    makemask(walked, walkedMask, 7, 5);
    Picture arrayed = base;
    Mask arrayedMask(7, 5);
    maskThroughArrays(arrayed, arrayedMask);
    EXPECT_EQ(walked, arrayed);
    EXPECT_EQ(walkedMask, arrayedMask);
}

TEST(KeyRule, MakemaskTouchesOnlyTheGivenBlock) {
    const Picture before(4, 3, kKey);
    Picture p = before;
    Mask m(4, 3, kRed);
    makemask(p, m, 2, 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = x < 2 && y < 1;
            EXPECT_EQ(p.pixel(x, y), inside ? kWhite : kKey) << x << "," << y;
            EXPECT_EQ(m.pixel(x, y), inside ? kWhite : kRed) << x << "," << y;
        }
}

TEST(KeyRule, SizesBeyondThePictureOrMaskAreClipped) {
    Picture p = test::pictureOf(2, 2, {kKey, kRed, kKey, kBlue});
    Mask small(1, 1, kRed);
    makemask(p, small, 50, 50);
    EXPECT_EQ(p, test::pictureOf(2, 2, {kWhite, kRed, kWhite, kBlue}));
    EXPECT_EQ(small, Picture(1, 1, kWhite));
}

TEST(KeyRule, MaskbitsLeavesArraysOfTheWrongSizeAlone) {
    PixelArray p{1, 2, 3, 4};
    PixelArray m{5, 6, 7, 8};
    maskbits(p, m, 2, 2); // needs 5 elements each
    EXPECT_EQ(p, (PixelArray{1, 2, 3, 4}));
    EXPECT_EQ(m, (PixelArray{5, 6, 7, 8}));
    maskbits(p, m, 0, 3);
    EXPECT_EQ(p, (PixelArray{1, 2, 3, 4}));
}

TEST(KeyRule, MaskbitsIgnoresTheFourthByte) {
    // 1 x 1 plus spare: the key is element 0 itself.
    PixelArray p{0xAA102030u, 0x00102030u};
    PixelArray m{0, 0};
    maskbits(p, m, 1, 1);
    EXPECT_EQ(p[0] & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(p[1] & 0xFFFFFFu, 0xFFFFFFu); // the spare element follows the rule too
    EXPECT_EQ(m[0] & 0xFFFFFFu, 0xFFFFFFu);
}

Picture flipped(const Picture& source, std::int16_t type) {
    Picture d(source.width(), source.height());
    flippic(source, source.width(), source.height(), d, type);
    return d;
}

class FlipSizes : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(FlipSizes, MirrorsEveryPixelAndTwiceGivesTheOriginal) {
    const auto [w, h] = GetParam();
    const Picture original = test::patterned(w, h);
    const Picture lr = flipped(original, 1);
    const Picture tb = flipped(original, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(lr.pixel(x, y), original.pixel(w - 1 - x, y)) << x << "," << y;
            EXPECT_EQ(tb.pixel(x, y), original.pixel(x, h - 1 - y)) << x << "," << y;
        }
    EXPECT_EQ(flipped(lr, 1), original);
    EXPECT_EQ(flipped(tb, 2), original);

    Picture inPlace = original;
    flippic(inPlace, w, h, inPlace, 1);
    EXPECT_EQ(inPlace, lr);
    inPlace = original;
    flippic(inPlace, w, h, inPlace, 2);
    EXPECT_EQ(inPlace, tb);
}

// Odd widths keep their middle column; one pixel wide or high mirrors to itself.
INSTANTIATE_TEST_SUITE_P(OddAndEven, FlipSizes,
                         ::testing::Values(std::make_tuple(1, 1), std::make_tuple(1, 4),
                                           std::make_tuple(4, 1), std::make_tuple(2, 3),
                                           std::make_tuple(3, 2), std::make_tuple(5, 4),
                                           std::make_tuple(4, 5)));

TEST(Flip, WorksOnTheTopLeftBlockOnly) {
    const Picture original = test::patterned(4, 3);
    Picture p = original;
    flippic(p, 2, 3, p, 1);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(p.pixel(0, y), original.pixel(1, y));
        EXPECT_EQ(p.pixel(1, y), original.pixel(0, y));
        EXPECT_EQ(p.pixel(2, y), original.pixel(2, y));
        EXPECT_EQ(p.pixel(3, y), original.pixel(3, y));
    }
}

TEST(Flip, RefusedCallsWriteNothing) {
    const Picture original = test::patterned(3, 3);
    struct Case {
        int w, h;
        std::int16_t type;
    };
    for (const Case c : {Case{4, 3, 1}, Case{3, 4, 2}, Case{0, 3, 1}, Case{3, -1, 2}, Case{3, 3, 0},
                         Case{3, 3, 3}}) {
        Picture p = original;
        flippic(p, c.w, c.h, p, c.type);
        EXPECT_EQ(p, original) << c.w << "x" << c.h << " type " << c.type;
        Picture d(3, 3, kRed);
        flippic(original, c.w, c.h, d, c.type);
        EXPECT_EQ(d, Picture(3, 3, kRed)) << c.w << "x" << c.h << " type " << c.type;
    }
}

} // namespace
} // namespace tarn
