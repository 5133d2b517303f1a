#include "output/jpeg_writer.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <optional>

namespace tarn {
namespace {

using test::fileBytes;
using test::TempFolder;

struct Frame {
    int marker = 0; // 0xC0 baseline, 0xC2 progressive, ...
    int width = 0;
    int height = 0;
    int components = 0;
};

// The first start-of-frame segment of a JPEG file, walking the segments.
std::optional<Frame> firstFrame(const Bytes& b) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const int marker = b[at + 1];
        const std::size_t length = (b[at + 2] << 8) | b[at + 3];
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof && at + 10 <= b.size())
            return Frame{marker, (b[at + 7] << 8) | b[at + 8], (b[at + 5] << 8) | b[at + 6],
                         b[at + 9]};
        at += 2 + length;
    }
    return std::nullopt;
}

struct Jump {
    jpeg_error_mgr base;
    std::jmp_buf back;
};

// Decodes with libjpeg; an empty picture when the bytes are not a JPEG.
Picture decodeJpeg(const Bytes& bytes) {
    jpeg_decompress_struct info{};
    Jump errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr i) {
        std::longjmp(reinterpret_cast<Jump*>(i->err)->back, 1);
    };
    errors.base.output_message = [](j_common_ptr) {};
    unsigned char* row = nullptr;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        std::free(row);
        return Picture();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    Picture p(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    row = static_cast<unsigned char*>(std::malloc(info.output_width * 3));
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
        for (int x = 0; x < p.width(); ++x)
            p.setPixel(x, y, {row[3 * x], row[3 * x + 1], row[3 * x + 2]});
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(row);
    return p;
}

bool near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// Four 16 x 16 quadrants in distinct colours, so a flipped or mirrored file shows.
Picture quadrants(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y,
                       y < height / 2 ? (x < width / 2 ? Rgb{220, 30, 30} : Rgb{30, 220, 30})
                                      : (x < width / 2 ? Rgb{30, 30, 220} : Rgb{230, 230, 40}));
    return p;
}

TEST(DCSavetoJPEG, ProgressiveFlagChoosesTheFrameType) {
    TempFolder dir;
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {478, 278}};
    for (const auto& [w, h] : sizes) {
        for (const int quality : {1, 40, 65, 100}) {
            for (const bool progressive : {false, true}) {
                SCOPED_TRACE(::testing::Message()
                             << w << "x" << h << " q" << quality << " p" << progressive);
                const std::string path = dir.file("out.jpg");
                ASSERT_EQ(DCSavetoJPEG(test::patterned(w, h), w, h, path,
                                       static_cast<std::uint8_t>(quality), progressive),
                          0);
                const std::optional<Frame> frame = firstFrame(fileBytes(path));
                ASSERT_TRUE(frame.has_value());
                EXPECT_EQ(frame->marker, progressive ? 0xC2 : 0xC0);
                EXPECT_EQ(frame->width, w);
                EXPECT_EQ(frame->height, h);
                EXPECT_EQ(frame->components, 3);
            }
        }
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.jpg"});
}

TEST(DCSavetoJPEG, ReadsBackUprightAndCroppedToTheGivenSize) {
    TempFolder dir;
    const Picture raster = quadrants(64, 32);
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        ASSERT_EQ(DCSavetoJPEG(raster, 64, 32, dir.file("whole.jpg"), 95, progressive), 0);
        const Picture whole = decodeJpeg(fileBytes(dir.file("whole.jpg")));
        ASSERT_EQ(whole.width(), 64);
        ASSERT_EQ(whole.height(), 32);
        for (const auto& [x, y] : {std::pair{4, 4}, {60, 4}, {4, 28}, {60, 28}})
            EXPECT_TRUE(near(whole.pixel(x, y), raster.pixel(x, y), 12)) << x << "," << y;

        // Width and height smaller than the raster take its top-left part.
        ASSERT_EQ(DCSavetoJPEG(raster, 24, 10, dir.file("part.jpg"), 95, progressive), 0);
        const Picture part = decodeJpeg(fileBytes(dir.file("part.jpg")));
        ASSERT_EQ(part.width(), 24);
        ASSERT_EQ(part.height(), 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_TRUE(near(part.pixel(x, y), Rgb{220, 30, 30}, 12)) << x << "," << y;
    }
}

TEST(DCSavetoJPEG, QualityChangesTheFile) {
    TempFolder dir;
    const Picture noisy = test::patterned(120, 80);
    ASSERT_EQ(DCSavetoJPEG(noisy, 120, 80, dir.file("q1.jpg"), 1, false), 0);
    ASSERT_EQ(DCSavetoJPEG(noisy, 120, 80, dir.file("q65.jpg"), 65, false), 0);
    ASSERT_EQ(DCSavetoJPEG(noisy, 120, 80, dir.file("q100.jpg"), 100, false), 0);
    const std::size_t q1 = fileBytes(dir.file("q1.jpg")).size();
    const std::size_t q65 = fileBytes(dir.file("q65.jpg")).size();
    const std::size_t q100 = fileBytes(dir.file("q100.jpg")).size();
    EXPECT_LT(q1, q65);
    EXPECT_LT(q65, q100);
}

// Every failure gives a non-zero result and leaves no file: an earlier file
// keeps its bytes, a new name stays absent, and nothing is left beside them.
TEST(DCSavetoJPEG, FailuresLeaveNoFileBehind) {
    const Picture raster = test::patterned(20, 10);
    const Picture tooWide(70000, 1); // beyond the format's 65500-pixel limit
    struct Row {
        const char* what;
        const Picture* raster;
        int width, height, quality;
        const char* name;
        int injectedError;
    };
    const Row rows[] = {
        {"zero width", &raster, 0, 10, 65, "a.jpg", 0},
        {"negative height", &raster, 20, -1, 65, "a.jpg", 0},
        {"wider than the raster", &raster, 21, 10, 65, "a.jpg", 0},
        {"taller than the raster", &raster, 20, 11, 65, "a.jpg", 0},
        {"quality 0", &raster, 20, 10, 0, "a.jpg", 0},
        {"quality above 100", &raster, 20, 10, 101, "a.jpg", 0},
        {"encoder refuses the size", &tooWide, 70000, 1, 65, "a.jpg", 0},
        {"missing folder", &raster, 20, 10, 65, "missing/a.jpg", 0},
        {"folder in the way", &raster, 20, 10, 65, "folder", 0},
        {"disk full", &raster, 20, 10, 65, "a.jpg", ENOSPC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder dir;
        test::InjectedFailureReset reset;
        std::filesystem::create_directory(dir.path() / "folder");
        ASSERT_TRUE(writeFileAtomically(dir.file("kept.jpg"), test::bytesOf("earlier")).ok());
        // Rows that fail whatever the name are tried over the earlier file too.
        std::vector<std::string> names{row.name};
        if (names.front() == "a.jpg")
            names.push_back("kept.jpg");
        for (const std::string& name : names) {
            if (row.injectedError != 0)
                testing::injectWriteFailure(row.injectedError, 100);
            EXPECT_NE(DCSavetoJPEG(*row.raster, row.width, row.height, dir.file(name),
                                   static_cast<std::uint8_t>(row.quality), true),
                      0)
                << name;
            testing::injectWriteFailure(0, 0);
        }
        EXPECT_EQ(fileBytes(dir.file("kept.jpg")), test::bytesOf("earlier"));
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder", "kept.jpg"}));
        EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder"));
    }
    EXPECT_NE(DCSavetoJPEG(Picture(), 1, 1, "/tmp/never-written.jpg", 65, false), 0);
}

} // namespace
} // namespace tarn
