#pragma once

#include "base/file_write.h"
#include "export/export_procedure.h"
#include "scene/scene.h"

#include <cstdint>
#include <span>
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

// The fixed 62-byte scenario summary; the scenario starts in area `startArea`.
Bytes summaryBytes(int startArea = 1);
// Summary.wsm in the folder, replaced whole.
Status WriteSummary(const std::string& folder, int startArea = 1);

// One image cell of an area file.
struct AreaCell {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t widthField = 0; // 40000 + width
    std::int32_t height = 0;
    std::string fileName;
    std::uint8_t flag = 1; // 0 for the background, 1 for every part: see-through key colour
    friend bool operator==(const AreaCell&, const AreaCell&) = default;
};

// The background cell: the whole 632 x 420 area.
AreaCell backgroundCell(const std::string& backgroundName);

// "Area<N>.wid"; a negative N keeps its minus sign.
std::string areaFileName(int n);
// The area name "新規エリア(N)".
std::string areaName(int n);

// A menu card whose one event, fired on a click, changes to another area.
struct MenuCard {
    std::string name;
    // The card's picture, embedded (a BMP); empty for none. Not owned: the
    // pictures are shared by every area and outlive the encoding.
    std::span<const std::uint8_t> image;
    int targetArea = 0;
};

// Builds the whole area file, its cell count taken from the cells. Fails with
// NumberOutOfRange when 40000 + n does not fit the signed 32-bit field, or
// BadPartName (file: the text) when a name cannot be encoded; out is then empty.
ExportResult encodeArea(int n, const std::vector<AreaCell>& cells, Bytes& out);
// The same with a name of its own and menu cards, spread automatically.
ExportResult encodeArea(int n, const std::string& name, const std::vector<MenuCard>& cards,
                        const std::vector<AreaCell>& cells, Bytes& out);

// The area number an area file carries, as the engine reads it: false when the
// bytes are not an area (the type byte is not 0) or end before the number.
bool readAreaNumber(std::span<const std::uint8_t> head, int& n);
// How many leading bytes readAreaNumber may need at most.
inline constexpr std::size_t kAreaHeadBytes = 9 + 1024 + 4;

// The 246-byte all-black 10 x 10 bitmap used as the black background.
Bytes darkBmpBytes();
// Writes it to path, replaced whole.
Status WriteDarkBmp(const std::string& path);

} // namespace tarn
