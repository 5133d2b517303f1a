#pragma once

#include "base/status.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn {

// The largest map read, on either side.
inline constexpr int kMaxMapSide = 100;

enum class Facing : std::uint8_t { North, East, South, West };
inline Facing turnLeft(Facing d) {
    return Facing((int(d) + 3) % 4);
}
inline Facing turnRight(Facing d) {
    return Facing((int(d) + 1) % 4);
}
inline Facing turnAround(Facing d) {
    return Facing((int(d) + 2) % 4);
}
// "N", "E", "S", "W".
const char* facingLetter(Facing d);

enum class Edge : std::uint8_t { Open, Wall, Door };

struct Square {
    int x = 0; // column, from the west
    int y = 0; // row, from the north
    friend auto operator<=>(const Square&, const Square&) = default;
};

// A walkable grid of squares: floor or solid rock, and for every side of a
// square an edge that is open, a wall or a door. North is up.
class DungeonMap {
  public:
    DungeonMap() = default;
    // Every square floor and every edge open but the border, which is wall.
    DungeonMap(int width, int height);

    std::string name; // the map file's name without its extension
    Square start;
    Facing startFacing = Facing::North;

    int width() const { return width_; }
    int height() const { return height_; }
    bool inside(Square s) const;
    bool isFloor(Square s) const; // inside and not rock
    void setRock(Square s, bool rock);

    // The edge on one side of a square as the player meets it: the map's border
    // and every edge between floor and rock (or between rock squares) are walls.
    Edge edge(Square s, Facing side) const;
    // Sets the edge shared by s and its neighbour on that side.
    void setEdge(Square s, Facing side, Edge e);

    // The neighbour on that side, whether or not it is inside the map.
    static Square step(Square s, Facing d);
    // Floor squares in reading order: top row first, west to east.
    std::vector<Square> floorSquares() const;

    // Equal when a player would meet the same dungeon: what is stored for an
    // edge that is a wall by the rules above does not count.
    friend bool operator==(const DungeonMap& a, const DungeonMap& b);

  private:
    // Where the edge on that side of an inside square is kept: in horizontal_
    // (north and south edges) or vertical_, at the index given.
    std::pair<bool, std::size_t> edgeSlot(Square s, Facing side) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rock_; // width x height, row by row
    std::vector<Edge> horizontal_;   // (height + 1) rows of width: the edge north of (x, y)
    std::vector<Edge> vertical_;     // height rows of (width + 1): the edge west of (x, y)
};

enum class MapProblem {
    None,
    Unreadable,    // io says why
    UnknownFormat, // the extension is none of .txt, .tmj, .json
    // Text grids; line and column count from 1.
    EvenLineCount,
    Tab,
    UnknownCharacter, // detail: the character
    NoStart,
    TwoStarts, // line and column: the second
    StartOnRock,
    TooLarge, // more than kMaxMapSide squares on a side
    Empty,
    // Tiled maps; jsonPath says where ("layers[0].data").
    BadJson, // detail: the parser's own words
    NotOrthogonal,
    NoTileLayer,
    BadLayerData,           // wrong size, bad base64, bad compressed stream
    UnsupportedCompression, // detail: the compression named ("zstd")
    XmlTileset,             // detail: the tileset's file
    TilesetUnreadable,      // detail: the tileset's file; io says why
    BadStart,               // start object outside the map
    BadFacing,              // the start's facing missing, or not N, E, S or W
    BadField,               // jsonPath names a field that is missing or of the wrong type
};

struct MapResult {
    MapProblem problem = MapProblem::None;
    // The map, or the tileset a fault is in; the parse functions leave the
    // map's own name to readDungeonMap.
    std::string file;
    int line = 0; // text grids, from 1; 0 when not about a place
    int column = 0;
    std::string jsonPath; // Tiled maps
    std::string detail;
    Status io;
    bool ok() const { return problem == MapProblem::None; }
};

// The text edge grid, from its bytes (name: the map's name).
MapResult parseTextMap(std::string_view text, const std::string& name, DungeonMap& out);
// A Tiled JSON map; external JSON tilesets are read from `folder`.
MapResult parseTiledMap(std::string_view json, const std::string& name, const std::string& folder,
                        DungeonMap& out);
// Reads a map file, by its extension: .txt a text grid, .tmj or .json a Tiled map.
MapResult readDungeonMap(const std::string& path, DungeonMap& out);

} // namespace tarn
