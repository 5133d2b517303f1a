#pragma once

#include "scene/picture.h"

#include <cstdint>
#include <span>
#include <string>

namespace tarn {

enum class BmpError {
    None = 0,
    Truncated,         // shorter than its headers or its pixel rows
    NotBmp,            // no "BM" signature
    BadFileHeader,     // file size, reserved fields or pixel offset inconsistent
    UnsupportedHeader, // info header other than the 40-byte one
    UnsupportedFormat, // not 1 plane, 24 bits, uncompressed, without palette
    BadSize,           // width or height zero, negative width, or beyond kMaxPartSide
};

struct BmpReadResult {
    BmpError error = BmpError::None;
    std::string description; // Japanese, for a message box
    bool ok() const { return error == BmpError::None; }
};

// Reads an uncompressed 24-bit BMP such as encodeBmp24 writes (rows bottom-up,
// or top-down for a negative height). Every header field is checked and every
// size computed without overflow; on failure `out` is left untouched.
BmpReadResult decodeBmp24(std::span<const std::uint8_t> bytes, Picture& out);

} // namespace tarn
