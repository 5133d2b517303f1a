#pragma once

#include "scene/picture.h"

#include <QIODevice>
#include <QImage>
#include <QString>

namespace tarn {

// The one place where Qt images and the core's rasters meet.
QImage toQImage(const Picture& picture);
Picture fromQImage(const QImage& image);

// Loads a part bitmap through QImageReader into a 24-bit raster. Refuses
// anything but a regular file, files that are not pictures or cannot be read,
// BMPs whose pixels end early, and headers that claim more than kMaxPartSide
// pixels on a side (checked before anything is decoded).
// On failure returns false and leaves `out` untouched.
bool loadPicture(const QString& path, Picture& out);
// The same from an open device, for bytes that are not in a file.
bool loadPicture(QIODevice* device, Picture& out);

} // namespace tarn
