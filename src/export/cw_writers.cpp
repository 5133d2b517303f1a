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

ExportResult noShiftJis(const std::string& text) {
    ExportResult r;
    r.code = StatusCode::BadPartName;
    r.file = text;
    return r;
}

} // namespace

namespace {

constexpr std::uint8_t kStartContent = 0;
constexpr std::uint8_t kChangeAreaContent = 5;
constexpr std::uint32_t kOnClick = 1; // the ignition of a card's event
constexpr std::int32_t kFullScale = 100;

// A content and its children as the engine reads them: type, name, the child
// count offset as the newer files write it, the children, then the type's fields.
void putContentHead(Bytes& out, std::uint8_t type, int children) {
    out.push_back(type);
    appendCountedString(out, "");
    putI32le(out, static_cast<std::int32_t>(kNumberOffset + children));
}

bool appendMenuCard(Bytes& out, const MenuCard& card) {
    out.push_back(0);
    putI32le(out, static_cast<std::int32_t>(card.image.size()));
    out.insert(out.end(), card.image.begin(), card.image.end());
    if (!appendCountedString(out, card.name))
        return false;
    putZeros(out, 4);
    appendCountedString(out, ""); // description
    putI32le(out, 1);             // one event: Start, then Change Area
    putI32le(out, 1);
    putContentHead(out, kStartContent, 1);
    putContentHead(out, kChangeAreaContent, 0);
    putI32le(out, card.targetArea);
    putI32le(out, 1);
    appendU32le(out, kOnClick);
    appendCountedString(out, ""); // key codes
    appendCountedString(out, ""); // flag
    putI32le(out, kFullScale);
    putZeros(out, 8);             // left, top
    appendCountedString(out, ""); // image path: the picture is embedded
    return true;
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

Bytes summaryBytes(int startArea) {
    // A placeholder: the title "タイトル未定" and constants the engine expects;
    // the start area is written like an area file's number field.
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
    putI32le(out, saturate(kNumberOffset + startArea));
    putZeros(out, 20);
    return out;
}

Status WriteSummary(const std::string& folder, int startArea) {
    const Bytes bytes = summaryBytes(startArea);
    return writeFileAtomically(joinPath(folder, kSummaryFileName), bytes);
}

AreaCell backgroundCell(const std::string& backgroundName) {
    return {0,
            0,
            static_cast<std::int32_t>(kNumberOffset + kBackgroundWidth),
            kBackgroundHeight,
            backgroundName,
            0};
}

std::string areaFileName(int n) {
    return "Area" + std::to_string(n) + ".wid";
}

std::string areaName(int n) {
    return "新規エリア(" + std::to_string(n) + ")";
}

ExportResult encodeArea(int n, const std::vector<AreaCell>& cells, Bytes& out) {
    return encodeArea(n, areaName(n), {}, cells, out);
}

ExportResult encodeArea(int n, const std::string& name, const std::vector<MenuCard>& cards,
                        const std::vector<AreaCell>& cells, Bytes& out) {
    out.clear();
    const std::int64_t numberField = kNumberOffset + n;
    if (numberField > std::numeric_limits<std::int32_t>::max()) {
        ExportResult r;
        r.code = StatusCode::NumberOutOfRange;
        r.file = std::to_string(n);
        return r;
    }

    Bytes bytes;
    putZeros(bytes, 5); // type 0 (area), then a field the engine skips
    if (!appendCountedString(bytes, name))
        return noShiftJis(name);
    putI32le(bytes, static_cast<std::int32_t>(numberField));
    putZeros(bytes, 4); // no events of the area's own
    bytes.push_back(0); // cards spread automatically
    putI32le(bytes, static_cast<std::int32_t>(cards.size()));
    for (const MenuCard& card : cards)
        if (!appendMenuCard(bytes, card))
            return noShiftJis(card.name);
    putI32le(bytes, static_cast<std::int32_t>(cells.size()));
    for (const AreaCell& cell : cells) {
        putI32le(bytes, cell.left);
        putI32le(bytes, cell.top);
        putI32le(bytes, cell.widthField);
        putI32le(bytes, cell.height);
        if (!appendCountedString(bytes, cell.fileName))
            return noShiftJis(cell.fileName);
        bytes.push_back(cell.flag);
        appendCountedString(bytes, ""); // no flag
        bytes.push_back(0);
    }
    out = std::move(bytes);
    return {};
}

bool readAreaNumber(std::span<const std::uint8_t> head, int& n) {
    // Type byte, four more bytes, the counted name, then the number field.
    if (head.size() < 9 || head[0] != 0)
        return false;
    const std::uint32_t nameLength = getU32le(head, 5);
    if (nameLength > head.size() || head.size() - nameLength < 13)
        return false;
    const auto field = static_cast<std::int32_t>(getU32le(head, 9 + nameLength));
    // The engine keeps the area number modulo 10000, whatever the version that
    // the ten-thousands mark.
    n = field % 10000;
    return true;
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
