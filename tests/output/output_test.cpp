#include "export/cw_writers.h"
#include "output/bmp_writer.h"
#include "output/effects.h"
#include "output/jpeg_writer.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace tarn {
namespace {

using test::fileBytes;
using test::patterned;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// Colours 0 to count - 1 repeated in scan order; pairs differ in one bit only.
Picture colours(int count, int width, int height) {
    Picture p(width, height);
    for (int i = 0; i < width * height; ++i)
        p.setPixel(i % width, i / width,
                   {static_cast<std::uint8_t>(i % count * 7),
                    static_cast<std::uint8_t>(i % count / 2),
                    static_cast<std::uint8_t>(i % count % 2)});
    return p;
}

// The committed 5 x 3 example: top-left red takes entry 10, bottom-left blue a
// later one, which starts the first index row in the file (the bottom one).
Picture example() {
    const std::vector<Rgb> pixels = {kRed,   kRed,   kGreen, kBlue,     kRed,
                                     kWhite, kBlack, kRed,   {1, 2, 3}, kGreen,
                                     kBlue,  kBlue,  kWhite, kBlack,    {250, 128, 7}};
    return test::pictureOf(5, 3, pixels);
}

TEST(Encode256, Examples) {
    Bytes b, single = fileBytes(TARN_TEST_DATA "/output/save256_5x3.bmp");
    ASSERT_EQ(encode256(example(), true, b), 0);
    EXPECT_EQ(b, single);
    // One colour, black too: entry 10 only, every index 10. Headers as above.
    for (const Rgb colour : {Rgb{12, 34, 56}, kBlack}) {
        std::fill(single.begin() + 54, single.end(), 0);
        std::tie(single[94], single[95], single[96]) = std::tie(colour.b, colour.g, colour.r);
        for (std::size_t row = 0; row < 3; ++row)
            std::fill_n(single.begin() + 1078 + 8 * row, 5, 10);
        ASSERT_EQ(encode256(Picture(5, 3, colour), true, b), 0);
        EXPECT_EQ(b, single);
    }
    EXPECT_EQ(encode256(Picture(), true, b), kSave256Empty);
    for (const auto& [reserve, count, result] :
         {std::tuple{true, 236, 0}, {true, 237, 3}, {false, 256, 0}, {false, 257, 3}})
        EXPECT_EQ(encode256(colours(count, 17, 19), reserve, b), result) << count;
}

using Write = std::function<int(const std::string&)>;

Write eightBit(const Picture& p) {
    return [p](const std::string& file) { return save256(p, file, true); };
}
Write fullColour(const Picture& p) {
    return [p](const std::string& file) { return saveBmp24(p, file).number; };
}
Write jpeg(const Picture& p, int width, int height, int quality, bool progressive = true) {
    return [=](const std::string& file) { // -1 for any failure
        const auto q = static_cast<std::uint8_t>(quality);
        return DCSavetoJPEG(p, width, height, file, q, progressive) == 0 ? 0 : -1;
    };
}

// The files as PIL, a reader we did not write, sees them: the facts, and the mean
// difference per channel from the top-left part of the picture.
TEST(Writers, FilesAsPilReadsThem) {
    Picture canvas(478, 278);
    for (int y = 0; y < 278; ++y) {
        for (int x = 0; x < 478; ++x)
            canvas.setPixel(x, y,
                            {static_cast<std::uint8_t>(x / 2), static_cast<std::uint8_t>(y), 40});
    }
    const Write dark = [](const std::string& file) { return WriteDarkBmp(file).number; };
    const struct {
        Write write;
        Picture picture;
        int width, height;
        const char* facts;
        double tolerance;
    } rows[] = {
        {eightBit(colours(236, 17, 14)), colours(236, 17, 14), 17, 14, "BMP P 17 14 0 10", 0},
        {eightBit(patterned(1, 1)), patterned(1, 1), 1, 1, "BMP P 1 1 0 10", 0},
        {fullColour(patterned(7, 5)), patterned(7, 5), 7, 5, "BMP RGB 7 5 0 -1", 0},
        {fullColour(canvas), canvas, 478, 278, "BMP RGB 478 278 0 -1", 0},
        {eightBit(example()), example(), 5, 3, "BMP P 5 3 0 10", 0}, // over a larger file
        {dark, Picture(10, 10), 10, 10, "BMP P 10 10 0 0", 0},
        {jpeg(canvas, 478, 278, 40, false), canvas, 478, 278, "JPEG RGB 478 278 0 -1", 3},
        {jpeg(canvas, 478, 278, 100, false), canvas, 478, 278, "JPEG RGB 478 278 0 -1", 3},
        {jpeg(canvas, 24, 10, 65), canvas, 24, 10, "JPEG RGB 24 10 1 -1", 3},
    };
    test::TempFolder dir;
    std::vector<std::size_t> sizes;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.facts);
        const std::string file = dir.file("picture");
        ASSERT_EQ(row.write(file), 0);
        sizes.push_back(fileBytes(file).size());
        std::string command = "/usr/bin/python3 '" TARN_PYTHON_CHECKS "/pil_read.py' '";
        command += file + "' '" + dir.file("pil.rgb") + "' > '" + dir.file("pil.txt") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << "needs python3-pil";
        std::string facts;
        std::getline(std::ifstream(dir.file("pil.txt")), facts);
        EXPECT_EQ(facts, row.facts);
        Bytes expected;
        for (int y = 0; y < row.height; ++y)
            expected.insert(expected.end(), row.picture.row(y), row.picture.row(y) + 3 * row.width);
        const Bytes read = fileBytes(dir.file("pil.rgb"));
        ASSERT_EQ(read.size(), expected.size());
        double difference = 0;
        for (std::size_t i = 0; i < read.size(); ++i)
            difference += std::abs(read[i] - expected[i]);
        EXPECT_LE(difference / static_cast<double>(read.size()), row.tolerance);
    }
    EXPECT_EQ(sizes[4], 1078u + 8 * 3);
    std::ofstream(dir.file("plain")) << "";
    EXPECT_EQ(std::filesystem::status(dir.file("picture")).permissions(), // not a temporary's 0600
              std::filesystem::status(dir.file("plain")).permissions());
    EXPECT_LT(sizes[6], sizes[7]); // a higher quality, a larger file
}

