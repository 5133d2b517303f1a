#pragma once

#include "base/file_write.h"
#include "base/status.h"
#include "scene/picture.h"

#include <cstdint>
#include <span>

namespace tarn {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;
inline constexpr std::uint32_t kBmpCoreHeaderSize = 12; // the old header with 16-bit sizes
inline constexpr std::size_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// The file header and the information header, field by field as stored.
struct BmpHeader {
    std::uint32_t fileSize = 0;
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: rows top-down
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
};

// Reads the headers of bytes that begin with "BM": the 40-byte information
// header layout for every size but the core header's, whose 16-bit sizes are
// widened. Fields the bytes do not reach stay 0; true when the whole
// information header was there.
bool readBmpHeader(std::span<const std::uint8_t> bytes, BmpHeader& out);

// Writes both headers at the start of `out`, sized already to the whole file:
// file size out.size(), one plane, positive height (bottom-up rows), no
// compression or resolution, and every field not passed 0.
void putBmpHeaders(Bytes& out, int width, int height, std::uint16_t bitsPerPixel,
                   std::uint32_t pixelOffset, std::uint32_t coloursUsed = 0);

// Whether a BMP of rows of rowBytes (padded) after `offset` bytes of headers
// can state its size in its 32-bit fields. None of the tool's pictures come
// near; a size that wrapped would write a lying header.
bool bmpSizeFits(std::size_t offset, std::size_t rowBytes, std::size_t height);

// Bytes a stored row takes: rows are padded to whole 32-bit words.
constexpr std::uint64_t bmpStride(std::uint64_t rowBytes) {
    return (rowBytes + 3) / 4 * 4;
}

// Uncompressed 24-bit BMP, rows bottom-up, padded to 4 bytes. Empty bytes for
// an empty or oversized picture.
Bytes encodeBmp24(const Picture& picture);

// Reads an uncompressed 24-bit BMP such as encodeBmp24 writes (rows bottom-up,
// or top-down for a negative height). Every header field is checked and every
// size computed without overflow; on failure (a Bmp* code, or NotBmp) `out` is
// left untouched.
Status decodeBmp24(std::span<const std::uint8_t> bytes, Picture& out);

} // namespace tarn
