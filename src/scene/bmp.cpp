#include "scene/bmp.h"

#include "base/little_endian.h"
#include "scene/scene.h"

#include <limits>
#include <utility>

namespace tarn {

namespace {

constexpr std::size_t kFullColourOffset = kBmpHeadersSize;

std::int32_t getS32le(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(getU32le(b, at));
}

Status fail(StatusCode code) {
    return {code, {}, 0};
}

} // namespace

bool readBmpHeader(std::span<const std::uint8_t> bytes, BmpHeader& out) {
    out = {};
    if (bytes.size() < kBmpFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    // BITMAPFILEHEADER
    out.fileSize = getU32le(bytes, 2);
    out.reserved1 = getU16le(bytes, 6);
    out.reserved2 = getU16le(bytes, 8);
    out.pixelOffset = getU32le(bytes, 10);
    if (bytes.size() < kBmpFileHeaderSize + 4)
        return false;
    out.infoSize = getU32le(bytes, 14);
    if (out.infoSize == kBmpCoreHeaderSize) {
        if (bytes.size() < kBmpFileHeaderSize + kBmpCoreHeaderSize)
            return false;
        out.width = getU16le(bytes, 18);
        out.height = getU16le(bytes, 20);
        out.planes = getU16le(bytes, 22);
        out.bitCount = getU16le(bytes, 24);
        return true;
    }
    if (bytes.size() < kBmpHeadersSize)
        return false;
    // BITMAPINFOHEADER
    out.width = getS32le(bytes, 18);
    out.height = getS32le(bytes, 22);
    out.planes = getU16le(bytes, 26);
    out.bitCount = getU16le(bytes, 28);
    out.compression = getU32le(bytes, 30);
    out.imageSize = getU32le(bytes, 34);
    // 38 and 42: pixels per metre, any value is harmless.
    out.coloursUsed = getU32le(bytes, 46);
    out.coloursImportant = getU32le(bytes, 50);
    return true;
}

void putBmpHeaders(Bytes& out, int width, int height, std::uint16_t bitsPerPixel,
                   std::uint32_t pixelOffset, std::uint32_t coloursUsed) {
    out[0] = 'B';
    out[1] = 'M';
    putU32le(out, 2, static_cast<std::uint32_t>(out.size()));
    putU32le(out, 10, pixelOffset);
    putU32le(out, 14, kBmpInfoHeaderSize);
    putU32le(out, 18, static_cast<std::uint32_t>(width));
    putU32le(out, 22, static_cast<std::uint32_t>(height)); // positive: bottom-up rows
    putU16le(out, 26, 1);
    putU16le(out, 28, bitsPerPixel);
    putU32le(out, 46, coloursUsed);
}

bool bmpSizeFits(std::size_t offset, std::size_t rowBytes, std::size_t height) {
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    return rowBytes <= (limit - offset) / height;
}

Bytes encodeBmp24(const Picture& picture) {
    if (picture.isNull())
        return {};
    const auto height = static_cast<std::size_t>(picture.height());
    const std::size_t rowBytes = picture.rowBytes();
    const std::size_t stride = bmpStride(rowBytes);
    if (!bmpSizeFits(kFullColourOffset, stride, height))
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
    putBmpHeaders(bytes, picture.width(), picture.height(), 24, kFullColourOffset);
    return bytes;
}

Status decodeBmp24(std::span<const std::uint8_t> bytes, Picture& out) {
    if (bytes.size() >= 2 && (bytes[0] != 'B' || bytes[1] != 'M'))
        return fail(StatusCode::NotBmp);
    if (bytes.size() < kBmpHeadersSize)
        return fail(StatusCode::BmpTruncated);
    BmpHeader h;
    readBmpHeader(bytes, h);

    if (h.fileSize > bytes.size())
        return fail(StatusCode::BmpTruncated);
    if (h.fileSize < kBmpHeadersSize || h.reserved1 != 0 || h.reserved2 != 0 ||
        h.pixelOffset < kBmpHeadersSize || h.pixelOffset > h.fileSize)
        return fail(StatusCode::BmpBadFileHeader);
    if (h.infoSize != kBmpInfoHeaderSize)
        return fail(StatusCode::BmpUnsupportedHeader);
    if (h.planes != 1 || h.bitCount != 24 || h.compression != 0 || h.coloursUsed != 0 ||
        h.coloursImportant != 0)
        return fail(StatusCode::BmpUnsupportedFormat);
    // Compared as 64-bit so that INT32_MIN cannot be negated into itself.
    const std::int64_t rows64 = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
    if (!partSizeAllowed(h.width, rows64))
        return fail(StatusCode::BmpBadSize);

    const int w = h.width;
    const int rows = static_cast<int>(rows64);
    const std::uint64_t stride = bmpStride(static_cast<std::uint64_t>(w) * 3);
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(rows);
    if (h.imageSize != 0 && h.imageSize != pixelBytes)
        return fail(StatusCode::BmpBadFileHeader);
    if (static_cast<std::uint64_t>(h.pixelOffset) + pixelBytes > h.fileSize)
        return fail(StatusCode::BmpTruncated);

    Picture picture(w, rows);
    const bool bottomUp = h.height > 0;
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* src = bytes.data() + h.pixelOffset +
                                  static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* dst = picture.row(bottomUp ? rows - 1 - y : y);
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
