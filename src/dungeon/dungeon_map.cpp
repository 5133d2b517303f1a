#include "dungeon/dungeon_map.h"

#include "base/file_write.h"
#include "base/paths.h"
#include "dungeon/json_read.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <new>
#include <set>
#include <utility>

namespace tarn {

const char* facingLetter(Facing d) {
    static constexpr const char* kLetters[] = {"N", "E", "S", "W"};
    return kLetters[int(d) & 3];
}

DungeonMap::DungeonMap(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      rock_(std::size_t(width_) * std::size_t(height_), 0),
      horizontal_(std::size_t(width_) * std::size_t(height_ + 1), Edge::Open),
      vertical_(std::size_t(width_ + 1) * std::size_t(height_), Edge::Open) {
    for (int x = 0; x < width_; ++x) {
        horizontal_[std::size_t(x)] = Edge::Wall;
        horizontal_[std::size_t(height_) * std::size_t(width_) + std::size_t(x)] = Edge::Wall;
    }
    for (int y = 0; y < height_; ++y) {
        vertical_[std::size_t(y) * std::size_t(width_ + 1)] = Edge::Wall;
        vertical_[std::size_t(y) * std::size_t(width_ + 1) + std::size_t(width_)] = Edge::Wall;
    }
}

bool DungeonMap::inside(Square s) const {
    return s.x >= 0 && s.y >= 0 && s.x < width_ && s.y < height_;
}

bool DungeonMap::isFloor(Square s) const {
    return inside(s) && rock_[std::size_t(s.y) * std::size_t(width_) + std::size_t(s.x)] == 0;
}

void DungeonMap::setRock(Square s, bool rock) {
    if (inside(s))
        rock_[std::size_t(s.y) * std::size_t(width_) + std::size_t(s.x)] = rock ? 1 : 0;
}

Square DungeonMap::step(Square s, Facing d) {
    switch (d) {
    case Facing::North:
        return {s.x, s.y - 1};
    case Facing::East:
        return {s.x + 1, s.y};
    case Facing::South:
        return {s.x, s.y + 1};
    case Facing::West:
        return {s.x - 1, s.y};
    }
    return s;
}

std::pair<bool, std::size_t> DungeonMap::edgeSlot(Square s, Facing side) const {
    const std::size_t w = std::size_t(width_);
    const std::size_t x = std::size_t(s.x);
    const std::size_t y = std::size_t(s.y);
    switch (side) {
    case Facing::North:
        return {true, y * w + x};
    case Facing::South:
        return {true, (y + 1) * w + x};
    case Facing::West:
        return {false, y * (w + 1) + x};
    case Facing::East:
        break;
    }
    return {false, y * (w + 1) + x + 1};
}

Edge DungeonMap::edge(Square s, Facing side) const {
    if (!isFloor(s) || !isFloor(step(s, side)))
        return Edge::Wall;
    const auto [horizontal, index] = edgeSlot(s, side);
    return (horizontal ? horizontal_ : vertical_)[index];
}

void DungeonMap::setEdge(Square s, Facing side, Edge e) {
    if (!inside(s))
        return;
    const auto [horizontal, index] = edgeSlot(s, side);
    (horizontal ? horizontal_ : vertical_)[index] = e;
}

std::vector<Square> DungeonMap::floorSquares() const {
    std::vector<Square> squares;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (isFloor({x, y}))
                squares.push_back({x, y});
    return squares;
}

bool operator==(const DungeonMap& a, const DungeonMap& b) {
    if (a.name != b.name || a.start != b.start || a.startFacing != b.startFacing ||
        a.width_ != b.width_ || a.height_ != b.height_ || a.rock_ != b.rock_)
        return false;
    for (int y = 0; y < a.height_; ++y)
        for (int x = 0; x < a.width_; ++x)
            for (const Facing side : {Facing::North, Facing::West})
                if (a.edge({x, y}, side) != b.edge({x, y}, side))
                    return false;
    return true;
}

namespace {

MapResult problemAt(StatusCode code, int line, int column, std::string detail = {}) {
    MapResult r;
    r.code = code;
    r.line = line;
    r.column = column;
    r.detail = std::move(detail);
    return r;
}

// The length of the character at `i` in UTF-8; a byte that starts no valid
// sequence is a character of its own.
std::size_t characterLength(std::string_view line, std::size_t i) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
    if (i + n > line.size())
        return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

// The characters of a line, each as its bytes, the first `most` + 1 at most.
std::vector<std::string_view> charactersOf(std::string_view line, std::size_t most) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < line.size() && out.size() <= most; i += out.back().size())
        out.push_back(line.substr(i, characterLength(line, i)));
    return out;
}

std::size_t characterCount(std::string_view line) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size(); i += characterLength(line, i))
        ++count;
    return count;
}

