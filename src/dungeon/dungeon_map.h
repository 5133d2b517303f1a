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

// What a dungeon map or pack reader found (MapUnreadable to PackBadEntry):
// `file` the map or pack, or the tileset a fault is in (the parse functions
// leave the map's own name to readDungeonMap), and where in it.
struct DungeonFileResult : Status {
    int line = 0; // text grids and JSON faults, from 1; 0 when not about a place
    int column = 0;
    std::string jsonPath; // JSON files: "layers[0].data"
    // The character (UnknownCharacter), the parser's words (the BadJson codes),
    // the compression named ("zstd"), or the tileset's file.
    std::string detail;
};
using MapResult = DungeonFileResult;

// The text edge grid, from its bytes (name: the map's name).
MapResult parseTextMap(std::string_view text, const std::string& name, DungeonMap& out);
// A Tiled JSON map; external JSON tilesets are read from `folder`.
MapResult parseTiledMap(std::string_view json, const std::string& name, const std::string& folder,
                        DungeonMap& out);
// Reads a map file, by its extension: .txt a text grid, .tmj or .json a Tiled map.
MapResult readDungeonMap(const std::string& path, DungeonMap& out);

} // namespace tarn
