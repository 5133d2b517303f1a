#include "scene/pixel_array.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

std::uint32_t element(Rgb c) {
    return static_cast<std::uint32_t>(c.b) | static_cast<std::uint32_t>(c.g) << 8 |
           static_cast<std::uint32_t>(c.r) << 16;
}

TEST(PixelArray, ThreeByTwoLayout) {
    // Top row a b c, bottom row d e f.
    const Rgb a{1, 2, 3}, b{4, 5, 6}, c{7, 8, 9}, d{10, 11, 12}, e{13, 14, 15}, f{16, 17, 18};
    const Picture p = test::pictureOf(3, 2, {a, b, c, d, e, f});
    PixelArray array(20, 0xDEADBEEFu); // stale contents and size must not survive
    EXPECT_EQ(getbits(p, array), 6);
    // Bottom row first; blue in the low byte.
    EXPECT_EQ(array,
              (PixelArray{0x0A0B0Cu, 0x0D0E0Fu, 0x101112u, 0x010203u, 0x040506u, 0x070809u, 0u}));
    EXPECT_EQ(array[3], element(a)); // top-left
}

TEST(PixelArray, SetbitsIgnoresTheFourthByteAndTheSpare) {
    Picture p(2, 1, kBlack);
    const PixelArray array{0xFF102030u, 0x7F405060u, 0xFFFFFFFFu};
    EXPECT_EQ(setbits(p, array), 0);
    EXPECT_EQ(p, test::pictureOf(2, 1, {{0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}}));
}

TEST(PixelArray, RoundTripLeavesThePictureUnchanged) {
    std::mt19937 rng(7);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{3, 5}, std::pair{7, 1},
                               std::pair{1, 7}, std::pair{64, 9}}) {
        const Picture original = test::randomPicture(w, h, rng);
        PixelArray array;
        ASSERT_EQ(getbits(original, array), w * h);
        ASSERT_EQ(array.size(), static_cast<std::size_t>(w * h + 1));
        EXPECT_EQ(array.back(), 0u);
        for (const std::uint32_t v : array)
            EXPECT_EQ(v >> 24, 0u);
        Picture copy(w, h, kWhite);
        ASSERT_EQ(setbits(copy, array), 0);
        EXPECT_EQ(copy, original) << w << "x" << h;
    }
}

TEST(PixelArray, FailuresLeaveThePictureAndReport) {
    const Picture original = test::patterned(3, 2);
    Picture p = original;
    EXPECT_EQ(setbits(p, PixelArray(5, 0u)), -1); // one pixel short
    EXPECT_EQ(p, original);
    EXPECT_EQ(setbits(p, PixelArray(6, 0u)), 0); // the spare is not needed for writing
    EXPECT_EQ(p, Picture(3, 2, kBlack));

    Picture empty;
    PixelArray array{1, 2, 3};
    EXPECT_EQ(getbits(empty, array), -1);
    EXPECT_TRUE(array.empty());
    EXPECT_EQ(setbits(empty, PixelArray(4, 0u)), -1);
}

} // namespace
} // namespace tarn
