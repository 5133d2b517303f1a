#pragma once

#include "base/file_write.h"
#include "scene/bmp.h"
#include "scene/picture.h"

#include <string>

namespace tarn {

// Result codes of save256 besides a platform error number.
inline constexpr int kSave256Written = 0;
inline constexpr int kSave256Empty = 1;
inline constexpr int kSave256TooManyColours = 3;

// Builds the 8-bit palette BMP of the picture's exact colours, palette in order
// of first appearance (from entry 10, at most 236 colours, when reserve is on).
// Returns 0, 1 (empty picture) or 3 (too many colours; out is left empty), or
// EFBIG for a picture too large for the format's 32-bit size fields.
int encode256(const Picture& picture, bool reserve, Bytes& out);

// The save-as rule: encode256 with the reserve on, or the 24-bit BMP when the
// colours do not fit (then `fullColour` is set). Returns kSave256Written,
// kSave256Empty or EFBIG (out empty).
int encode256Or24(const Picture& picture, Bytes& out, bool* fullColour = nullptr);

// encode256, then the file written whole. Returns 0, 1, 3, or the errno of a
// failed write with `status` (System) filled in; on any failure the file is
// untouched.
int save256(const Picture& picture, const std::string& path, bool reserve,
            Status* status = nullptr);

// encodeBmp24, then the file written whole; an empty or oversized picture gives
// EINVAL or EFBIG.
Status saveBmp24(const Picture& picture, const std::string& path);

} // namespace tarn
