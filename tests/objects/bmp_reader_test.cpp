#include "objects/bmp_reader.h"
#include "output/bmp_writer.h"
#include "scene/scene.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace tarn {
namespace {

using test::patterned;

void putU16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 2 x 2 file laid out by hand, independent of any writer: bottom row first,
// blue-green-red, each row padded from 6 to 8 bytes.
Bytes handMade2x2() {
    Bytes b(54 + 16, 0);
    b[0] = 'B';
    b[1] = 'M';
    putU32(b, 2, 70);
    putU32(b, 10, 54);
    putU32(b, 14, 40);
    putU32(b, 18, 2);
    putU32(b, 22, 2);
    putU16(b, 26, 1);
    putU16(b, 28, 24);
    putU32(b, 34, 16);
    const std::uint8_t rows[16] = {
        // bottom row: (0,1) = red 10, green 20, blue 30; (1,1) = 40, 50, 60
        30, 20, 10, 60, 50, 40, 0xEE, 0xEE,
        // top row: (0,0) = 1, 2, 3; (1,0) = 4, 5, 6
        3, 2, 1, 6, 5, 4, 0xEE, 0xEE};
    std::copy(std::begin(rows), std::end(rows), b.begin() + 54);
    return b;
}

TEST(BmpReader, ReadsHandMadeFileTopLeftFirstInRgbOrder) {
    Picture out;
    ASSERT_TRUE(decodeBmp24(handMade2x2(), out).ok());
    ASSERT_EQ(out.width(), 2);
    ASSERT_EQ(out.height(), 2);
    EXPECT_EQ(out.pixel(0, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(out.pixel(1, 0), (Rgb{4, 5, 6}));
    EXPECT_EQ(out.pixel(0, 1), (Rgb{10, 20, 30}));
    EXPECT_EQ(out.pixel(1, 1), (Rgb{40, 50, 60}));
}

TEST(BmpReader, NegativeHeightMeansTopDownRows) {
    Bytes b = handMade2x2();
    putU32(b, 22, static_cast<std::uint32_t>(-2));
    Picture out;
    ASSERT_TRUE(decodeBmp24(b, out).ok());
    EXPECT_EQ(out.pixel(0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(out.pixel(1, 1), (Rgb{4, 5, 6}));
}

TEST(BmpReader, RoundTripsAwkwardSizesExactly) {
    const int sides[] = {1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 31, 97};
    for (int w : sides) {
        for (int h : {1, 2, 3, 7, 13}) {
            const Picture p = patterned(w, h);
            Picture out;
            const BmpReadResult r = decodeBmp24(encodeBmp24(p), out);
            ASSERT_TRUE(r.ok()) << w << "x" << h << ": " << r.description;
            EXPECT_EQ(out, p) << w << "x" << h;
        }
    }
}

TEST(BmpReader, EveryTruncationIsRefusedAndLeavesTheTargetAlone) {
    const Bytes full = encodeBmp24(patterned(5, 3));
    const Picture sentinel = patterned(2, 1);
    for (std::size_t n = 0; n < full.size(); ++n) {
        Picture out = sentinel;
        const BmpReadResult r = decodeBmp24(std::span<const std::uint8_t>(full.data(), n), out);
        EXPECT_FALSE(r.ok()) << "prefix of " << n << " bytes";
        EXPECT_FALSE(r.description.empty());
        EXPECT_EQ(out, sentinel);
    }
}

struct Damage {
    const char* what;
    std::function<void(Bytes&)> apply;
    BmpError expected;
};

TEST(BmpReader, RefusesDamagedHeaders) {
    const std::vector<Damage> damages = {
        {"signature", [](Bytes& b) { b[1] = 'A'; }, BmpError::NotBmp},
        {"file size beyond the data", [](Bytes& b) { putU32(b, 2, 71); }, BmpError::Truncated},
        {"file size below the headers", [](Bytes& b) { putU32(b, 2, 20); },
         BmpError::BadFileHeader},
        {"reserved 1", [](Bytes& b) { putU16(b, 6, 1); }, BmpError::BadFileHeader},
        {"reserved 2", [](Bytes& b) { putU16(b, 8, 0x100); }, BmpError::BadFileHeader},
        {"pixels inside the header", [](Bytes& b) { putU32(b, 10, 40); }, BmpError::BadFileHeader},
        {"pixels past the end", [](Bytes& b) { putU32(b, 10, 0xFFFFFFF0u); },
         BmpError::BadFileHeader},
        {"pixels cut short by the offset", [](Bytes& b) { putU32(b, 10, 58); },
         BmpError::Truncated},
        {"core header", [](Bytes& b) { putU32(b, 14, 12); }, BmpError::UnsupportedHeader},
        {"V5 header", [](Bytes& b) { putU32(b, 14, 124); }, BmpError::UnsupportedHeader},
        {"no planes", [](Bytes& b) { putU16(b, 26, 0); }, BmpError::UnsupportedFormat},
        {"8 bits", [](Bytes& b) { putU16(b, 28, 8); }, BmpError::UnsupportedFormat},
        {"32 bits", [](Bytes& b) { putU16(b, 28, 32); }, BmpError::UnsupportedFormat},
        {"RLE", [](Bytes& b) { putU32(b, 30, 1); }, BmpError::UnsupportedFormat},
        {"bit fields", [](Bytes& b) { putU32(b, 30, 3); }, BmpError::UnsupportedFormat},
        {"palette", [](Bytes& b) { putU32(b, 46, 2); }, BmpError::UnsupportedFormat},
        {"important colours", [](Bytes& b) { putU32(b, 50, 1); }, BmpError::UnsupportedFormat},
        {"zero width", [](Bytes& b) { putU32(b, 18, 0); }, BmpError::BadSize},
        {"negative width", [](Bytes& b) { putU32(b, 18, static_cast<std::uint32_t>(-2)); },
         BmpError::BadSize},
        {"zero height", [](Bytes& b) { putU32(b, 22, 0); }, BmpError::BadSize},
        {"most negative height", [](Bytes& b) { putU32(b, 22, 0x80000000u); }, BmpError::BadSize},
        {"width beyond the part limit",
         [](Bytes& b) { putU32(b, 18, static_cast<std::uint32_t>(kMaxPartSide + 1)); },
         BmpError::BadSize},
        {"sizes whose product overflows 32 bits",
         [](Bytes& b) {
             putU32(b, 18, 0x7FFFFFFFu);
             putU32(b, 22, 0x7FFFFFFFu);
         },
         BmpError::BadSize},
        {"largest allowed sizes on a tiny file",
         [](Bytes& b) {
             putU32(b, 18, static_cast<std::uint32_t>(kMaxPartSide));
             putU32(b, 22, static_cast<std::uint32_t>(kMaxPartSide));
             putU32(b, 34, 0);
         },
         BmpError::Truncated},
        {"image size disagreeing with the sizes", [](Bytes& b) { putU32(b, 34, 12); },
         BmpError::BadFileHeader},
    };
    const Picture sentinel = patterned(3, 2);
    for (const Damage& d : damages) {
        Bytes b = handMade2x2();
        d.apply(b);
        Picture out = sentinel;
        const BmpReadResult r = decodeBmp24(b, out);
        EXPECT_EQ(r.error, d.expected) << d.what;
        EXPECT_EQ(out, sentinel) << d.what;
    }
}

TEST(BmpReader, ImageSizeZeroAndTrailingBytesAreAccepted) {
    Bytes b = handMade2x2();
    putU32(b, 34, 0);
    b.push_back(0x55);
    putU32(b, 2, static_cast<std::uint32_t>(b.size()));
    Picture out;
    ASSERT_TRUE(decodeBmp24(b, out).ok());
    EXPECT_EQ(out.pixel(1, 0), (Rgb{4, 5, 6}));
}

// Random byte damage must end in a clean refusal or in a picture whose size is
// the one its header states, never in a read outside the input.
TEST(BmpReader, SurvivesRandomDamage) {
    const Bytes good = encodeBmp24(patterned(7, 5));
    std::mt19937 rng(20261206);
    for (int round = 0; round < 5000; ++round) {
        Bytes b = good;
        const int hits = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < hits; ++i)
            b[rng() % 54] = static_cast<std::uint8_t>(rng());
        if (rng() % 3 == 0)
            b.resize(rng() % b.size());
        Picture out;
        if (decodeBmp24(b, out).ok()) {
            const auto field = [&b](std::size_t at) {
                return static_cast<std::int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                                 (static_cast<std::uint32_t>(b[at + 3]) << 24));
            };
            EXPECT_EQ(out.width(), field(18)) << "round " << round;
            EXPECT_EQ(out.height(), std::abs(field(22))) << "round " << round;
        } else {
            EXPECT_TRUE(out.isNull()) << "round " << round;
        }
    }
}

} // namespace
} // namespace tarn
