#include "app/picture_io.h"

#include "output/little_endian.h"
#include "scene/scene.h"

#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

QImage toQImage(const Picture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
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

std::uint32_t u32le(const QByteArray& b, int at) {
    return getU32le(
        {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())},
        static_cast<std::size_t>(at));
}

// Qt decodes an uncompressed BMP that ends early without complaint and leaves
// the missing rows as whatever memory held, so the length is checked first.
// Other pictures, compressed BMPs and devices of unknown length pass.
bool bmpPixelsPresent(QIODevice* device) {
    constexpr int kHeaders = 14 + 40;
    const QByteArray head = device->peek(kHeaders);
    if (!head.startsWith("BM") || device->isSequential())
        return true;
    if (head.size() < 14 + 16)
        return false;
    const std::uint32_t infoSize = u32le(head, 14);
    // Pixels said to start inside the headers would be read from the headers.
    if (infoSize > 1024 * 1024 || u32le(head, 10) < 14 + infoSize)
        return false;
    std::int64_t width = 0, height = 0, bits = 0;
    if (infoSize == 12) { // the old core header: 16-bit sizes
        width = static_cast<std::uint16_t>(u32le(head, 18));
        height = static_cast<std::uint16_t>(u32le(head, 20));
        bits = static_cast<std::uint16_t>(u32le(head, 24));
    } else {
        if (head.size() < kHeaders)
            return false;
        const std::uint32_t compression = u32le(head, 30);
        if (compression != 0 && compression != 3) // run-length and embedded pictures
            return true;
        width = static_cast<std::int32_t>(u32le(head, 18));
        height = static_cast<std::int32_t>(u32le(head, 22));
        bits = static_cast<std::uint16_t>(u32le(head, 28));
    }
    if (height < 0)
        height = -height;
    if (width <= 0 || width > kMaxPartSide || height > kMaxPartSide)
        return true; // the size check refuses these
    const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return device->size() >= static_cast<std::int64_t>(u32le(head, 10)) + rowBytes * height;
}

bool readPicture(QImageReader& reader, Picture& out) {
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() <= 0 || size.height() <= 0 || size.width() > kMaxPartSide ||
        size.height() > kMaxPartSide)
        return false;
    // Run-length BMPs may leave pixels unwritten; the decoder fills the image it
    // is handed, so start from a cleared one rather than fresh heap memory.
    QImage image;
    if (const QImage::Format format = reader.imageFormat(); format != QImage::Format_Invalid) {
        image = QImage(size, format);
        if (image.isNull())
            return false;
        image.fill(0);
    }
    if (!reader.read(&image) || image.isNull())
        return false;
    if (image.width() != size.width() || image.height() != size.height())
        return false;
    out = fromQImage(image);
    return true;
}

} // namespace

bool loadPicture(const QString& path, Picture& out) {
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
    return loadPicture(&file, out);
}

bool loadPicture(QIODevice* device, Picture& out) {
    if (!bmpPixelsPresent(device))
        return false;
    QImageReader reader(device);
    return readPicture(reader, out);
}

} // namespace tarn
