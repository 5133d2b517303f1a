#pragma once

#include "scene/picture.h"

#include <QIODevice>
#include <QImage>
#include <QString>

#include <string>

namespace tarn {

// The one place where Qt images and the core's rasters meet. Memory that
// cannot be had is thrown as std::bad_alloc.
QImage toQImage(const Picture& picture);
Picture fromQImage(const QImage& image);

// Parts are BMPs; the preview is the JPEG the program wrote itself.
enum class PictureKind { Part, Preview };

// Loads a picture through QImageReader into a 24-bit raster. Refuses anything
// but a regular file (opened without waiting), formats other than the kind's,
// files that cannot be read, BMPs whose pixels end early, and headers that
// claim more than kMaxPartSide pixels on a side or kMaxPartPixels in all: the
// size is checked before anything is decoded, so a refused file costs no more
// than its headers, and an accepted one stays under 64 MB of buffers.
// On failure returns false and leaves `out` untouched; a failed allocation is
// thrown as std::bad_alloc (and `out` is untouched too), so that a shortage of
// memory is not taken for a file that cannot be read.
bool loadPicture(const QString& path, Picture& out, PictureKind kind = PictureKind::Part);
// The same from an open device, for bytes that are not in a file.
bool loadPicture(QIODevice* device, Picture& out, PictureKind kind = PictureKind::Part);
// A part named by a path as the core keeps it (the file system's own bytes),
// for the command line: any failure, a failed allocation too, is false.
bool loadPartFile(const std::string& path, Picture& out);

} // namespace tarn
