#pragma once

#include "scene/picture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

inline constexpr int kCanvasWidth = 478;
inline constexpr int kCanvasHeight = 278;
inline constexpr int kSlotCount = 5;
inline constexpr int kMaxObjects = 10;
// Parts larger than this on a side, or with more pixels in all, are refused
// before they are decoded. 2048 x 2048 is some thirty canvases, far beyond any
// real part, and keeps a decoded part's buffers under 64 MB in all.
inline constexpr int kMaxPartSide = 8192;
inline constexpr std::int64_t kMaxPartPixels = std::int64_t{2048} * 2048;

// Whether a part of this size may be decoded at all.
constexpr bool partSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPartSide && height <= kMaxPartSide &&
           width * height <= kMaxPartPixels;
}

struct Point {
    int x = 0;
    int y = 0;
};

// A rectangle of canvas pixels; empty when either side is not positive.
struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    bool empty() const { return w <= 0 || h <= 0; }
    // The smallest rectangle holding both.
    Rect united(const Rect& other) const;
    Rect intersected(const Rect& other) const;
    // 64-bit edges: positions near the int limits cannot overflow.
    static Rect fromEdges(long long left, long long top, long long right, long long bottom);
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr Rect kCanvasRect{0, 0, kCanvasWidth, kCanvasHeight};

// Top-left corner of slots 1..5 on the canvas; index 0 is unused.
inline constexpr std::array<Point, kSlotCount + 1> kSlotPlaces{
    {{0, 0}, {80, 80}, {0, 0}, {240, 0}, {0, 80}, {240, 80}}};

// A part as it is composed: its key pixels white, and its mask. Never changed
// once made and shared between the scene and its history, so keeping many
// states of a scene costs no pixel copies.
struct PartImage {
    Picture picture;
    Mask mask;
    Rgb key = kWhite; // the part's own key colour, which the picture shows as white

    // The part's own pixels: white where the mask is white turned back into the key.
    // Exact, since an opaque white pixel has a black mask.
    Picture original() const;
};
using PartImagePtr = std::shared_ptr<const PartImage>;

// An empty picture, for a slot or row that has none.
const PartImage& noPartImage();

// One terrain slot. It is composed iff its name is not empty; clearing empties
// name and path and leaves the image alone. A named slot without an image is a
// part a scene file names that could not be read: kept as recorded, drawn as nothing.
struct Slot {
    std::string name; // list entry: file name without ".bmp"
    std::string path; // file the part was loaded from
    PartImagePtr image;

    bool missing() const { return !name.empty() && !image; }

    const Picture& picture() const { return (image ? *image : noPartImage()).picture; }
    const Mask& mask() const { return (image ? *image : noPartImage()).mask; }
    friend bool operator==(const Slot&, const Slot&) = default;
};

// Which terrain an object stands in front of: "F" rows are drawn behind the
// front walls, "T" rows over all terrain.
enum class Layer : std::uint8_t { BehindFront, InFront };

// The flag text the lists show and the scene files keep.
const char* layerText(Layer layer);

// One object row. The image shown is derived from the source image and the two
// mirror flags, so the row can always be rebuilt from what it records.
struct ObjectRow {
    std::string name;
    std::string path; // source bitmap
    int x = 0;        // top-left corner on the canvas; any whole number
    int y = 0;
    Layer layer = Layer::BehindFront;
    bool mirroredLeftRight = false;
    bool mirroredUpDown = false;
    PartImagePtr source; // as loaded, key pixels white, not mirrored; null: missing, as a slot
    PartImagePtr shown;  // source mirrored as the flags say

    bool missing() const { return !source; }

    const Picture& picture() const { return (shown ? *shown : noPartImage()).picture; }
    const Mask& mask() const { return (shown ? *shown : noPartImage()).mask; }
    friend bool operator==(const ObjectRow&, const ObjectRow&) = default;
};

class Scene {
  public:
    Scene();

    // i from 1 to 5.
    Slot& slot(int i) { return slots_[static_cast<std::size_t>(i - 1)]; }
    const Slot& slot(int i) const { return slots_[static_cast<std::size_t>(i - 1)]; }
    std::array<Slot, kSlotCount>& terrain() { return slots_; }
    const std::array<Slot, kSlotCount>& terrain() const { return slots_; }

    std::vector<ObjectRow> objects; // at most kMaxObjects rows
    Picture canvas;                 // kCanvasWidth x kCanvasHeight

  private:
    std::array<Slot, kSlotCount> slots_;
};

// The paths of the missing slots and rows, in slot then row order.
std::vector<std::string> missingParts(const Scene& scene);

enum class NumberReading { Whole, Bad, TooLarge };

// Reads decimal text as a whole number: blanks around it ignored, an optional
// sign, digits with an optional fraction rounded half to even. Parsed by hand so
// the user's locale cannot change the decimal point, and no exponent, hex or
// "inf" slips through. TooLarge past +-1e11 (value then holds the clamp).
NumberReading readWholeNumber(std::string_view text, std::int64_t& value);

// A list text as a whole number; anything unreadable is 0, clamped to int.
int wholeNumber(const std::string& text);

} // namespace tarn
