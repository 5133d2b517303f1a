#include "scene/scene.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(WholeNumber, ReadsListTexts) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"12", 12},
                 {" 12 ", 12},
                 {"-3", -3},
                 {"2.5", 2},
                 {"3.5", 4},
                 {"-2.5", -2},
                 {"2.6", 3},
                 {"abc", 0},
                 {"", 0},
                 {"   ", 0},
                 {"12abc", 0},
                 {"0", 0},
                 {"1e10", 0},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases)
        EXPECT_EQ(wholeNumber(c.text), c.expected) << "\"" << c.text << "\"";
}

} // namespace
} // namespace tarn
