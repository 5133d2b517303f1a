#pragma once

#include "scene/picture.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

inline constexpr int kCanvasWidth = 478;
inline constexpr int kCanvasHeight = 278;
inline constexpr int kSlotCount = 5;
inline constexpr int kMaxObjects = 10;
// Parts larger than this on a side are refused before they are decoded.
inline constexpr int kMaxPartSide = 8192;

struct Point {
    int x = 0;
    int y = 0;
};

// Top-left corner of slots 1..5 on the canvas; index 0 is unused.
inline constexpr std::array<Point, kSlotCount + 1> kSlotPlaces{
    {{0, 0}, {80, 80}, {0, 0}, {240, 0}, {0, 80}, {240, 80}}};

// One terrain slot. It is composed iff its name is not empty; clearing empties
// name and path and leaves the pictures alone.
struct Slot {
    std::string name; // list entry: file name without ".bmp"
    std::string path; // file the part was loaded from
    Picture picture;  // key pixels already white
    Mask mask;
};

// One object row. X, Y and flag are kept as the texts the lists show.
struct ObjectRow {
    std::string name;
    std::string x = "0";
    std::string y = "0";
    std::string flag = "F"; // "F": behind the front walls, "T": in front; else not drawn
    std::string path;       // source bitmap
    Picture picture;
    Mask mask;
};

class Scene {
  public:
    Scene();

    // i from 1 to 5.
    Slot& slot(int i) { return slots_[static_cast<std::size_t>(i - 1)]; }
    const Slot& slot(int i) const { return slots_[static_cast<std::size_t>(i - 1)]; }

    std::vector<ObjectRow> objects; // at most kMaxObjects rows
    Picture canvas;                 // kCanvasWidth x kCanvasHeight

  private:
    std::array<Slot, kSlotCount> slots_;
};

enum class NumberReading { Whole, Bad, TooLarge };

// Reads decimal text as a whole number: blanks around it ignored, an optional
// sign, digits with an optional fraction rounded half to even. Parsed by hand so
// the user's locale cannot change the decimal point, and no exponent, hex or
// "inf" slips through. TooLarge past +-1e11 (value then holds the clamp).
NumberReading readWholeNumber(std::string_view text, std::int64_t& value);

// A list text as a whole number; anything unreadable is 0, clamped to int.
int wholeNumber(const std::string& text);

} // namespace tarn
