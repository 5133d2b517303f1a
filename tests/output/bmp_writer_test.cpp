#include "output/bmp_writer.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <random>

namespace tarn {
namespace {

using test::fileBytes;
using test::TempFolder;
using test::u16At;
using test::u32At;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};

// A reader of the two layouts written here, deliberately naive, to read the
// written bytes back into a picture.
Picture decodeBmp(const Bytes& b) {
    const int width = static_cast<int>(u32At(b, 18));
    const int height = static_cast<int>(u32At(b, 22));
    const int bpp = u16At(b, 28);
    const std::size_t offset = u32At(b, 10);
    const std::size_t stride = (static_cast<std::size_t>(width) * (bpp / 8) + 3) / 4 * 4;
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* px = bpp == 8 ? &b[54 + 4 * b[row + x]] : &b[row + 3 * x];
            p.setPixel(x, y, {px[2], px[1], px[0]});
        }
    }
    return p;
}

// The palette search as first described: a linear scan over the used entries.
Bytes linearScanEncode256(const Picture& p, bool reserve, int& result) {
    const int first = reserve ? 10 : 0;
    const int last = reserve ? 245 : 255;
    const std::size_t stride = (static_cast<std::size_t>(p.width()) + 3) / 4 * 4;
    Bytes b(1078 + stride * p.height(), 0);
    int used = first - 1;
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) {
            const Rgb c = p.pixel(x, y);
            int e = first;
            while (e <= used &&
                   !(b[54 + 4 * e] == c.b && b[55 + 4 * e] == c.g && b[56 + 4 * e] == c.r))
                ++e;
            if (e > used) {
                if (++used > last) {
                    result = 3;
                    return {};
                }
                b[54 + 4 * e] = c.b;
                b[55 + 4 * e] = c.g;
                b[56 + 4 * e] = c.r;
            }
            b[1078 + (p.height() - 1 - y) * stride + x] = static_cast<std::uint8_t>(e);
        }
    }
    result = 0;
    return b;
}

// Colour number c, distinct for every c below 1536.
Rgb colourNo(int c) {
    return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>((c >> 8) * 40 + 1),
            static_cast<std::uint8_t>(c * 7)};
}

// Colours 0 to count - 1 repeated in scan order.
Picture pictureWithColours(int count, int width, int height) {
    Picture p(width, height);
    for (int i = 0; i < width * height; ++i)
        p.setPixel(i % width, i / width, colourNo(i % count));
    return p;
}

std::array<std::uint8_t, 4> paletteEntry(const Bytes& b, int entry) {
    return {b[54 + 4 * entry], b[55 + 4 * entry], b[56 + 4 * entry], b[57 + 4 * entry]};
}

TEST(Encode256, HeaderFieldsAndPixelsForAwkwardSizes) {
    const int widths[] = {1, 2, 3, 4, 5, 6, 7, 8, 13, 17, 31};
    const int heights[] = {1, 2, 3, 7};
    for (const int w : widths) {
        for (const int h : heights) {
            SCOPED_TRACE(::testing::Message() << w << " x " << h);
            const Picture picture = pictureWithColours(std::min(w * h, 236), w, h);
            Bytes b;
            ASSERT_EQ(encode256(picture, true, b), 0);
            const std::uint32_t stride = (w + 3) / 4 * 4;
            ASSERT_EQ(b.size(), 1078 + stride * h);
            EXPECT_EQ(b[0], 'B');
            EXPECT_EQ(b[1], 'M');
            EXPECT_EQ(u32At(b, 2), 1078 + stride * h);
            EXPECT_EQ(u32At(b, 6), 0u);
            EXPECT_EQ(u32At(b, 10), 1078u);
            EXPECT_EQ(u32At(b, 14), 40u);
            EXPECT_EQ(u32At(b, 18), static_cast<std::uint32_t>(w));
            EXPECT_EQ(u32At(b, 22), static_cast<std::uint32_t>(h));
            EXPECT_EQ(u16At(b, 26), 1);
            EXPECT_EQ(u16At(b, 28), 8);
            for (int at = 30; at < 54; at += 4)
                EXPECT_EQ(u32At(b, at), 0u) << "field at " << at;
            for (int row = 0; row < h; ++row)
                for (std::uint32_t x = w; x < stride; ++x)
                    EXPECT_EQ(b[1078 + row * stride + x], 0) << "padding of row " << row;
            EXPECT_EQ(decodeBmp(b), picture);
        }
    }
}

