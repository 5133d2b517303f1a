#include "objects/bmp_reader.h"

#include "output/little_endian.h"
#include "scene/scene.h"

#include <utility>

namespace tarn {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

std::int32_t getS32le(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(getU32le(b, at));
}

// Indexed by BmpError.
constexpr const char* kDescriptions[] = {
    "",
    "ビットマップファイルが途中で切れています。",
    "ビットマップファイルではありません。",
    "ビットマップファイルのヘッダーが壊れています。",
    "対応していない形式のビットマップです。",
    "24ビットの非圧縮ビットマップではありません。",
    "ビットマップの大きさが正しくありません。",
};

BmpReadResult fail(BmpError error) {
    return {error, kDescriptions[static_cast<int>(error)]};
}

} // namespace

BmpReadResult decodeBmp24(std::span<const std::uint8_t> bytes, Picture& out) {
    if (bytes.size() >= 2 && (bytes[0] != 'B' || bytes[1] != 'M'))
        return fail(BmpError::NotBmp);
    if (bytes.size() < kHeadersSize)
        return fail(BmpError::Truncated);
    // BITMAPFILEHEADER
    const std::uint32_t fileSize = getU32le(bytes, 2);
    const std::uint16_t reserved1 = getU16le(bytes, 6);
    const std::uint16_t reserved2 = getU16le(bytes, 8);
    const std::uint32_t pixelOffset = getU32le(bytes, 10);
    // BITMAPINFOHEADER
    const std::uint32_t infoSize = getU32le(bytes, 14);
    const std::int32_t width = getS32le(bytes, 18);
    const std::int32_t height = getS32le(bytes, 22);
    const std::uint16_t planes = getU16le(bytes, 26);
    const std::uint16_t bitCount = getU16le(bytes, 28);
    const std::uint32_t compression = getU32le(bytes, 30);
    const std::uint32_t imageSize = getU32le(bytes, 34);
    // 38 and 42: pixels per metre, any value is harmless.
    const std::uint32_t coloursUsed = getU32le(bytes, 46);
    const std::uint32_t coloursImportant = getU32le(bytes, 50);

    if (fileSize > bytes.size())
        return fail(BmpError::Truncated);
    if (fileSize < kHeadersSize || reserved1 != 0 || reserved2 != 0 || pixelOffset < kHeadersSize ||
        pixelOffset > fileSize)
        return fail(BmpError::BadFileHeader);
    if (infoSize != kInfoHeaderSize)
        return fail(BmpError::UnsupportedHeader);
    if (planes != 1 || bitCount != 24 || compression != 0 || coloursUsed != 0 ||
        coloursImportant != 0)
        return fail(BmpError::UnsupportedFormat);
    // Compared as 64-bit so that INT32_MIN cannot be negated into itself.
    const std::int64_t rows64 = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (width <= 0 || rows64 == 0 || width > kMaxPartSide || rows64 > kMaxPartSide)
        return fail(BmpError::BadSize);

    const int w = width;
    const int h = static_cast<int>(rows64);
    const std::uint64_t stride = (static_cast<std::uint64_t>(w) * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(h);
    if (imageSize != 0 && imageSize != pixelBytes)
        return fail(BmpError::BadFileHeader);
    if (static_cast<std::uint64_t>(pixelOffset) + pixelBytes > fileSize)
        return fail(BmpError::Truncated);

    Picture picture(w, h);
    const bool bottomUp = height > 0;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = bytes.data() + pixelOffset +
                                  static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* dst = picture.row(bottomUp ? h - 1 - y : y);
        for (int x = 0; x < w; ++x, src += 3, dst += 3) {
            dst[0] = src[2]; // stored blue, green, red
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    out = std::move(picture);
    return {};
}

} // namespace tarn
