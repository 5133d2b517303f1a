#pragma once

// Little-endian fields of BMP and scenario files, a byte at a time: neither the
// host's byte order nor the field's alignment matters.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

inline std::uint32_t getU32le(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline std::uint16_t getU16le(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

inline void putU32le(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void putU16le(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void appendU32le(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.resize(out.size() + 4);
    putU32le(out, out.size() - 4, v);
}

inline void appendU16le(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.resize(out.size() + 2);
    putU16le(out, out.size() - 2, v);
}

} // namespace tarn
