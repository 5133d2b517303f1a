#pragma once

#include "base/status.h"
#include "scene/scene.h"

#include <string>
#include <vector>

namespace tarn {

enum class AreaMode { NewFile, ExistingFile };
enum class Background { Default, Black }; // "MapOfWirth.BMP" or a written "dark.bmp"

struct ExportRequest {
    std::string folder; // scenario folder, no trailing "/"
    AreaMode mode = AreaMode::NewFile;
    std::string numberText;   // new-file mode: the number box as typed
    std::string selectedFile; // existing-file mode: the area file the user selected
    Background background = Background::Black;
    bool replaceExisting = false; // new-file mode: the user agreed to replace Area<N>.wid
};

// Area numbers the engine can tell apart: it reserves the negative ones and
// keeps a number modulo 10000.
inline constexpr int kFirstAreaNumber = 1;
inline constexpr int kLastAreaNumber = 9999;

// What stopped an export: the code (FolderMissing to ExportWriteFailed, or
// System), the file it names and the platform's error number.
struct ExportResult : Status {
    std::string character; // BadPartName only
    // After a complete export: the files written, in order, and the area number.
    std::vector<std::string> written;
    int area = 0;
};

// A file the engine reads as an area: extension "wid" in any case and type 0.
struct AreaFile {
    std::string name; // the file name's own bytes
    int number = 0;   // the area number inside the file
    friend bool operator==(const AreaFile&, const AreaFile&) = default;
};

// Area files of a folder, sorted by name without regard to case.
std::vector<AreaFile> listAreaFiles(const std::string& folder);

// Shared with the dungeon export.
// Whether the folder holds a summary under any case of its name.
bool hasSummary(const std::string& folder);
// FolderMissing or FolderNotWritable unless files can be made in the folder.
ExportResult checkFolder(const std::string& folder);
// A regular file that can be opened, without waiting on a pipe.
bool isReadableFile(const std::string& path);
bool sameFile(const std::string& a, const std::string& b);

// Checks everything first and writes nothing on a problem; then writes the
// summary (only when the folder holds neither a summary nor an area file, in
// any case), the part files of planArea, dark.bmp for the black background, and
// the area file. The scene is read as it is at the call.
ExportResult exportTemplate(const Scene& scene, const ExportRequest& request);

} // namespace tarn
