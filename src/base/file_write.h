#pragma once

#include "base/status.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarn {

using Bytes = std::vector<std::uint8_t>;

// Durable files are flushed to the disk before the rename; scratch files (the
// working files, rewritten many times a second) are only renamed, which still
// keeps them whole for every reader.
enum class Durability { Durable, Scratch };

// Puts bytes on disk whole or not at all: written to a temporary file beside the
// target, then renamed over it. On failure the target is untouched and no
// temporary file remains. Every failure is System, naming the path.
Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           Durability durability = Durability::Durable);

// Reads a whole file; on failure `out` is empty.
Status readWholeFile(const std::string& path, Bytes& out);

// Copies source to destination through writeFileAtomically. A copy of a file
// onto itself is skipped, so the source is never truncated.
Status copyFileAtomically(const std::string& source, const std::string& destination);

namespace testing {
// Makes the next writes fail with errorNumber once afterBytes bytes have gone
// out, as a full disk would. Pass errorNumber 0 to stop.
void injectWriteFailure(int errorNumber, std::size_t afterBytes);
} // namespace testing

} // namespace tarn
