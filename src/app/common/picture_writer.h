#pragma once

#include "base/file_write.h"
#include "base/status.h"
#include "scene/picture.h"

#include <optional>
#include <string>

namespace tarn {

enum class OutputFormat { Bmp, Png, Jpeg };

// The format a file ending or a `--format` word names, in any case: "bmp",
// "png", "jpg" or "jpeg".
std::optional<OutputFormat> formatNamed(const std::string& name);
// The ending, dot included, a file written in the format gets.
std::string extensionOf(OutputFormat format);

struct PictureSettings {
    OutputFormat format = OutputFormat::Bmp;
    int quality = 65; // JPEG, 1 to 100
    bool progressive = false;
};

// The form a picture was written in: a BMP is written in 256 colours when they
// fit, in full colour otherwise.
enum class WrittenForm { Palette, FullColour, Png, Jpeg };

// The canvas as PNG file bytes; false when it cannot be encoded.
bool encodePng(const Picture& canvas, Bytes& out);

// The one picture writer of save-as and `tarn render`: the canvas in the
// format, written whole or not at all (a path "-" is standard output). A
// failure names the file and the platform's error number.
Status writePicture(const Picture& canvas, const std::string& path, const PictureSettings& settings,
                    Durability durability, WrittenForm* form = nullptr);

} // namespace tarn
