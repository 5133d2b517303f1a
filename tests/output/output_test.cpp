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

namespace tarn {
namespace {

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
TEST(Encode256, Examples) {
    const std::vector<Rgb> pixels = {kRed,   kRed,   kGreen, kBlue,     kRed,
                                     kWhite, kBlack, kRed,   {1, 2, 3}, kGreen,
                                     kBlue,  kBlue,  kWhite, kBlack,    {250, 128, 7}};
    Bytes b, single = test::fileBytes(TARN_TEST_DATA "/output/save256_5x3.bmp");
    ASSERT_EQ(encode256(test::pictureOf(5, 3, pixels), true, b), 0);
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

enum Kind { EightBit, FullColour, Dark, Jpeg, ProgressiveJpeg };

// The writer's result; -1 for any JPEG failure.
int write(Kind kind, const Picture& p, const std::string& file, int quality = 65) {
    if (kind == EightBit)
        return save256(p, file, true);
    if (kind == FullColour)
        return saveBmp24(p, file).error;
    if (kind == Dark)
        return WriteDarkBmp(file).error;
    const auto q = static_cast<std::uint8_t>(quality);
    return DCSavetoJPEG(p, p.width(), p.height(), file, q, kind == ProgressiveJpeg) == 0 ? 0 : -1;
}

// Each writer over an earlier file: the new file as PIL, a reader we did not write,
// sees it (the facts, and the mean difference per channel from the picture); after
// a failure, the earlier file as it was. Never a temporary file left.
TEST(Writers, FilesAsPilReadsThemOrNothing) {
    Picture canvas(478, 278);
    for (int i = 0; i < 478 * 278; ++i)
        canvas.setPixel(
            i % 478, i / 478,
            {static_cast<std::uint8_t>(i % 478 / 2), static_cast<std::uint8_t>(i / 478), 40});
    const Picture small = test::patterned(20, 10);
    const struct {
        Kind kind;
        Picture picture;
        const char* facts; // or what fails
        int quality = 65;
        int result = 0;
        long failAfter = -1; // a full disk after this many bytes
        const char* target = "kept";
    } rows[] = {
        {EightBit, colours(236, 17, 14), "BMP P 17 14 0 10"},
        {FullColour, canvas, "BMP RGB 478 278 0 -1"},
        {Dark, Picture(10, 10), "BMP P 10 10 0 0"},
        {Jpeg, canvas, "JPEG RGB 478 278 0 -1", 40},
        {ProgressiveJpeg, canvas, "JPEG RGB 478 278 1 -1", 100},
        {EightBit, colours(237, 20, 20), "237 colours", 65, kSave256TooManyColours},
        {EightBit, small, "8-bit, disk full", 65, ENOSPC, 1100},
        {EightBit, small, "8-bit, a file for the folder", 65, ENOTDIR, -1, "kept/x.bmp"},
        {FullColour, small, "24-bit, new name, disk full at the last byte", 65, ENOSPC, 653, "new"},
        {Jpeg, Picture(70000, 1), "JPEG too wide to encode", 65, -1},
        {Jpeg, small, "JPEG, disk full", 65, -1, 100},
    };
    std::vector<std::size_t> sizes;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.facts);
        const test::TempFolder dir;
        const std::string kept = dir.file("kept");
        std::ofstream(kept) << "earlier";
        const auto permissions = std::filesystem::status(kept).permissions();
        test::InjectedFailureReset reset;
        if (row.failAfter >= 0)
            testing::injectWriteFailure(ENOSPC, static_cast<std::size_t>(row.failAfter));
        ASSERT_EQ(write(row.kind, row.picture, dir.file(row.target), row.quality), row.result);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept"});
        if (row.result != 0) {
            EXPECT_EQ(test::fileBytes(kept), test::bytesOf("earlier"));
            continue;
        }
        EXPECT_EQ(std::filesystem::status(kept).permissions(), permissions); // not 0600
        sizes.push_back(test::fileBytes(kept).size());
        const std::string command =
            "/usr/bin/python3 '" TARN_PYTHON_CHECKS "/pil_read.py' '" + kept + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << "needs python3-pil";
        const Bytes pil = test::fileBytes(kept + ".pil");
        const auto end = std::find(pil.begin(), pil.end(), '\n');
        EXPECT_EQ(std::string(pil.begin(), end), row.facts);
        ASSERT_EQ(static_cast<std::size_t>(pil.end() - end), row.picture.byteCount() + 1);
        double difference = 0;
        for (std::size_t i = 0; i < row.picture.byteCount(); ++i)
            difference += std::abs(end[i + 1] - row.picture.bits()[i]);
        EXPECT_LE(difference, row.kind >= Jpeg ? 3.0 * row.picture.byteCount() : 0);
    }
    EXPECT_LT(sizes[3], sizes[4]); // a higher quality, a larger file
}

// Gray (r + g + b) div 3; sepia 0.494, 0.383, 0.123 rounded (250 x 0.494 gives
// 124). Six pixels in 3 x 2, so that one out of place shows as well.
TEST(Effects, TonePixelsInPlace) {
    using Rgbs = std::vector<Rgb>;
    const Rgbs in = {kRed, {1, 1, 0}, kWhite, {250, 0, 0}, {200, 200, 200}, {10, 200, 50}};
    const Rgbs gray = {{85, 85, 85}, kBlack, kWhite, {83, 83, 83}, {200, 200, 200}, {86, 86, 86}};
    const Rgbs toned = {{126, 0, 0}, kBlack, {126, 98, 31}, {124, 0, 0}, {99, 77, 25}, {5, 77, 6}};
    PixelArray work;
    Picture p = test::pictureOf(3, 2, in), q = p;
    grayscale(p, work);
    sepia(q, work);
    EXPECT_EQ(p, test::pictureOf(3, 2, gray));
    EXPECT_EQ(q, test::pictureOf(3, 2, toned));
}

} // namespace
} // namespace tarn