TEST(Encode256, SingleColourTakesEntryTenAndEveryIndex) {
    for (const Rgb colour : {kBlack, Rgb{12, 34, 56}}) {
        SCOPED_TRACE(int(colour.r));
        Bytes b;
        ASSERT_EQ(encode256(Picture(5, 3, colour), true, b), 0);
        for (int e = 0; e < 256; ++e) {
            const std::array<std::uint8_t, 4> expected =
                e == 10 ? std::array<std::uint8_t, 4>{colour.b, colour.g, colour.r, 0}
                        : std::array<std::uint8_t, 4>{0, 0, 0, 0};
            EXPECT_EQ(paletteEntry(b, e), expected) << "entry " << e;
        }
        // Five indices and three padding bytes per row: S is 8, file 1078 + 8 x 3.
        ASSERT_EQ(b.size(), 1078u + 8 * 3);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(Bytes(b.begin() + 1078 + 8 * row, b.begin() + 1086 + 8 * row),
                      (Bytes{10, 10, 10, 10, 10, 0, 0, 0}));
    }
}

TEST(Encode256, PaletteFollowsFirstAppearanceFromTheTopRow) {
    Picture p(3, 2, kGreen);
    p.setPixel(0, 0, kRed);  // top-left
    p.setPixel(0, 1, kBlue); // bottom-left
    Bytes b;
    ASSERT_EQ(encode256(p, true, b), 0);
    EXPECT_EQ(paletteEntry(b, 10), (std::array<std::uint8_t, 4>{0, 0, 255, 0})); // red
    EXPECT_EQ(paletteEntry(b, 11), (std::array<std::uint8_t, 4>{0, 255, 0, 0})); // green
    EXPECT_EQ(paletteEntry(b, 12), (std::array<std::uint8_t, 4>{255, 0, 0, 0})); // blue
    // The first row in the file is the bottom one and starts with blue.
    EXPECT_EQ(Bytes(b.begin() + 1078, b.end()), (Bytes{12, 11, 11, 0, 10, 11, 11, 0}));

    ASSERT_EQ(encode256(p, false, b), 0);
    EXPECT_EQ(paletteEntry(b, 0), (std::array<std::uint8_t, 4>{0, 0, 255, 0}));
    EXPECT_EQ(Bytes(b.begin() + 1078, b.end()), (Bytes{2, 1, 1, 0, 0, 1, 1, 0}));
}

TEST(Encode256, PaletteCapacityWithAndWithoutTheReservation) {
    struct Row {
        bool reserve;
        int colours;
        int result;
    };
    const Row rows[] = {{true, 236, 0}, {true, 237, 3}, {false, 256, 0}, {false, 257, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.reserve << " " << row.colours);
        Bytes b{1, 2, 3};
        ASSERT_EQ(encode256(pictureWithColours(row.colours, 17, 19), row.reserve, b), row.result);
        if (row.result != 0) {
            EXPECT_TRUE(b.empty());
            continue;
        }
        const int first = row.reserve ? 10 : 0;
        for (int e = 0; e < 256; ++e) {
            const bool used = e >= first && e < first + row.colours;
            const std::array<std::uint8_t, 4> zero{0, 0, 0, 0};
            if (used)
                EXPECT_EQ(paletteEntry(b, e)[3], 0) << "entry " << e;
            else
                EXPECT_EQ(paletteEntry(b, e), zero) << "entry " << e;
        }
        const Rgb lastColour = colourNo(row.colours - 1);
        EXPECT_EQ(paletteEntry(b, first + row.colours - 1),
                  (std::array<std::uint8_t, 4>{lastColour.b, lastColour.g, lastColour.r, 0}));
    }
}

// The table lookup must give exactly the palette and indices of a linear scan,
// whatever the colours and however they collide in the table.
TEST(Encode256, SameBytesAsALinearScanForRandomPictures) {
    std::mt19937 random(20240607);
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + static_cast<int>(random() % 40);
        const int h = 1 + static_cast<int>(random() % 40);
        const int distinct = 1 + static_cast<int>(random() % 260);
        std::vector<Rgb> colours(distinct);
        for (Rgb& c : colours) {
            const std::uint32_t v = random() % 2 ? random() : (random() % 64) << 18;
            c = {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v)};
        }
        Picture p(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.setPixel(x, y, colours[random() % distinct]);
        for (const bool reserve : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " reserve " << reserve);
            int expectedResult = -1;
            const Bytes expected = linearScanEncode256(p, reserve, expectedResult);
            Bytes actual;
            ASSERT_EQ(encode256(p, reserve, actual), expectedResult);
            if (expectedResult == 0) {
                EXPECT_EQ(Bytes(actual.begin() + 54, actual.end()),
                          Bytes(expected.begin() + 54, expected.end()));
            }
        }
    }
}

