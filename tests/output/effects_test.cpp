#include "output/effects.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

Picture row(const std::vector<Rgb>& colours) {
    return test::pictureOf(static_cast<int>(colours.size()), 1, colours);
}

std::vector<Rgb> pixelsOf(const Picture& p) {
    std::vector<Rgb> out;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            out.push_back(p.pixel(x, y));
    return out;
}

TEST(Effects, KnownTones) {
    struct Row {
        const char* what;
        Rgb in;
        Rgb gray;
        Rgb sepia;
    };
    const Row rows[] = {
        {"red", {255, 0, 0}, {85, 85, 85}, {126, 0, 0}},
        {"2 / 3 rounds down", {1, 1, 0}, {0, 0, 0}, {0, 0, 0}},
        {"white", {255, 255, 255}, {255, 255, 255}, {126, 98, 31}},
        {"black", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"the exact half", {250, 0, 0}, {83, 83, 83}, {124, 0, 0}},
        {"channels not mixed", {10, 200, 50}, {86, 86, 86}, {5, 77, 6}},
        {"gray 200", {200, 200, 200}, {200, 200, 200}, {99, 77, 25}},
    };
    std::vector<Rgb> in, gray, sepiaOut;
    for (const Row& r : rows) {
        in.push_back(r.in);
        gray.push_back(r.gray);
        sepiaOut.push_back(r.sepia);
    }
    PixelArray work;
    Picture g = row(in);
    grayscale(g, work);
    EXPECT_EQ(pixelsOf(g), gray);
    Picture s = row(in);
    sepia(s, work);
    EXPECT_EQ(pixelsOf(s), sepiaOut);
}

// Every channel value against rounding done in whole numbers, (v x 494 + 500)
// div 1000 and so on, which is exact where the double product is not.
TEST(Effects, SepiaRoundsEveryChannelValueToTheNearest) {
    std::vector<Rgb> all;
    for (int v = 0; v < 256; ++v) {
        const auto c = static_cast<std::uint8_t>(v);
        all.push_back({c, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v * 7)});
    }
    Picture p = row(all);
    PixelArray work;
    sepia(p, work);
    for (int x = 0; x < 256; ++x) {
        const Rgb was = all[x];
        const Rgb expected{static_cast<std::uint8_t>((was.r * 494 + 500) / 1000),
                           static_cast<std::uint8_t>((was.g * 383 + 500) / 1000),
                           static_cast<std::uint8_t>((was.b * 123 + 500) / 1000)};
        EXPECT_EQ(p.pixel(x, 0), expected) << "column " << x;
    }
}

TEST(Effects, GrayThenSepiaOfEveryLevel) {
    for (int v = 0; v < 256; v += 5) {
        const auto c = static_cast<std::uint8_t>(v);
        Picture p(1, 1, {c, c, c});
        PixelArray work;
        grayscale(p, work);
        sepia(p, work);
        EXPECT_EQ(p.pixel(0, 0), (Rgb{static_cast<std::uint8_t>((v * 494 + 500) / 1000),
                                      static_cast<std::uint8_t>((v * 383 + 500) / 1000),
                                      static_cast<std::uint8_t>((v * 123 + 500) / 1000)}))
            << v;
    }
}

// Pixels stay where they were, whatever the width; gray is settled after one
// pass, sepia keeps darkening.
TEST(Effects, PlacesKeptGrayIdempotentSepiaCumulative) {
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {7, 5}, {478, 278}}) {
        SCOPED_TRACE(::testing::Message() << w << " x " << h);
        const Picture original = test::patterned(w, h);
        PixelArray work;

        Picture g = original;
        grayscale(g, work);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb o = original.pixel(x, y);
                const auto v = static_cast<std::uint8_t>((o.r + o.g + o.b) / 3);
                ASSERT_EQ(g.pixel(x, y), (Rgb{v, v, v})) << x << "," << y;
            }
        EXPECT_EQ(work.size(), static_cast<std::size_t>(w * h + 1));
        EXPECT_EQ(work.back(), 0u) << "the spare element stays 0";
        const Picture once = g;
        grayscale(g, work);
        EXPECT_EQ(g, once);

        Picture s = original;
        sepia(s, work);
        const Picture sepiaOnce = s;
        sepia(s, work);
        const Rgb a = sepiaOnce.pixel(w - 1, 0);
        const Rgb b = s.pixel(w - 1, 0);
        EXPECT_EQ(b.r, static_cast<std::uint8_t>((a.r * 494 + 500) / 1000));
        EXPECT_EQ(b.g, static_cast<std::uint8_t>((a.g * 383 + 500) / 1000));
        EXPECT_EQ(b.b, static_cast<std::uint8_t>((a.b * 123 + 500) / 1000));
    }
}

TEST(Effects, EmptyCanvasIsLeftAlone) {
    PixelArray work{0x00FFFFFFu, 0x00FFFFFFu};
    Picture empty;
    grayscale(empty, work);
    sepia(empty, work);
    EXPECT_TRUE(empty.isNull());
}

} // namespace
} // namespace tarn
