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

enum class ExportProblem {
    None,
    FolderMissing,     // subject: the folder
    FolderNotWritable, // subject: the folder
    SourceMissing,     // subject: the part bitmap's path
    BadNumber,         // subject: the number text
    NumberTooLarge,    // subject: the number text
    NoShiftJis,        // subject: the name that has no Shift-JIS form
    AreaExists,        // new-file mode, replaceExisting false; subject: the area file name
    NothingSelected,   // existing-file mode without a selected file
    WriteFailed,       // subject: the file; io says why
};

struct ExportResult {
    ExportProblem problem = ExportProblem::None;
    std::string subject;
    Status io;
    bool ok() const { return problem == ExportProblem::None; }
};

// Area files of a folder: plain files whose extension is exactly "wid", sorted
// by name without regard to case.
std::vector<std::string> listAreaFiles(const std::string& folder);

// Checks everything first and writes nothing on a problem; then writes the
// summary (only when the folder holds no area file), copies the part bitmaps
// (slots by name, objects by Name), dark.bmp for the black background, and the
// area file. The scene is read as it is at the call.
ExportResult exportTemplate(const Scene& scene, const ExportRequest& request);

} // namespace tarn
