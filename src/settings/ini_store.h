#pragma once

#include "base/file_write.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace tarn {

// The program's settings file, by default beside the executable:
// <program folder>/<exe base name in lower case>.ini.
class IniStore {
  public:
    IniStore(const std::string& programFolder, std::string executableBaseName);
    // Settings kept in `path`. While that file does not exist, `seedPath` is
    // read in its place, and a first write starts from its content.
    static IniStore at(std::string path, std::string seedPath);
    // Beside the executable when a file can be made in the program folder,
    // else in configFolder (created when first written), seeded from the file
    // beside the executable.
    static IniStore forProgram(const std::string& programFolder,
                               const std::string& executableBaseName,
                               const std::string& configFolder);

    // The stored value (whole, however long), or the default when the file,
    // section or key is missing or the file cannot be read. Section and key
    // match without regard to case. The file is read again only when it has
    // changed since the last call.
    std::string getini(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const;
    // Writes one key, keeping every other line of the file as it was; the file
    // is replaced whole or not at all. Writers in other processes wait for one
    // another, so no write is lost. False when it could not be written.
    bool putini(const std::string& section, const std::string& key,
                const std::string& value) const {
        return store(section, key, value).ok();
    }
    // putini with the reason of a failure: EINVAL for a name or value the
    // format cannot hold, else what the file system said.
    Status store(const std::string& section, const std::string& key,
                 const std::string& value) const;
    // How the file was last read: ok, ENOENT when there is none yet, anything
    // else when one is there but unusable (a pipe, a folder, too large, ...).
    Status readStatus() const;

    const std::string& path() const { return path_; }

    // A real settings file is a few hundred bytes; anything past this is not one.
    static constexpr std::uint64_t kMaxBytes = 4 << 20;

  private:
    IniStore() = default;
    const std::string& load() const;

    std::string path_;
    std::string seedPath_;

    // What was read, and the identity of the file it came from.
    struct Cache {
        bool valid = false;
        bool present = false;
        std::uint64_t device = 0, inode = 0, size = 0;
        timespec modified{}, changed{};
        std::string text;
        Status status;
    };
    mutable Cache cache_;
};

} // namespace tarn
