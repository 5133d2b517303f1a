// Settings files on which the fuzzer once broke a property of the store, each
// replayed with every key and value it can write.
#include "../../fuzz/ini_property.h"
#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace tarn {
namespace {

namespace fs = std::filesystem;

TEST(IniFoundInputs, WritingAKeyKeepsEveryOtherKey) {
    std::string pattern = (fs::temp_directory_path() / "tarn-ini-found-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const IniStore store(pattern, "Tarn");

    int files = 0;
    for (const auto& entry : fs::directory_iterator(TARN_TEST_DATA "/crashes/ini")) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        ++files;
        for (std::size_t key = 0; key < fuzz::kIniKeys.size(); ++key) {
            for (std::size_t value = 0; value < fuzz::kIniValues.size(); ++value)
                EXPECT_EQ(fuzz::iniWriteProblem(store, bytes, key, value), "")
                    << entry.path().filename() << " key " << key << " value " << value;
        }
    }
    EXPECT_GT(files, 0);
    fs::remove_all(pattern);
}

} // namespace
} // namespace tarn
