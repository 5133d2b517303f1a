#pragma once

// A throw-away program folder for the main window tests: its own settings
// file, part bitmaps written on demand, copies of the bundled sample parts.

#include "app/app_context.h"
#include "app/picture_io.h"
#include "scene/picture.h"

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

    // Replaces the settings file with the given lines.
    void writeIni(const QString& text) const {
        QFile file(path(QStringLiteral("tarn.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
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

    // Copies one of the bundled sample parts.
    void copySample(const QString& name, const QString& relativeFolder = {}) const {
        const QString target =
            relativeFolder.isEmpty() ? path(name) : path(relativeFolder + QLatin1Char('/') + name);
        QVERIFY2(QFile::copy(QStringLiteral(TARN_SAMPLE_PARTS "/") + name, target),
                 qPrintable(name));
    }

  private:
    QTemporaryDir dir_;
};

} // namespace tarn::test
