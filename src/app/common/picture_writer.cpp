#include "app/common/picture_writer.h"

#include "app/common/picture_io.h"
#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"

#include <QBuffer>
#include <QString>

#include <cerrno>
#include <cstdio>

namespace tarn {

bool encodePng(const Picture& canvas, Bytes& out) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !toQImage(canvas).save(&buffer, "PNG"))
        return false;
    out.assign(png.begin(), png.end());
    return true;
}

namespace {
// 0, or what stopped the write.
int writeToStandardOutput(const Bytes& bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

// The file bytes of the canvas; 0 or the error number that stopped them.
int encode(const Picture& canvas, const PictureSettings& settings, Bytes& bytes,
           WrittenForm& form) {
    switch (settings.format) {
    case OutputFormat::Bmp: {
        bool fullColour = false;
        const int result = encode256Or24(canvas, bytes, &fullColour);
        form = fullColour ? WrittenForm::FullColour : WrittenForm::Palette;
        if (result != kSave256Written)
            return result == kSave256Empty ? EINVAL : result;
        return 0;
    }
    case OutputFormat::Png:
        form = WrittenForm::Png;
        return encodePng(canvas, bytes) ? 0 : EIO;
    case OutputFormat::Jpeg:
        form = WrittenForm::Jpeg;
        return encodeJpeg(canvas, static_cast<std::uint8_t>(settings.quality), settings.progressive,
                          bytes)
                   ? 0
                   : EIO;
    }
    return EINVAL;
}
} // namespace

std::optional<OutputFormat> formatNamed(const std::string& name) {
    const QString n = QString::fromStdString(name).toLower();
    if (n == QStringLiteral("bmp"))
        return OutputFormat::Bmp;
    if (n == QStringLiteral("png"))
        return OutputFormat::Png;
    if (n == QStringLiteral("jpg") || n == QStringLiteral("jpeg"))
        return OutputFormat::Jpeg;
    return std::nullopt;
}

std::string extensionOf(OutputFormat format) {
    switch (format) {
    case OutputFormat::Png:
        return ".png";
    case OutputFormat::Jpeg:
        return ".jpg";
    case OutputFormat::Bmp:
        break;
    }
    return ".bmp";
}

Status writePicture(const Picture& canvas, const std::string& path, const PictureSettings& settings,
                    Durability durability, WrittenForm* form) {
    Bytes bytes;
    WrittenForm written = WrittenForm::Palette;
    const int error = encode(canvas, settings, bytes, written);
    if (form != nullptr)
        *form = written;
    if (error != 0)
        return systemError(error, path);
    if (path == "-") {
        const int failed = writeToStandardOutput(bytes);
        return failed == 0 ? Status{} : systemError(failed, path);
    }
    Status status = writeFileAtomically(path, bytes, durability);
    if (!status.ok() && status.file.empty())
        status.file = path;
    return status;
}

} // namespace tarn
