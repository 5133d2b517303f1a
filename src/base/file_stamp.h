#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// What tells one state of a file from the next: a replaced or rewritten file
// has another inode, size or change time.
struct FileStamp {
    bool present = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0, changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The file's stamp now; not present when it cannot be looked at.
FileStamp fileStamp(const std::string& path);

} // namespace tarn
