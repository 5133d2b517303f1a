#include "app/picture_io.h"

#include "scene/scene.h"

#include <QImageReader>

#include <cstring>

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

bool readPicture(QImageReader& reader, Picture& out) {
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() <= 0 || size.height() <= 0 || size.width() > kMaxPartSide ||
        size.height() > kMaxPartSide)
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    if (image.width() != size.width() || image.height() != size.height())
        return false;
    out = fromQImage(image);
    return true;
}

} // namespace

bool loadPicture(const QString& path, Picture& out) {
    QImageReader reader(path);
    return readPicture(reader, out);
}

bool loadPicture(QIODevice* device, Picture& out) {
    QImageReader reader(device);
    return readPicture(reader, out);
}

} // namespace tarn
