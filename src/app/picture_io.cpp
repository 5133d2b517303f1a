#include "app/picture_io.h"

#include "scene/bmp.h"
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

// Qt decodes an uncompressed BMP that ends early without complaint and leaves
// the missing rows as whatever memory held, so the length is checked first.
// Other pictures, compressed BMPs and devices of unknown length pass.
bool bmpPixelsPresent(QIODevice* device) {
    const QByteArray head = device->peek(kBmpHeadersSize);
    if (!head.startsWith("BM") || device->isSequential())
        return true;
    if (head.size() < 14 + 16)
        return false;
    BmpHeader h;
    const bool whole = readBmpHeader({reinterpret_cast<const std::uint8_t*>(head.constData()),
                                      static_cast<std::size_t>(head.size())},
                                     h);
    // Pixels said to start inside the headers would be read from the headers.
    if (h.infoSize > 1024 * 1024 || h.pixelOffset < kBmpFileHeaderSize + h.infoSize)
        return false;
    if (!whole)
        return false;
    // Run-length and embedded pictures; the core header has no compression field.
    if (h.compression != 0 && h.compression != 3)
        return true;
    const std::int64_t width = h.width;
    const std::int64_t height = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
    if (width <= 0 || width > kMaxPartSide || height > kMaxPartSide)
        return true; // the size check refuses these
    const std::int64_t rowBytes = (width * h.bitCount + 31) / 32 * 4;
    return device->size() >= static_cast<std::int64_t>(h.pixelOffset) + rowBytes * height;
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
