#include "output/bmp_writer.h"

#include "output/little_endian.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <limits>

namespace tarn {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteEntries = 256;
constexpr std::size_t kPaletteSize = kPaletteEntries * 4;
constexpr std::size_t kPaletteBmpOffset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize; // 1078
constexpr std::size_t kFullColourOffset = kFileHeaderSize + kInfoHeaderSize;                // 54

// Entries 0-9 and 246-255 hold the system colours of a 256-colour display, so
// with the reservation on the picture's colours go only into 10-245.
constexpr int kFirstFreeEntry = 10;
constexpr int kLastFreeEntry = 245;

constexpr std::uint32_t kNoColour = 0xFFFFFFFFu; // above every 24-bit colour

std::size_t roundUpTo4(std::size_t n) {
    return (n + 3) / 4 * 4;
}

// Sizes a BMP cannot state in its 32-bit fields; none of the tool's pictures
// come near them, but a size that wrapped would write a lying header.
bool fitsBmp(std::size_t offset, std::size_t rowBytes, std::size_t height) {
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    return rowBytes <= (limit - offset) / height;
}

// File header and information header, in the order of their fields; every
// field not passed is 0 (no compression, no resolution, all colours used).
void putHeaders(Bytes& out, const Picture& picture, std::uint16_t bitsPerPixel,
                std::uint32_t offset) {
    out[0] = 'B';
    out[1] = 'M';
    putU32le(out, 2, static_cast<std::uint32_t>(out.size()));
    putU32le(out, 10, offset);
    putU32le(out, 14, kInfoHeaderSize);
    putU32le(out, 18, static_cast<std::uint32_t>(picture.width()));
    putU32le(out, 22, static_cast<std::uint32_t>(picture.height())); // positive: bottom-up rows
    putU16le(out, 26, 1);
    putU16le(out, 28, bitsPerPixel);
}

// Exact colour to palette entry, for at most 256 colours: open addressing in a
// table four times that size keeps probe runs short.
class ColourIndex {
  public:
    ColourIndex() { keys_.fill(kEmpty); }

    // The entry of the colour, or -1 with `slot` set to where it would go.
    int find(std::uint32_t colour, std::size_t& slot) const {
        slot = (colour * 0x9E3779B1u) >> (32 - kBits);
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == colour)
                return entries_[slot];
            slot = (slot + 1) & (kSize - 1);
        }
        return -1;
    }
    void add(std::size_t slot, std::uint32_t colour, int entry) {
        keys_[slot] = colour;
        entries_[slot] = static_cast<std::uint8_t>(entry);
    }

  private:
    static constexpr int kBits = 10;
    static constexpr std::size_t kSize = std::size_t{1} << kBits;
    static constexpr std::uint32_t kEmpty = kNoColour;
    std::array<std::uint32_t, kSize> keys_;
    std::array<std::uint8_t, kSize> entries_{};
};

} // namespace

int encode256(const Picture& picture, bool reserve, Bytes& out) {
    out.clear();
    if (picture.isNull())
        return kSave256Empty;
    const auto width = static_cast<std::size_t>(picture.width());
    const auto height = static_cast<std::size_t>(picture.height());
    const std::size_t stride = roundUpTo4(width);
    if (!fitsBmp(kPaletteBmpOffset, stride, height))
        return EFBIG;

    Bytes bytes(kPaletteBmpOffset + stride * height, 0);
    std::uint8_t* palette = bytes.data() + kFileHeaderSize + kInfoHeaderSize;
    const int firstEntry = reserve ? kFirstFreeEntry : 0;
    const int lastEntry = reserve ? kLastFreeEntry : static_cast<int>(kPaletteEntries) - 1;
    int lastUsed = firstEntry - 1;

    ColourIndex index;
    // Neighbouring pixels mostly share a colour; remembering the last one
    // skips the table for runs.
    std::uint32_t previousColour = kNoColour;
    int previousEntry = -1;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = picture.row(static_cast<int>(y));
        std::uint8_t* dst = bytes.data() + kPaletteBmpOffset + (height - 1 - y) * stride;
        for (std::size_t x = 0; x < width; ++x, src += 3) {
            const std::uint32_t colour = (std::uint32_t{src[0]} << 16) | (src[1] << 8) | src[2];
            if (colour != previousColour) {
                std::size_t slot = 0;
                int entry = index.find(colour, slot);
                if (entry < 0) {
                    if (lastUsed == lastEntry)
                        return kSave256TooManyColours;
                    entry = ++lastUsed;
                    index.add(slot, colour, entry);
                    std::uint8_t* e = palette + 4 * entry;
                    e[0] = src[2]; // blue, green, red, 0
                    e[1] = src[1];
                    e[2] = src[0];
                }
                previousColour = colour;
                previousEntry = entry;
            }
            dst[x] = static_cast<std::uint8_t>(previousEntry);
        }
    }
    putHeaders(bytes, picture, 8, kPaletteBmpOffset);
    out = std::move(bytes);
    return kSave256Written;
}

int save256(const Picture& picture, const std::string& path, bool reserve, IoStatus* status) {
    Bytes bytes;
    if (const int result = encode256(picture, reserve, bytes); result != kSave256Written) {
        if (status != nullptr && result != kSave256Empty && result != kSave256TooManyColours)
            *status = {result, errorDescription(result)};
        return result;
    }
    const IoStatus written = writeFileAtomically(path, bytes);
    if (status != nullptr)
        *status = written;
    return written.number;
}

Bytes encodeBmp24(const Picture& picture) {
    if (picture.isNull())
        return {};
    const auto height = static_cast<std::size_t>(picture.height());
    const std::size_t rowBytes = picture.rowBytes();
    const std::size_t stride = roundUpTo4(rowBytes);
    if (!fitsBmp(kFullColourOffset, stride, height))
        return {};

    Bytes bytes(kFullColourOffset + stride * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = picture.row(static_cast<int>(y));
        std::uint8_t* dst = bytes.data() + kFullColourOffset + (height - 1 - y) * stride;
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            dst[i] = src[i + 2];
            dst[i + 1] = src[i + 1];
            dst[i + 2] = src[i];
        }
    }
    putHeaders(bytes, picture, 24, kFullColourOffset);
    return bytes;
}

IoStatus saveBmp24(const Picture& picture, const std::string& path) {
    if (picture.isNull())
        return {EINVAL, errorDescription(EINVAL)};
    const Bytes bytes = encodeBmp24(picture);
    if (bytes.empty())
        return {EFBIG, errorDescription(EFBIG)};
    return writeFileAtomically(path, bytes);
}

} // namespace tarn
