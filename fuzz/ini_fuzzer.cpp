// Any bytes as the settings file; see ini_property.h for what must hold.
#include "fuzz_check.h"
#include "ini_property.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// One folder per process, removed at exit (TMPDIR decides where it lives).
class Folder {
  public:
    Folder() {
        std::string pattern = std::filesystem::temp_directory_path() / "tarn_fuzz_ini_XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folder folder;
    using tarn::fuzz::kIniKeys;
    using tarn::fuzz::kIniValues;
    // The length picks key and value, so every file meets each of them.
    const std::size_t key = size % kIniKeys.size();
    const std::size_t value = (size / kIniKeys.size()) % kIniValues.size();
    const std::string problem = tarn::fuzz::iniWriteProblem(tarn::IniStore(folder.path(), "Tarn"),
                                                            {data, size}, key, value);
    if (!problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    FUZZ_CHECK(problem.empty());
    return 0;
}
