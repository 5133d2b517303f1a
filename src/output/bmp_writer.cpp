#include "output/bmp_writer.h"

#include "scene/bmp.h"

#include <array>
#include <cerrno>
#include <cstdint>

namespace tarn {

namespace {

constexpr std::size_t kPaletteEntries = 256;
constexpr std::size_t kPaletteSize = kPaletteEntries * 4;
constexpr std::size_t kPaletteBmpOffset = kBmpHeadersSize + kPaletteSize; // 1078

// Entries 0-9 and 246-255 hold the system colours of a 256-colour display, so
// with the reservation on the picture's colours go only into 10-245.
constexpr int kFirstFreeEntry = 10;
constexpr int kLastFreeEntry = 245;

constexpr std::uint32_t kNoColour = 0xFFFFFFFFu; // above every 24-bit colour

// Exact colour to palette entry, for at most 256 colours: open addressing in a
// table sixteen times that size (20 KB, within the first-level cache) makes
// the first probe hit almost always, so the branch is predictable. A "same as
// the last pixel" shortcut was tried and dropped: on real pictures its branch
// mispredicts often enough to halve the speed.
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
    static constexpr int kBits = 12;
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
    const std::size_t stride = bmpStride(width);
    if (!bmpSizeFits(kPaletteBmpOffset, stride, height))
        return EFBIG;

    Bytes bytes(kPaletteBmpOffset + stride * height, 0);
    std::uint8_t* palette = bytes.data() + kBmpHeadersSize;
    const int firstEntry = reserve ? kFirstFreeEntry : 0;
    const int lastEntry = reserve ? kLastFreeEntry : static_cast<int>(kPaletteEntries) - 1;
    int lastUsed = firstEntry - 1;

    ColourIndex index;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = picture.row(static_cast<int>(y));
        std::uint8_t* dst = bytes.data() + kPaletteBmpOffset + (height - 1 - y) * stride;
        for (std::size_t x = 0; x < width; ++x, src += 3) {
            const std::uint32_t colour = (std::uint32_t{src[0]} << 16) | (src[1] << 8) | src[2];
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
            dst[x] = static_cast<std::uint8_t>(entry);
        }
    }
    putBmpHeaders(bytes, picture.width(), picture.height(), 8, kPaletteBmpOffset);
    out = std::move(bytes);
    return kSave256Written;
}

int encode256Or24(const Picture& picture, Bytes& out, bool* fullColour) {
    const int result = encode256(picture, true, out);
    const bool tooMany = result == kSave256TooManyColours;
    if (tooMany)
        out = encodeBmp24(picture);
    if (fullColour != nullptr)
        *fullColour = tooMany;
    return tooMany ? kSave256Written : result;
}

int save256(const Picture& picture, const std::string& path, bool reserve, Status* status) {
    Bytes bytes;
    if (const int result = encode256(picture, reserve, bytes); result != kSave256Written) {
        if (status != nullptr && result != kSave256Empty && result != kSave256TooManyColours)
            *status = systemError(result, path);
        return result;
    }
    const Status written = writeFileAtomically(path, bytes);
    if (status != nullptr)
        *status = written;
    return written.error;
}

Status saveBmp24(const Picture& picture, const std::string& path) {
    if (picture.isNull())
        return systemError(EINVAL, path);
    const Bytes bytes = encodeBmp24(picture);
    if (bytes.empty())
        return systemError(EFBIG, path);
    return writeFileAtomically(path, bytes);
}

} // namespace tarn
