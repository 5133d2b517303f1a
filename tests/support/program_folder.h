#pragma once

// A throw-away program folder for the window tests (its own settings file, part
// bitmaps written on demand), canvases with a known number of colours, and file
// contents read and written in one call.

#include "app/common/app_context.h"
#include "app/common/picture_io.h"
#include "scene/picture.h"
#include "scene/scene.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace tarn::test {

// The texts of a list's rows, top to bottom.
inline QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

class ProgramFolder {
  public:
    ProgramFolder() { QVERIFY(dir_.isValid()); }

    QString path() const { return dir_.path(); }
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    AppContext context() const { return {dir_.path(), QStringLiteral("tarn")}; }

    QString iniValue(const QString& key) const {
        return QString::fromStdString(
            context().ini().getini("MemData", key.toStdString(), "App.Path"));
    }

    QString makeFolder(const QString& relative) const {
        QDir(dir_.path()).mkpath(relative);
        return path(relative);
    }

    // Writes a picture as a BMP file (folder relative to the program folder).
    void writePart(const QString& relative, const Picture& picture) const {
        QVERIFY(toQImage(picture).save(path(relative), "BMP"));
    }

  private:
    QTemporaryDir dir_;
};

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

// The core's bytes as Qt's.
inline QByteArray qBytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
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
