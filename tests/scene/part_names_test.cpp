#include "scene/part_names.h"

#include <gtest/gtest.h>

#include <cctype>

namespace tarn {
namespace {

constexpr int kNotListed = -1;

struct NameCase {
    const char* fileName;
    int list;
    const char* entry;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << "\"" << c.fileName << "\"";
}

// "a_fl.x.bmp" -> "7_a_fl_x_bmp": readable and unique ctest names.
std::string caseName(const ::testing::TestParamInfo<NameCase>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* p = info.param.fileName; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

class PartClassification : public ::testing::TestWithParam<NameCase> {};

TEST_P(PartClassification, GoesToItsListOnly) {
    const NameCase c = GetParam();
    const PartLists lists = makelist({c.fileName});
    for (int i = 0; i < 6; ++i) {
        const auto& list = lists[static_cast<std::size_t>(i)];
        if (i != c.list) {
            EXPECT_TRUE(list.empty()) << c.fileName << " also in list " << i;
            continue;
        }
        ASSERT_EQ(list.size(), 1u) << c.fileName;
        EXPECT_EQ(list[0].entry, c.entry);
        EXPECT_EQ(list[0].fileName, c.fileName);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PartClassification,
    ::testing::Values(
        // One row per layer code, both accepted extensions.
        NameCase{"stone_ug.bmp", 1, "stone_ug"}, NameCase{"stone_bl.bmp", 2, "stone_bl"},
        NameCase{"stone_br.BMP", 3, "stone_br"}, NameCase{"stone_fl.bmp", 4, "stone_fl"},
        NameCase{"stone_fr.BMP", 5, "stone_fr"},
        // Extension exactly "BMP" or "bmp".
        NameCase{"stone_fl.Bmp", kNotListed, ""}, NameCase{"stone_fl.bmP", kNotListed, ""},
        NameCase{"stone_fl.jpg", kNotListed, ""}, NameCase{"stone_fl.bmp.txt", kNotListed, ""},
        NameCase{"stone_fl", kNotListed, ""},
        // Codes are case-sensitive.
        NameCase{"wall_FL.bmp", kNotListed, ""}, NameCase{"wall_Fl.bmp", kNotListed, ""},
        // Object rule first: prefix "ob" or tag "_ob_".
        NameCase{"ob_barrel.BMP", 0, "ob_barrel"}, NameCase{"ob.bmp", 0, "ob"},
        NameCase{"object_fl.bmp", 0, "object_fl"}, NameCase{"a_ob_x.bmp", 0, "a_ob_x"},
        NameCase{"_ob_.bmp", 0, "_ob_"}, NameCase{"Ob_x.bmp", kNotListed, ""},
        NameCase{"Ob_fl.bmp", 4, "Ob_fl"}, NameCase{"xob_fl.bmp", 4, "xob_fl"},
        // Tag "_ug_" before the layer code; only the first tag counts.
        NameCase{"a_ug_b.bmp", 1, "a_ug_b"}, NameCase{"x_ug_fl.bmp", 1, "x_ug_fl"},
        NameCase{"ab_cd_ob_.bmp", kNotListed, ""}, NameCase{"x_cd_ug_fl.bmp", 4, "x_cd_ug_fl"},
        // The layer code sits before the first ".", which must leave two characters.
        NameCase{"wall.fl.bmp", kNotListed, ""}, NameCase{"a_fl.x.bmp", 4, "a_fl.x"},
        NameCase{"fl.bmp", 4, "fl"}, NameCase{"x.bmp", kNotListed, ""},
        NameCase{"x.BMP", kNotListed, ""}, NameCase{"a.fl.bmp", kNotListed, ""},
        NameCase{".fl.bmp", kNotListed, ""}, NameCase{"a.bmp", kNotListed, ""},
        // Names too short for a tag or a code.
        NameCase{".bmp", kNotListed, ""}, NameCase{"bmp", kNotListed, ""},
        NameCase{"ob", kNotListed, ""}, NameCase{"", kNotListed, ""}),
    caseName);

TEST(PartLists, KeepTheOrderOfTheFileListInEveryList) {
    const PartLists lists = makelist({"b_fl.bmp", "ob_z.bmp", "a_fl.BMP", "readme.txt", "ob_a.bmp",
                                      "c_fr.bmp", "m_ug_.bmp", "d_ug.bmp"});
    const auto entries = [&](std::size_t i) {
        std::vector<std::string> out;
        for (const PartEntry& e : lists[i])
            out.push_back(e.entry + "|" + e.fileName);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(entries(0), (V{"ob_z|ob_z.bmp", "ob_a|ob_a.bmp"}));
    EXPECT_EQ(entries(1), (V{"m_ug_|m_ug_.bmp", "d_ug|d_ug.bmp"}));
    EXPECT_EQ(entries(2), V{});
    EXPECT_EQ(entries(3), V{});
    EXPECT_EQ(entries(4), (V{"b_fl|b_fl.bmp", "a_fl|a_fl.BMP"}));
    EXPECT_EQ(entries(5), (V{"c_fr|c_fr.bmp"}));
    for (const auto& list : makelist({}))
        EXPECT_TRUE(list.empty());
}

TEST(PartNames, Getsname) {
    const std::pair<const char*, const char*> cases[] = {{"a_ug_b.bmp", "_ug_"},
                                                         {"ab_cd_ob_.bmp", "_cd_"},
                                                         {"_ob_", "_ob_"},
                                                         {"____", "____"},
                                                         {"x_abc_", ""},
                                                         {"a__b", ""},
                                                         {"_a_", ""},
                                                         {"", ""},
                                                         {"abc_de_", "_de_"}};
    for (const auto& [name, tag] : cases)
        EXPECT_EQ(getsname(name), tag) << name;
}

TEST(PartNames, Trimpath) {
    const std::pair<const char*, const char*> cases[] = {{"/home/parts/", "/home/parts"},
                                                         {"/home/parts", "/home/parts"},
                                                         {"/", ""},
                                                         {"", ""},
                                                         {"a//", "a/"}};
    for (const auto& [path, trimmed] : cases)
        EXPECT_EQ(trimpath(path), trimmed) << path;
}

} // namespace
} // namespace tarn
