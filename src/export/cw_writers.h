#pragma once

#include "base/file_write.h"
#include "export/export_procedure.h"
#include "scene/scene.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

// Background names an area file may give its first cell.
inline constexpr const char* kDefaultBackgroundName = "MapOfWirth.BMP"; // the engine's own
inline constexpr const char* kDarkBackgroundName = "dark.bmp";          // written by WriteDarkBmp

inline constexpr const char* kSummaryFileName = "Summary.wsm";

// Appends a counted string: u32le (encoded bytes + 1), the Shift-JIS bytes, one
// zero byte. False, with out unchanged, when the text has no Shift-JIS form.
bool appendCountedString(Bytes& out, const std::string& utf8);

// The fixed 62-byte scenario summary.
Bytes summaryBytes();
// Summary.wsm in the folder, replaced whole.
Status WriteSummary(const std::string& folder);

// One image cell of an area file.
struct AreaCell {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t widthField = 0; // 40000 + width
    std::int32_t height = 0;
    std::string fileName;
    std::uint8_t flag = 1; // 0 for the background, 1 for every part
};

// The cells of the scene, back to front in the order the canvas is composed:
// background, slots 1-3, objects flagged "F", slots 4-5, objects flagged "T".
// Slots are placed 80 pixels right of their canvas corner at a fixed size;
// objects at their X + 80, Y with their picture's size.
std::vector<AreaCell> areaCells(const Scene& scene, const std::string& backgroundName);

// "Area<N>.wid"; a negative N keeps its minus sign.
std::string areaFileName(int n);
// The area name "新規エリア(N)".
std::string areaName(int n);

// Builds the whole area file. c is written as given. Fails with NumberTooLarge
// when 40000 + n does not fit the signed 32-bit field, or NoShiftJis (subject:
// the text) when a name cannot be encoded; out is then empty.
ExportResult encodeArea(const Scene& scene, int n, int c, const std::string& backgroundName,
                        Bytes& out);
// Area<N>.wid in the folder, replaced whole; WriteFailed (subject: the path)
// when it cannot be written.
ExportResult WriteArea(const Scene& scene, const std::string& folder, int n, int c,
                       const std::string& backgroundName);

// The 246-byte all-black 10 x 10 bitmap used as the black background.
Bytes darkBmpBytes();
// Writes it to path, replaced whole.
Status WriteDarkBmp(const std::string& path);

} // namespace tarn