TEST(Encode256, MatchesTheCommittedFile) {
    Picture p(5, 3);
    const Rgb rows[3][5] = {{kRed, kRed, kGreen, kBlue, kRed},
                            {kWhite, kBlack, kRed, {1, 2, 3}, kGreen},
                            {kBlue, kBlue, kWhite, kBlack, {250, 128, 7}}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            p.setPixel(x, y, rows[y][x]);
    Bytes b;
    ASSERT_EQ(encode256(p, true, b), 0);
    const Bytes golden = fileBytes(TARN_TEST_DATA "/output/save256_5x3.bmp");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(b, golden);
}

TEST(Encode256, EmptyPictureIsRefused) {
    Bytes b{1};
    EXPECT_EQ(encode256(Picture(), true, b), kSave256Empty);
    EXPECT_TRUE(b.empty());
    EXPECT_TRUE(encodeBmp24(Picture(0, 5)).empty());
}

TEST(Save256, WritesOverALargerFileExactly) {
    TempFolder dir;
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(writeFileAtomically(path, Bytes(100000, 7)).ok());
    IoStatus status{99, "stale"};
    ASSERT_EQ(save256(test::patterned(5, 4), path, true, &status), 0);
    EXPECT_TRUE(status.ok());
    Bytes expected;
    ASSERT_EQ(encode256(test::patterned(5, 4), true, expected), 0);
    EXPECT_EQ(fileBytes(path), expected);
}

// Nothing of an earlier file may change when the picture does not fit, is
// empty, or the device fails; no temporary file may stay beside it.
TEST(Save256, FailuresLeaveTheEarlierFileAlone) {
    struct Row {
        const char* what;
        Picture picture;
        int injectedError;
        int result;
    };
    const Row rows[] = {
        {"237 colours", pictureWithColours(237, 20, 20), 0, kSave256TooManyColours},
        {"empty", Picture(), 0, kSave256Empty},
        {"disk full", pictureWithColours(20, 20, 20), ENOSPC, ENOSPC},
        {"io error", pictureWithColours(20, 20, 20), EIO, EIO},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder dir;
        test::InjectedFailureReset reset;
        const std::string path = dir.file("kept.bmp");
        ASSERT_TRUE(writeFileAtomically(path, test::bytesOf("earlier picture")).ok());
        if (row.injectedError != 0)
            testing::injectWriteFailure(row.injectedError, 1100);
        IoStatus status;
        EXPECT_EQ(save256(row.picture, path, true, &status), row.result);
        testing::injectWriteFailure(0, 0);
        if (row.injectedError != 0) {
            EXPECT_EQ(status.number, row.injectedError);
            EXPECT_EQ(status.description, errorDescription(row.injectedError));
        }
        EXPECT_EQ(fileBytes(path), test::bytesOf("earlier picture"));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept.bmp"});
    }
}

TEST(Save256, FolderInTheWayGivesItsErrorNumber) {
    TempFolder dir;
    std::filesystem::create_directory(dir.path() / "picture.bmp");
    IoStatus status;
    EXPECT_EQ(save256(Picture(2, 2), dir.file("picture.bmp"), true, &status), EISDIR);
    EXPECT_EQ(status.number, EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "picture.bmp"));
}

TEST(EncodeBmp24, ExactBytesOfATwoByTwoPicture) {
    Picture p(2, 2);
    p.setPixel(0, 0, {1, 2, 3});
    p.setPixel(1, 0, {4, 5, 6});
    p.setPixel(0, 1, {7, 8, 9});
    p.setPixel(1, 1, {10, 11, 12});
    // clang-format off
    const Bytes expected = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        9, 8, 7, 12, 11, 10, 0, 0, // bottom row first, blue green red, padded
        3, 2, 1, 6, 5, 4, 0, 0,
    };
    // clang-format on
    EXPECT_EQ(encodeBmp24(p), expected);
}

TEST(EncodeBmp24, AwkwardSizesReadBack) {
    for (const int w : {1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 478}) {
        for (const int h : {1, 2, 5, 278}) {
            SCOPED_TRACE(::testing::Message() << w << " x " << h);
            const Picture picture = test::patterned(w, h);
            const Bytes b = encodeBmp24(picture);
            const std::uint32_t stride = (3 * w + 3) / 4 * 4;
            ASSERT_EQ(b.size(), 54 + stride * h);
            EXPECT_EQ(u32At(b, 2), b.size());
            EXPECT_EQ(u32At(b, 10), 54u);
            EXPECT_EQ(u16At(b, 28), 24);
            for (int row = 0; row < h; ++row)
                for (std::uint32_t i = 3 * w; i < stride; ++i)
                    ASSERT_EQ(b[54 + row * stride + i], 0);
            EXPECT_EQ(decodeBmp(b), picture);
        }
    }
}

TEST(SaveBmp24, FailingDeviceKeepsTheEarlierFile) {
    TempFolder dir;
    test::InjectedFailureReset reset;
    const std::string path = dir.file("full.bmp");
    ASSERT_TRUE(saveBmp24(test::patterned(9, 9), path).ok());
    const Bytes before = fileBytes(path);
    testing::injectWriteFailure(ENOSPC, 60);
    EXPECT_EQ(saveBmp24(test::patterned(30, 30), path).number, ENOSPC);
    testing::injectWriteFailure(0, 0);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"full.bmp"});
    EXPECT_EQ(saveBmp24(Picture(), dir.file("none.bmp")).number, EINVAL);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"full.bmp"});
}

} // namespace
} // namespace tarn
