#pragma once

#include <string>

namespace tarn {

// The settings file beside the executable: <program folder>/<exe base name in
// lower case>.ini. Every call reads or writes the file anew; nothing is cached.
class IniStore {
  public:
    IniStore(const std::string& programFolder, std::string executableBaseName);

    // The stored value (whole, however long), or the default when the file,
    // section or key is missing. Section and key match without regard to case.
    std::string getini(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const;
    // Writes one key, keeping every other line of the file as it was; the file
    // is replaced whole or not at all. False when it could not be written.
    bool putini(const std::string& section, const std::string& key, const std::string& value) const;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace tarn
