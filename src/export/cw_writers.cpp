#include "export/cw_writers.h"

#include "base/little_endian.h"
#include "base/paths.h"
#include "export/sjis.h"
#include "scene/bmp.h"

#include <array>
#include <limits>

namespace tarn {

namespace {

// CardWirth stores area numbers and image widths offset by this much.
constexpr std::int64_t kNumberOffset = 40000;

constexpr int kBackgroundWidth = 632;
constexpr int kBackgroundHeight = 420;
// Cells sit this far right of the canvas position.
constexpr int kCellShiftX = 80;

struct SlotCell {
    int left;
    int top;
    int width;
    int height;
};
// Terrain cells have a fixed place and size whatever the part's bitmap measures.
constexpr std::array<SlotCell, kSlotCount + 1> kSlotCells{{{0, 0, 0, 0},
                                                           {160, 80, 320, 160},
                                                           {80, 0, 240, 160},
                                                           {320, 0, 240, 160},
                                                           {80, 80, 240, 200},
                                                           {320, 80, 240, 200}}};

void putI32le(Bytes& out, std::int32_t v) {
    appendU32le(out, static_cast<std::uint32_t>(v));
}

void putZeros(Bytes& out, std::size_t count) {
    out.insert(out.end(), count, 0);
}

std::int32_t saturate(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

AreaCell slotCell(int i, const std::string& name) {
    const SlotCell& s = kSlotCells[static_cast<std::size_t>(i)];
    return {s.left,   s.top,         static_cast<std::int32_t>(kNumberOffset + s.width),
            s.height, name + ".bmp", 1};
}

AreaCell objectCell(const ObjectRow& row) {
    return {saturate(std::int64_t{row.x} + kCellShiftX),
            row.y,
            saturate(kNumberOffset + row.picture().width()),
            row.picture().height(),
            row.name + ".bmp",
            1};
}

ExportResult noShiftJis(const std::string& text) {
    return {ExportProblem::NoShiftJis, text, {}};
}

} // namespace

bool appendCountedString(Bytes& out, const std::string& utf8) {
    std::string encoded;
    if (!toShiftJis(utf8, encoded))
        return false;
    appendU32le(out, static_cast<std::uint32_t>(encoded.size() + 1));
    out.insert(out.end(), encoded.begin(), encoded.end());
    out.push_back(0);
    return true;
}

Bytes summaryBytes() {
    // Always the same placeholder: the title "タイトル未定" and constants the
    // engine expects; 40001 matches the number field of area 1.
    static constexpr std::uint8_t kTitle[] = {0x83, 0x5E, 0x83, 0x43, 0x83, 0x67,
                                              0x83, 0x8B, 0x96, 0xA2, 0x92, 0xE8};
    Bytes out;
    appendU32le(out, 0);
    appendU32le(out, sizeof kTitle + 1);
    out.insert(out.end(), std::begin(kTitle), std::end(kTitle));
    out.push_back(0);
    appendU32le(out, 0);
    appendU32le(out, 1);
    putZeros(out, 9);
    appendU32le(out, static_cast<std::uint32_t>(kNumberOffset + 1));
    putZeros(out, 20);
    return out;
}

Status WriteSummary(const std::string& folder) {
    const Bytes bytes = summaryBytes();
    return writeFileAtomically(joinPath(folder, kSummaryFileName), bytes);
}

std::vector<AreaCell> areaCells(const Scene& scene, const std::string& backgroundName) {
    std::vector<AreaCell> cells;
    cells.push_back({0, 0, static_cast<std::int32_t>(kNumberOffset + kBackgroundWidth),
                     kBackgroundHeight, backgroundName, 0});
    auto addSlots = [&](int first, int last) {
        for (int i = first; i <= last; ++i)
            if (!scene.slot(i).name.empty())
                cells.push_back(slotCell(i, scene.slot(i).name));
    };
    auto addObjects = [&](Layer layer) {
        for (const ObjectRow& row : scene.objects)
            if (row.layer == layer)
                cells.push_back(objectCell(row));
    };
    addSlots(1, 3);
    addObjects(Layer::BehindFront);
    addSlots(4, 5);
    addObjects(Layer::InFront);
    return cells;
}

std::string areaFileName(int n) {
    return "Area" + std::to_string(n) + ".wid";
}

std::string areaName(int n) {
    return "新規エリア(" + std::to_string(n) + ")";
}

ExportResult encodeArea(const Scene& scene, int n, int c, const std::string& backgroundName,
                        Bytes& out) {
    out.clear();
    const std::int64_t numberField = kNumberOffset + n;
    if (numberField > std::numeric_limits<std::int32_t>::max())
        return {ExportProblem::NumberTooLarge, std::to_string(n), {}};

    Bytes bytes;
    putZeros(bytes, 5);
    const std::string name = areaName(n);
    if (!appendCountedString(bytes, name))
        return noShiftJis(name);
    putI32le(bytes, static_cast<std::int32_t>(numberField));
    putZeros(bytes, 9);
    putI32le(bytes, c);
    for (const AreaCell& cell : areaCells(scene, backgroundName)) {
        putI32le(bytes, cell.left);
        putI32le(bytes, cell.top);
        putI32le(bytes, cell.widthField);
        putI32le(bytes, cell.height);
        if (!appendCountedString(bytes, cell.fileName))
            return noShiftJis(cell.fileName);
        bytes.push_back(cell.flag);
        appendU32le(bytes, 1);
        putZeros(bytes, 2);
    }
    out = std::move(bytes);
    return {};
}

ExportResult WriteArea(const Scene& scene, const std::string& folder, int n, int c,
                       const std::string& backgroundName) {
    Bytes bytes;
    if (ExportResult r = encodeArea(scene, n, c, backgroundName, bytes); !r.ok())
        return r;
    const std::string path = joinPath(folder, areaFileName(n));
    if (Status io = writeFileAtomically(path, bytes); !io.ok())
        return {ExportProblem::WriteFailed, path, io};
    return {};
}

Bytes darkBmpBytes() {
    constexpr std::uint32_t kFileSize = 246;
    constexpr std::uint32_t kPixelOffset = 118; // 14 + 40 + 16 palette entries of 4 bytes
    constexpr int kSide = 10;
    constexpr std::uint16_t kBitsPerPixel = 4;
    constexpr std::uint32_t kColoursUsed = 16;
    // A black palette, black pixels and a zero tail that the file size counts:
    // all zero.
    Bytes out(kFileSize, 0);
    putBmpHeaders(out, kSide, kSide, kBitsPerPixel, kPixelOffset, kColoursUsed);
    return out;
}

Status WriteDarkBmp(const std::string& path) {
    const Bytes bytes = darkBmpBytes();
    return writeFileAtomically(path, bytes);
}

} // namespace tarn
