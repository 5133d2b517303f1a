// The written files read by PIL, a reader we did not write: what users' other
// programs will see.
#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarn {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class PilReadsPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kPython))
            FAIL() << kPython << " is missing: these checks need it with python3-pil (make deps)";
        ASSERT_TRUE(dir_.ok());
    }

    // The picture's pixels as R, G, B bytes, top row first.
    std::string rawFile(const Picture& p, const std::string& name) const {
        const std::string path = dir_.file(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(p.bits()),
                   static_cast<std::streamsize>(p.byteCount()));
        return path;
    }

    // Runs the checker; empty when all holds, else what it said.
    std::string check(const std::vector<std::string>& args) const {
        // Appended piece by piece: GCC 12 warns falsely on operator+ chains here.
        std::string command = kPython;
        command += ' ';
        command += quoted(TARN_PYTHON_CHECKS "/check_pictures.py");
        for (const std::string& a : args) {
            command += ' ';
            command += quoted(a);
        }
        const std::string log = dir_.file("checker.log");
        const int status = std::system((command + " > " + quoted(log) + " 2>&1").c_str());
        std::ifstream in(log);
        std::ostringstream said;
        said << in.rdbuf();
        if (status == 0)
            return {};
        return "checker exit status " + std::to_string(status) + ": " + said.str();
    }

    test::TempFolder dir_;
};

TEST_F(PilReadsPictures, PaletteBmpsHaveExactPixels) {
    for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {13, 7}, {16, 14}}) {
        SCOPED_TRACE(::testing::Message() << w << " x " << h);
        const Picture p = test::patterned(w, h);
        const std::string path = dir_.file("p.bmp");
        ASSERT_EQ(save256(p, path, true), 0);
        EXPECT_EQ(check({"bmp", path, "P", std::to_string(w), std::to_string(h),
                         rawFile(p, "p.raw"), "10"}),
                  "");
    }
}

TEST_F(PilReadsPictures, FullColourBmpsHaveExactPixels) {
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {7, 5}, {478, 278}}) {
        SCOPED_TRACE(::testing::Message() << w << " x " << h);
        const Picture p = test::patterned(w, h);
        const std::string path = dir_.file("f.bmp");
        ASSERT_TRUE(saveBmp24(p, path).ok());
        EXPECT_EQ(
            check({"bmp", path, "RGB", std::to_string(w), std::to_string(h), rawFile(p, "f.raw")}),
            "");
    }
}

TEST_F(PilReadsPictures, JpegSizeProgressionAndLikeness) {
    Picture canvas(478, 278);
    for (int y = 0; y < 278; ++y)
        for (int x = 0; x < 478; ++x)
            canvas.setPixel(x, y,
                            {static_cast<std::uint8_t>(x / 2), static_cast<std::uint8_t>(y),
                             static_cast<std::uint8_t>(x < 239 ? 40 : 200)});
    const std::string raw = rawFile(canvas, "c.raw");
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        const std::string path = dir_.file("c.jpg");
        ASSERT_EQ(DCSavetoJPEG(canvas, 478, 278, path, 65, progressive), 0);
        EXPECT_EQ(check({"jpeg", path, "478", "278", progressive ? "1" : "0", raw, "4"}), "");
    }
}

} // namespace
} // namespace tarn