// A failure leaves the earlier file as it was and no new or temporary file.
TEST(Writers, FailuresWriteNothing) {
    const Picture small = patterned(20, 10);
    const struct {
        const char* what;
        Write write;
        const char* target; // "kept" holds an earlier file
        long failAfter;     // a full disk after this many bytes; -1: none
        int result;
    } rows[] = {
        {"237 colours", eightBit(colours(237, 20, 20)), "kept", -1, kSave256TooManyColours},
        {"8-bit, disk full", eightBit(small), "kept", 1100, ENOSPC},
        {"8-bit, a file for the folder", eightBit(small), "kept/x.bmp", -1, ENOTDIR},
        {"24-bit, a new name, disk full at the last byte", fullColour(small), "new", 653, ENOSPC},
        {"JPEG too wide to encode", jpeg(Picture(70000, 1), 70000, 1, 65), "kept", -1, -1},
        {"JPEG, disk full", jpeg(small, 20, 10, 65), "kept", 100, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempFolder dir;
        test::InjectedFailureReset reset;
        ASSERT_TRUE(writeFileAtomically(dir.file("kept"), test::bytesOf("earlier")).ok());
        if (row.failAfter >= 0)
            testing::injectWriteFailure(ENOSPC, static_cast<std::size_t>(row.failAfter));
        EXPECT_EQ(row.write(dir.file(row.target)), row.result);
        EXPECT_EQ(fileBytes(dir.file("kept")), test::bytesOf("earlier"));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept"});
    }
}

// Gray (r + g + b) div 3; sepia 0.494, 0.383, 0.123 rounded (250 x 0.494 gives
// 124). Six pixels in 3 x 2, so that one out of place shows as well.
TEST(Effects, TonePixelsInPlace) {
    using Rgbs = std::vector<Rgb>;
    const Rgbs in = {kRed, {1, 1, 0}, kWhite, {250, 0, 0}, {200, 200, 200}, {10, 200, 50}};
    const Rgbs gray = {{85, 85, 85}, kBlack, kWhite, {83, 83, 83}, {200, 200, 200}, {86, 86, 86}};
    const Rgbs toned = {{126, 0, 0}, kBlack, {126, 98, 31}, {124, 0, 0}, {99, 77, 25}, {5, 77, 6}};
    PixelArray work;
    Picture p = test::pictureOf(3, 2, in);
    grayscale(p, work);
    EXPECT_EQ(p, test::pictureOf(3, 2, gray));
    p = test::pictureOf(3, 2, in);
    sepia(p, work);
    EXPECT_EQ(p, test::pictureOf(3, 2, toned));
}

} // namespace
} // namespace tarn
