#pragma once

// Canvases for the output tests, with a known number of colours, and file
// contents read and written in one call.

#include "scene/picture.h"
#include "scene/scene.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace tarn::test {

// A canvas of one colour, with the top-left pixel marked in a second one.
inline Picture twoColourCanvas() {
    Picture canvas(kCanvasWidth, kCanvasHeight, {20, 90, 200});
    canvas.setPixel(0, 0, {250, 10, 10});
    return canvas;
}

// A canvas of far more than 256 colours: red across, green down.
inline Picture gradientCanvas() {
    Picture canvas(kCanvasWidth, kCanvasHeight);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            canvas.setPixel(x, y,
                            {static_cast<std::uint8_t>(x * 255 / (canvas.width() - 1)),
                             static_cast<std::uint8_t>(y * 255 / (canvas.height() - 1)), 60});
    return canvas;
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces a file's content; a test that cannot set up its file fails.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace tarn::test