bool startFacing(std::string_view c, Facing& d) {
    static constexpr std::pair<std::string_view, Facing> kStarts[] = {
        {"^", Facing::North}, {">", Facing::East}, {"v", Facing::South}, {"<", Facing::West}};
    for (const auto& [glyph, facing] : kStarts)
        if (c == glyph)
            d = facing;
    return c == "^" || c == ">" || c == "v" || c == "<";
}

bool edgeOf(std::string_view c, std::string_view wall, Edge& e) {
    if (c == " " || c == ".")
        e = Edge::Open;
    else if (c == wall)
        e = Edge::Wall;
    else if (c == "D")
        e = Edge::Door;
    else
        return false;
    return true;
}

} // namespace

MapResult parseTextMap(std::string_view text, const std::string& name, DungeonMap& out) {
    constexpr std::size_t kMaxLine = 2 * kMaxMapSide + 1;
    // Windows editors may begin UTF-8 text with a byte order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t newline = text.find('\n', begin);
        std::string_view line =
            text.substr(begin, newline == text.npos ? text.npos : newline - begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (lines.size() > kMaxLine)
            return problemAt(StatusCode::MapTooLarge, int(lines.size()), 0);
        if (newline == text.npos)
            break;
        begin = newline + 1;
    }

    std::vector<std::vector<std::string_view>> grid;
    std::size_t longest = 0;
    for (std::size_t r = 0; r < lines.size(); ++r) {
        std::string_view line = lines[r];
        if (const std::size_t tab = line.find('\t'); tab != line.npos)
            return problemAt(StatusCode::Tab, int(r) + 1,
                             int(characterCount(line.substr(0, tab))) + 1);
        while (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
        grid.push_back(charactersOf(line, kMaxLine));
        if (grid.back().size() > kMaxLine)
            return problemAt(StatusCode::MapTooLarge, int(r) + 1, int(kMaxLine) + 1);
        longest = std::max(longest, grid.back().size());
    }
    if (!lines.empty() && lines.size() % 2 == 0)
        return problemAt(StatusCode::EvenLineCount, int(lines.size()), 0);
    const int width = int(longest / 2);
    const int height = int(lines.size() / 2);
    if (width == 0 || height == 0)
        return problemAt(StatusCode::MapEmpty, 0, 0);

    DungeonMap map(width, height);
    map.name = name;
    bool started = false;
    for (int r = 0; r < 2 * height + 1; ++r) {
        const std::vector<std::string_view>& row = grid[std::size_t(r)];
        for (int c = 0; c < 2 * width + 1; ++c) {
            const std::string_view ch = std::size_t(c) < row.size() ? row[std::size_t(c)] : " ";
            const bool oddRow = r % 2 == 1;
            const bool oddColumn = c % 2 == 1;
            Edge e = Edge::Open;
            Facing facing = Facing::North;
            if (!oddRow && !oddColumn)
                continue; // a corner
            if (oddRow && oddColumn) {
                const Square s{(c - 1) / 2, (r - 1) / 2};
                if (ch == "#") {
                    map.setRock(s, true);
                } else if (startFacing(ch, facing)) {
                    if (started)
                        return problemAt(StatusCode::TwoStarts, r + 1, c + 1);
                    started = true;
                    map.start = s;
                    map.startFacing = facing;
                } else if (ch != " " && ch != ".") {
                    return problemAt(StatusCode::UnknownCharacter, r + 1, c + 1, std::string(ch));
                }
            } else if (!edgeOf(ch, oddRow ? "|" : "-", e)) {
                return problemAt(StatusCode::UnknownCharacter, r + 1, c + 1, std::string(ch));
            } else if (oddRow) {
                const Square s{c / 2, (r - 1) / 2};
                if (s.x < width)
                    map.setEdge(s, Facing::West, e);
                else
                    map.setEdge({s.x - 1, s.y}, Facing::East, e);
            } else {
                const Square s{(c - 1) / 2, r / 2};
                if (s.y < height)
                    map.setEdge(s, Facing::North, e);
                else
                    map.setEdge({s.x, s.y - 1}, Facing::South, e);
            }
        }
    }
    if (!started)
        return problemAt(StatusCode::NoStart, 0, 0);
    out = std::move(map);
    return {};
}

namespace {

using nlohmann::json;

// Tiled keeps flip and rotation flags in the top bits of a tile id.
constexpr std::uint32_t kTileIdBits = 0x0FFFFFFF;
// Groups nest this deep at most before their layers are no longer looked at.
constexpr int kMaxGroupDepth = 32;

MapResult problemIn(StatusCode code, std::string jsonPath, std::string detail = {}) {
    MapResult r;
    r.code = code;
    r.jsonPath = std::move(jsonPath);
    r.detail = std::move(detail);
    return r;
}

MapResult badJson(const JsonFault& fault, std::string file) {
    MapResult r = problemAt(StatusCode::MapBadJson, fault.line, fault.column, fault.detail);
    r.file = std::move(file);
    return r;
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string textOf(const json* value) {
    return value != nullptr && value->is_string() ? value->get<std::string>() : std::string();
}

// Every layer of a type, groups opened in file order, each with its path.
void layersOfType(const json& holder, const std::string& path, const char* type, int depth,
                  std::vector<std::pair<const json*, std::string>>& out) {
    const json* layers = member(holder, "layers");
    if (layers == nullptr || !layers->is_array() || depth > kMaxGroupDepth)
        return;
    const std::string base = jsonPathOf(path, "layers");
    for (std::size_t i = 0; i < layers->size(); ++i) {
        const json& layer = (*layers)[i];
        const std::string type_ = textOf(member(layer, "type"));
        if (type_ == type)
            out.emplace_back(&layer, jsonPathOf(base, i));
        else if (type_ == "group")
            layersOfType(layer, jsonPathOf(base, i), type, depth + 1, out);
    }
}

bool decodeBase64(std::string_view text, std::vector<std::uint8_t>& out) {
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        int v = -1;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=' && padding < 2) {
            ++padding;
            continue;
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        if (v < 0 || padding > 0)
            return false;
        bits = (bits << 6) | std::uint32_t(v);
        if (++count == 4) {
            out.push_back(std::uint8_t(bits >> 16));
            out.push_back(std::uint8_t(bits >> 8));
            out.push_back(std::uint8_t(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || (padding > 0 && count + padding != 4))
        return false;
    if (count == 2)
        out.push_back(std::uint8_t(bits >> 4));
    if (count == 3) {
        out.push_back(std::uint8_t(bits >> 10));
        out.push_back(std::uint8_t(bits >> 2));
    }
    return true;
}

// A whole zlib or gzip stream of exactly `size` bytes.
bool inflateExactly(const std::vector<std::uint8_t>& in, bool gzip, std::size_t size,
                    std::vector<std::uint8_t>& out) {
    z_stream z{};
    if (inflateInit2(&z, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK)
        return false;
    out.assign(size + 1, 0); // one spare byte shows a stream that is too long
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int status = inflate(&z, Z_FINISH);
    const std::size_t produced = out.size() - z.avail_out;
    inflateEnd(&z);
    out.resize(produced);
    return status == Z_STREAM_END && produced == size;
}

struct Tileset {
    std::int64_t firstGid = 0;
    const json* entry = nullptr; // in the map
    std::string path;            // its place in the map, "tilesets[1]"
    std::set<std::int64_t> doors;
};

// The local ids of the tiles whose bool property "door" is true.
void doorTiles(const json& tileset, std::set<std::int64_t>& doors) {
    const json* tiles = member(tileset, "tiles");
    if (tiles == nullptr || !tiles->is_array())
        return;
    for (const json& tile : *tiles) {
        std::int64_t id = 0;
        if (!readWhole(member(tile, "id"), 0, kTileIdBits, id))
            continue;
        const json* properties = member(tile, "properties");
        bool door = false;
        if (properties != nullptr && properties->is_array()) {
            for (const json& p : *properties)
                if (textOf(member(p, "name")) == "door" && member(p, "value") != nullptr &&
                    *member(p, "value") == true)
                    door = true;
        } else if (properties != nullptr && member(*properties, "door") != nullptr) {
            door = *member(*properties, "door") == true; // the form before Tiled 1.2
        }
        if (door)
            doors.insert(id);
    }
}

// The tileset of a tile id: the one with the largest first id not above it.
Tileset* tilesetOf(std::vector<Tileset>& tilesets, std::int64_t gid) {
    Tileset* found = nullptr;
    for (Tileset& t : tilesets)
        if (t.firstGid <= gid && (found == nullptr || t.firstGid > found->firstGid))
            found = &t;
    return found;
}

MapResult loadTileset(Tileset& tileset, const std::string& folder) {
    const json* source = member(*tileset.entry, "source");
    if (source == nullptr) {
        doorTiles(*tileset.entry, tileset.doors);
        return {};
    }
    const std::string written = textOf(source);
    if (written.empty())
        return problemIn(StatusCode::BadField, jsonPathOf(tileset.path, "source"));
    if (lowerCase(getext(written)) == "tsx")
        return problemIn(StatusCode::XmlTileset, jsonPathOf(tileset.path, "source"), written);
    const std::string file = pathBeside(folder, written);
    Bytes bytes;
    if (Status io = readWholeFile(file, bytes, kMaxDungeonFileBytes); !io.ok()) {
        MapResult r =
            problemIn(StatusCode::TilesetUnreadable, jsonPathOf(tileset.path, "source"), file);
        r.error = io.error;
        return r;
    }
    json external;
    JsonFault fault;
    if (!parseJsonText({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, external,
                       fault))
        return badJson(fault, file);
    doorTiles(external, tileset.doors);
    return {};
}

enum class Tile : std::uint8_t { Floor, Rock, Door };

MapResult readTiles(const json& layer, const std::string& path, std::size_t count,
                    std::vector<std::uint32_t>& gids) {
    const json* data = member(layer, "data");
    const std::string dataPath = jsonPathOf(path, "data");
    const std::string encoding = textOf(member(layer, "encoding"));
    if (data == nullptr)
        return problemIn(StatusCode::BadLayerData, dataPath);
    if (encoding != "base64") {
        if (!data->is_array() || data->size() != count)
            return problemIn(StatusCode::BadLayerData, dataPath);
        for (std::size_t i = 0; i < count; ++i) {
            std::int64_t gid = 0;
            if (!readWhole(&(*data)[i], 0, 0xFFFFFFFF, gid))
                return problemIn(StatusCode::BadLayerData, jsonPathOf(dataPath, i));
            gids.push_back(std::uint32_t(gid));
        }
        return {};
    }
    const std::string compression = textOf(member(layer, "compression"));
    if (!compression.empty() && compression != "zlib" && compression != "gzip")
        return problemIn(StatusCode::UnsupportedCompression, jsonPathOf(path, "compression"),
                         compression);
    std::vector<std::uint8_t> packed;
    std::vector<std::uint8_t> bytes;
    if (!data->is_string() || !decodeBase64(data->get_ref<const std::string&>(), packed))
        return problemIn(StatusCode::BadLayerData, dataPath);
    if (compression.empty())
        bytes = std::move(packed);
    else if (!inflateExactly(packed, compression == "gzip", 4 * count, bytes))
        return problemIn(StatusCode::BadLayerData, dataPath);
    if (bytes.size() != 4 * count)
        return problemIn(StatusCode::BadLayerData, dataPath);
    for (std::size_t i = 0; i < count; ++i)
        gids.push_back(std::uint32_t(bytes[4 * i]) | std::uint32_t(bytes[4 * i + 1]) << 8 |
                       std::uint32_t(bytes[4 * i + 2]) << 16 |
                       std::uint32_t(bytes[4 * i + 3]) << 24);
    return {};
}

// The tiles of the dungeon layer: tilesets are read only for the ids it uses.
MapResult classifyTiles(const json& root, const std::string& folder,
                        const std::vector<std::uint32_t>& gids, std::vector<Tile>& tiles) {
    std::vector<Tileset> tilesets;
    if (const json* list = member(root, "tilesets"); list != nullptr && list->is_array()) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            Tileset t;
            t.entry = &(*list)[i];
            t.path = jsonPathOf("tilesets", i);
            if (!readWhole(member(*t.entry, "firstgid"), 1, kTileIdBits, t.firstGid))
                return problemIn(StatusCode::BadField, jsonPathOf(t.path, "firstgid"));
            tilesets.push_back(std::move(t));
        }
    }
    std::set<Tileset*> loaded;
    for (const std::uint32_t raw : gids) {
        const std::int64_t gid = raw & kTileIdBits;
        Tileset* t = gid == 0 ? nullptr : tilesetOf(tilesets, gid);
        if (t != nullptr && loaded.insert(t).second)
            if (MapResult r = loadTileset(*t, folder); !r.ok())
                return r;
        tiles.push_back(gid == 0                                                 ? Tile::Floor
                        : t != nullptr && t->doors.count(gid - t->firstGid) != 0 ? Tile::Door
                                                                                 : Tile::Rock);
    }
    return {};
}

bool facingOf(const json& object, Facing& d) {
    const json* properties = member(object, "properties");
    std::string letter;
    if (properties != nullptr && properties->is_array()) {
        for (const json& p : *properties)
            if (textOf(member(p, "name")) == "facing")
                letter = textOf(member(p, "value"));
    } else if (properties != nullptr) {
        letter = textOf(member(*properties, "facing"));
    }
    for (const Facing f : {Facing::North, Facing::East, Facing::South, Facing::West})
        if (lowerCase(letter) == lowerCase(facingLetter(f))) {
            d = f;
            return true;
        }
    return false;
}

// The start object: its square, in pixels divided by the tile size. A tile
// object is anchored at its bottom-left corner, so its top-left is taken.
MapResult readStart(const json& root, std::int64_t tileWidth, std::int64_t tileHeight,
                    DungeonMap& map) {
    std::vector<std::pair<const json*, std::string>> groups;
    layersOfType(root, "", "objectgroup", 0, groups);
    bool found = false;
    for (const auto& [layer, path] : groups) {
        const json* objects = member(*layer, "objects");
        if (objects == nullptr || !objects->is_array())
            continue;
        for (std::size_t i = 0; i < objects->size(); ++i) {
            const json& object = (*objects)[i];
            const std::string objectPath = jsonPathOf(jsonPathOf(path, "objects"), i);
            if (textOf(member(object, "name")) != "start")
                continue;
            if (found)
                return problemIn(StatusCode::TwoStarts, objectPath);
            found = true;
            const json* x = member(object, "x");
            const json* y = member(object, "y");
            if (x == nullptr || !x->is_number())
                return problemIn(StatusCode::BadField, jsonPathOf(objectPath, "x"));
            if (y == nullptr || !y->is_number())
                return problemIn(StatusCode::BadField, jsonPathOf(objectPath, "y"));
            double top = y->get<double>();
            if (const json* h = member(object, "height");
                member(object, "gid") != nullptr && h != nullptr && h->is_number())
                top -= h->get<double>();
            const double column = std::floor(x->get<double>() / double(tileWidth));
            const double row = std::floor(top / double(tileHeight));
            if (!(column >= 0 && column < map.width() && row >= 0 && row < map.height()))
                return problemIn(StatusCode::BadStart, objectPath);
            map.start = {int(column), int(row)};
            if (!map.isFloor(map.start))
                return problemIn(StatusCode::StartOnRock, objectPath);
            if (!facingOf(object, map.startFacing))
                return problemIn(StatusCode::BadFacing, jsonPathOf(objectPath, "properties"));
        }
    }
    return found ? MapResult{} : problemIn(StatusCode::NoStart, {});
}

MapResult parseTiled(std::string_view text, const std::string& name, const std::string& folder,
                     DungeonMap& out) {
    json root;
    JsonFault fault;
    if (!parseJsonText(text, root, fault))
        return badJson(fault, {});
    if (!root.is_object())
        return problemIn(StatusCode::BadField, {});
    const std::string orientation = textOf(member(root, "orientation"));
    if (orientation != "orthogonal")
        return problemIn(orientation.empty() ? StatusCode::BadField : StatusCode::NotOrthogonal,
                         "orientation", orientation);
    std::int64_t tileWidth = 0;
    std::int64_t tileHeight = 0;
    if (!readWhole(member(root, "tilewidth"), 1, 1 << 20, tileWidth))
        return problemIn(StatusCode::BadField, "tilewidth");
    if (!readWhole(member(root, "tileheight"), 1, 1 << 20, tileHeight))
        return problemIn(StatusCode::BadField, "tileheight");

    std::vector<std::pair<const json*, std::string>> tileLayers;
    layersOfType(root, "", "tilelayer", 0, tileLayers);
    if (tileLayers.empty())
        return problemIn(StatusCode::NoTileLayer, "layers");
    const auto& [layer, path] = tileLayers.front();
    std::int64_t width = 0;
    std::int64_t height = 0;
    for (auto [key, side] : {std::pair{"width", &width}, std::pair{"height", &height}}) {
        if (!readWhole(member(*layer, key), 0, 1 << 30, *side))
            return problemIn(StatusCode::BadField, jsonPathOf(path, key));
        if (*side > kMaxMapSide)
            return problemIn(StatusCode::MapTooLarge, jsonPathOf(path, key));
    }
    if (width == 0 || height == 0)
        return problemIn(StatusCode::MapEmpty, path);

    std::vector<std::uint32_t> gids;
    std::vector<Tile> tiles;
    if (MapResult r = readTiles(*layer, path, std::size_t(width * height), gids); !r.ok())
        return r;
    if (MapResult r = classifyTiles(root, folder, gids, tiles); !r.ok())
        return r;

    DungeonMap map(static_cast<int>(width), static_cast<int>(height));
    map.name = name;
    const auto tileAt = [&](Square s) { return tiles[std::size_t(s.y * width + s.x)]; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            map.setRock({x, y}, tileAt({x, y}) == Tile::Rock);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (const Facing side : {Facing::East, Facing::South}) {
                const Square next = DungeonMap::step({x, y}, side);
                if (map.isFloor({x, y}) && map.isFloor(next) &&
                    (tileAt({x, y}) == Tile::Door || tileAt(next) == Tile::Door))
                    map.setEdge({x, y}, side, Edge::Door);
            }
    if (MapResult r = readStart(root, tileWidth, tileHeight, map); !r.ok())
        return r;
    out = std::move(map);
    return {};
}

} // namespace

MapResult parseTiledMap(std::string_view json, const std::string& name, const std::string& folder,
                        DungeonMap& out) {
    try {
        return parseTiled(json, name, folder, out);
    } catch (const std::bad_alloc&) {
        MapResult r;
        r.code = StatusCode::MapUnreadable;
        r.error = ENOMEM;
        return r;
    }
}

MapResult readDungeonMap(const std::string& path, DungeonMap& out) {
    const std::filesystem::path p(path);
    const std::string extension = lowerCase(p.extension().string());
    MapResult r;
    if (extension != ".txt" && extension != ".tmj" && extension != ".json") {
        r.code = StatusCode::MapUnknownFormat;
    } else {
        Bytes bytes;
        const Status io = readWholeFile(path, bytes, kMaxDungeonFileBytes);
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!io.ok()) {
            r.code = StatusCode::MapUnreadable;
            r.error = io.error;
        } else if (extension == ".txt") {
            r = parseTextMap(text, p.stem().string(), out);
        } else {
            r = parseTiledMap(text, p.stem().string(), folderOf(path), out);
        }
    }
    if (r.file.empty())
        r.file = path;
    return r;
}

} // namespace tarn
