#include "app/common/picture_io.h"
#include "app/common/native_path.h"

#include "scene/bmp.h"
#include "scene/scene.h"

#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

QImage toQImage(const Picture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
    // Qt gives a null image when it cannot have the memory.
    if (image.isNull() && !picture.isNull())
        throw std::bad_alloc();
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(image.scanLine(y), picture.row(y), picture.rowBytes());
    return image;
}

Picture fromQImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Picture picture(rgb.width(), rgb.height());
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(picture.row(y), rgb.constScanLine(y), picture.rowBytes());
    return picture;
}

namespace {

// The formats each kind of picture may be decoded from, known by their first
// bytes: anything else is refused before a decoder sees it, so a file that
// merely calls itself a picture (a PPM declaring gigapixels, say) costs nothing.
struct Format {
    const char* name; // Qt's format name
    QByteArrayView magic;
};
constexpr Format kPartFormats[] = {{"bmp", "BM"}};
constexpr Format kPreviewFormats[] = {{"jpeg", "\xFF\xD8\xFF"}};

const char* formatOf(QIODevice* device, PictureKind kind) {
    const QByteArray head = device->peek(8);
    const auto pick = [&](const auto& formats) -> const char* {
        for (const Format& f : formats)
            if (head.startsWith(f.magic))
                return f.name;
        return nullptr;
    };
    return kind == PictureKind::Part ? pick(kPartFormats) : pick(kPreviewFormats);
}

// A BMP's size as its headers give it, read here rather than by Qt: Qt 6.4
// reports a top-down picture's height as negative. An invalid size means the
// file is refused: a header that does not hold together, a size beyond the
// limits (run-length files included, whose few bytes may declare gigapixels),
// or uncompressed pixels that end early, which Qt would leave as whatever
// memory held.
QSize bmpSize(QIODevice* device) {
    const QByteArray head = device->peek(kBmpHeadersSize);
    if (head.size() < 14 + 16)
        return {};
    BmpHeader h;
    const bool whole = readBmpHeader({reinterpret_cast<const std::uint8_t*>(head.constData()),
                                      static_cast<std::size_t>(head.size())},
                                     h);
    // Pixels said to start inside the headers would be read from the headers.
    if (!whole || h.infoSize > 1024 * 1024 || h.pixelOffset < kBmpFileHeaderSize + h.infoSize)
        return {};
    const std::int64_t width = h.width;
    const std::int64_t height = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
    if (!partSizeAllowed(width, height))
        return {};
    // Run-length and embedded pictures have no fixed length (the core header
    // has no compression field); devices of unknown length cannot be measured.
    if ((h.compression == 0 || h.compression == 3) && !device->isSequential()) {
        const std::int64_t rowBytes = (width * h.bitCount + 31) / 32 * 4;
        if (device->size() < static_cast<std::int64_t>(h.pixelOffset) + rowBytes * height)
            return {};
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

bool readPicture(QIODevice* device, PictureKind kind, Picture& out) {
    const char* format = formatOf(device, kind);
    if (format == nullptr)
        return false;
    QImageReader reader(device, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    // Qt's own cap, in MB, as a second line behind the pixel limit.
    reader.setAllocationLimit(static_cast<int>(kMaxPartPixels * 4 / (1024 * 1024)) + 1);
    const QSize size = qstrcmp(format, "bmp") == 0 ? bmpSize(device) : reader.size();
    if (!size.isValid() || !partSizeAllowed(size.width(), size.height()))
        return false;
    // Run-length BMPs may leave pixels unwritten; the decoder fills the image it
    // is handed, so start from a cleared one rather than fresh heap memory.
    QImage image;
    if (const QImage::Format pixels = reader.imageFormat(); pixels != QImage::Format_Invalid) {
        image = QImage(size, pixels);
        if (image.isNull())
            return false;
        image.fill(0);
    }
    if (!reader.read(&image) || image.isNull())
        return false;
    if (image.size() != size)
        return false;
    out = fromQImage(image);
    return true;
}

} // namespace

bool loadPicture(const QString& path, Picture& out, PictureKind kind) {
    // Only a regular file is read: a pipe or a device put where a part was
    // listed would block the window for good. Opened without waiting, then checked.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return loadPicture(&file, out, kind);
}

bool loadPicture(QIODevice* device, Picture& out, PictureKind kind) {
    return readPicture(device, kind, out);
}

bool loadPartFile(const std::string& path, Picture& out) {
    try {
        return loadPicture(fromNative(path), out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace tarn
