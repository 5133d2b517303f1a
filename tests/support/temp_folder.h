#pragma once

#include "base/file_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tarn::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarn-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot make a temporary folder";
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    // Names in the folder, sorted: shows leftover temporary files.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline Bytes fileBytes(const std::string& path) {
    Bytes bytes;
    readWholeFile(path, bytes, UINT64_MAX);
    return bytes;
}

inline Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Turns off a failure injected by a test, whatever way the test ends.
struct InjectedFailureReset {
    ~InjectedFailureReset() { testing::injectWriteFailure(0, 0); }
};

} // namespace tarn::test
