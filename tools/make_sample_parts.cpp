// Builds the sample part library laid out beside the program: two dungeon
// sets (stone and brick), each a ground, two back parts and two front walls,
// and a handful of objects. The five terrain parts of a set compose into one
// corridor seen in perspective, lit by the viewer's torch.
#include "sample_art.h"

#include "base/paths.h"
#include "output/bmp_writer.h"
#include "scene/scene.h"

#include <cstdio>
#include <cstring>
#include <functional>

namespace sample {

namespace {

// The corridor: cross-sections shrink towards the vanishing point (kCx, kVy).
// Scale 1 is the screen edge, where the wall runs from y 80 to 278; the far
// end wall stands at scale kFarScale.
constexpr double kCx = 239.0;
constexpr double kVy = 136.0;
constexpr double kTop = 80.0;
constexpr double kBottom = 278.0;
constexpr double kFarScale = 0.16;

double wallTop(double scale) {
    return kVy - (kVy - kTop) * scale;
}
double wallBottom(double scale) {
    return kVy + (kBottom - kVy) * scale;
}

// Torchlight from the viewer fading with depth.
double light(double depth) {
    return clamp01(0.92 / (0.15 + 0.85 * depth));
}

enum class Surface { Ceiling, LeftWall, RightWall, Floor, FarWall };

struct Hit {
    Surface surface;
    double depth; // 1 at the screen edge
    double u;     // across: -1..1 on floor, ceiling and far wall; unused on side walls
    double v;     // up: 0 at the floor, 1 at the ceiling (walls)
    double du;    // size of one pixel in u (or in depth on side walls)
    double dv;    // size of one pixel in v (or in depth on floor and ceiling)
};

// The floor at a screen point below the horizon.
Hit floorHit(double x, double y) {
    const double scale = (y - kVy) / (kBottom - kVy);
    const double depth = 1.0 / scale;
    return {Surface::Floor,
            depth,
            (x - kCx) / (kCx * scale),
            0,
            depth / kCx,
            depth * depth / (kBottom - kVy)};
}

Hit locate(double x, double y) {
    const double dx = x - kCx;
    const double ax = std::abs(dx);
    const double farHalf = kCx * kFarScale;
    if (ax >= farHalf) {
        const double scale = ax / kCx;
        const double top = wallTop(scale);
        const double bottom = wallBottom(scale);
        if (y >= top && y <= bottom) {
            const double depth = 1.0 / scale;
            return {dx < 0 ? Surface::LeftWall : Surface::RightWall,
                    depth,
                    0,
                    (bottom - y) / (bottom - top),
                    depth * depth / kCx,
                    1.0 / (bottom - top)};
        }
    } else if (y >= wallTop(kFarScale) && y <= wallBottom(kFarScale)) {
        const double top = wallTop(kFarScale);
        const double bottom = wallBottom(kFarScale);
        return {Surface::FarWall, 1.0 / kFarScale,     dx / farHalf, (bottom - y) / (bottom - top),
                1.0 / farHalf,    1.0 / (bottom - top)};
    }
    if (y < kVy) {
        const double scale = (kVy - y) / (kVy - kTop);
        const double depth = 1.0 / scale;
        return {Surface::Ceiling,   depth,
                dx / (kCx * scale), 0,
                depth / kCx,        depth * depth / (kVy - kTop)};
    }
    return floorHit(x, y);
}

// Where a coordinate falls in a run of blocks of the given size: the block's
// index and whether the point lies on the joint (at least about a pixel wide).
struct Cell {
    int index;
    double frac;
    bool joint;
};

Cell cell(double coordinate, double size, double pixel, double jointShare) {
    const double t = coordinate / size;
    const double f = std::floor(t);
    const double frac = t - f;
    const double half = std::max(0.55 * pixel / size, jointShare);
    return {static_cast<int>(f), frac, frac < half || frac > 1 - half};
}

struct Materials {
    Ramp block;
    Ramp joint;
    Ramp floor;
    Ramp ceiling;
    Ramp beam;
    int courses;        // block courses from floor to ceiling
    double blockLength; // along a wall, in the units of depth (the corridor is 2 wide)
    double tileWidth;   // floor tiles across (the floor is 2 wide)
    double tileLength;  // floor tiles in depth
    bool farOpening;    // the far end is a dark archway instead of a wall
    int seed;
};

const Materials kStone{{{8, 7, 6}, {90, 82, 70}, {178, 166, 144}},
                       {{4, 4, 4}, {40, 37, 33}, {92, 86, 78}},
                       {{6, 6, 6}, {84, 80, 74}, {172, 166, 154}},
                       {{5, 5, 5}, {72, 70, 66}, {150, 146, 138}},
                       {{6, 4, 2}, {70, 46, 26}, {150, 104, 62}},
                       6,
                       0.25,
                       0.5,
                       0.5,
                       false,
                       11};

const Materials kBrick{{{8, 4, 3}, {118, 58, 40}, {214, 132, 96}},
                       {{5, 5, 5}, {62, 58, 52}, {150, 144, 132}},
                       {{6, 5, 4}, {96, 70, 52}, {186, 146, 112}},
                       {{5, 5, 5}, {66, 62, 58}, {140, 132, 122}},
                       {{6, 4, 2}, {64, 42, 24}, {140, 96, 56}},
                       12,
                       0.13,
                       0.34,
                       0.26,
                       true,
                       29};

// Blocks on a wall face, laid in courses with every other course shifted by
// half a block. `along` runs in the units of depth, `up` from 0 (floor) to 1.
Rgb wallFace(const Materials& m, const Shader& shader, double along, double pixelAlong, double up,
             double pixelUp, double depth, int face) {
    const double course = up * m.courses;
    const Cell row = cell(course, 1.0, pixelUp * m.courses, 0.05);
    const double shift = (row.index % 2 != 0) ? 0.5 * m.blockLength : 0.0;
    const Cell block = cell(along + shift, m.blockLength, pixelAlong, 0.035);
    const double lit = light(depth);
    const double g = grain(along / m.blockLength * 5 + face * 13, course * 6, m.seed + face);
    if (row.joint || block.joint)
        return shader.shade(m.joint, lit * (0.55 + 0.3 * g));
    const double tone = 0.72 + 0.34 * hash01(block.index, row.index, m.seed + face);
    double bevel = 1.0;
    if (row.frac > 0.82)
        bevel = 1.1;
    else if (row.frac < 0.2)
        bevel = 0.84;
    return shader.shade(m.block, lit * tone * bevel * (0.8 + 0.35 * g));
}

Rgb floorAt(const Materials& m, const Shader& shader, const Hit& h) {
    const double across = (h.u + 1.0) / m.tileWidth;
    const Cell row = cell(h.depth, m.tileLength, h.dv, 0.04);
    const double shift = (row.index % 2 != 0) ? 0.5 : 0.0;
    const Cell tile = cell(across + shift, 1.0, h.du / m.tileWidth, 0.04);
    const double lit = light(h.depth);
    // Darker where the floor meets the walls.
    const double corner = 1.0 - 0.35 * smoothstep(0.75, 1.0, std::abs(h.u));
    const double g = grain(across * 6, h.depth * 14, m.seed + 3);
    if (row.joint || tile.joint)
        return shader.shade(m.joint, lit * corner * (0.5 + 0.3 * g));
    const double tone = 0.74 + 0.3 * hash01(tile.index, row.index, m.seed + 5);
    return shader.shade(m.floor, lit * corner * tone * (0.8 + 0.35 * g));
}

Rgb ceilingAt(const Materials& m, const Shader& shader, const Hit& h) {
    const double lit = 0.8 * light(h.depth);
    const Cell beam = cell(h.depth + 0.3, 1.1, h.dv, 0.0);
    if (beam.frac < 0.15) {
        const double g = grain(h.u * 30, h.depth * 3, m.seed + 7);
        const double edge = beam.frac < 0.03 || beam.frac > 0.12 ? 0.7 : 1.0;
        return shader.shade(m.beam, lit * edge * (0.75 + 0.4 * g));
    }
    const Cell row = cell(h.depth, 0.55, h.dv, 0.04);
    const Cell slab = cell(h.u + 1.0 + (row.index % 2 != 0 ? 0.33 : 0.0), 0.67, h.du, 0.04);
    const double g = grain(h.u * 8, h.depth * 10, m.seed + 9);
    if (row.joint || slab.joint)
        return shader.shade(m.joint, lit * (0.5 + 0.3 * g));
    const double tone = 0.7 + 0.3 * hash01(slab.index, row.index, m.seed + 13);
    return shader.shade(m.ceiling, lit * tone * (0.8 + 0.3 * g));
}

// The far end: a wall facing the viewer, or a dark archway in one. Returns
// false where the far end shows nothing (the dark beyond the archway).
bool farAt(const Materials& m, const Shader& shader, const Hit& h, Rgb& out) {
    if (m.farOpening) {
        const double halfWidth = 0.62;
        const double spring = 0.72;
        const double ax = std::abs(h.u) / halfWidth;
        const bool inside =
            ax < 1.0 && (h.v < spring || ax * ax + std::pow((h.v - spring) / 0.2, 2) < 1.0);
        if (inside)
            return false;
    }
    out = wallFace(m, shader, h.u + 1.0, h.du, h.v, h.dv, h.depth, 3);
    return true;
}

using PixelRule = std::function<bool(const Hit&, Rgb&)>;

// Paints a part of the given size whose top-left corner sits at (left, top)
// on the canvas; pixels the rule declines keep the key colour.
Picture paintPart(int left, int top, int width, int height, const PixelRule& rule) {
    Picture part = paint(width, height, [&](double x, double y) -> std::optional<Rgb> {
        Rgb colour;
        if (rule(locate(left + x, top + y), colour))
            return colour;
        return std::nullopt;
    });
    part.setPixel(0, 0, kKey);
    return part;
}

bool insideGroundPart(double x, double y) {
    return x >= 80 && x < 400 && y >= 80 && y < 240;
}

bool writeSet(const std::string& folder, const std::string& prefix, const Materials& m,
              const bool palette[5]) {
    auto shaderFor = [&](int i) { return Shader{palette[i] ? kPaletteLevels : 0}; };

    const Shader groundShader = shaderFor(0);
    const Picture ground = paintPart(80, 80, 320, 160, [&](const Hit& h, Rgb& c) {
        if (h.surface != Surface::Floor)
            return false;
        c = floorAt(m, groundShader, h);
        return true;
    });

    auto backPart = [&](int left, const Shader& shader) {
        return paintPart(left, 0, 240, 160, [&](const Hit& h, Rgb& c) {
            if (h.surface == Surface::Ceiling) {
                c = ceilingAt(m, shader, h);
                return true;
            }
            return h.surface == Surface::FarWall && farAt(m, shader, h, c);
        });
    };
    const Shader backLeftShader = shaderFor(1);
    const Shader backRightShader = shaderFor(2);
    const Picture backLeft = backPart(0, backLeftShader);
    const Picture backRight = backPart(240, backRightShader);

    // A front wall also lays the near floor at its foot that the ground part
    // cannot reach.
    auto frontPart = [&](int left, Surface wall, const Shader& shader) {
        return paintPart(left, 80, 240, 200, [&](const Hit& h, Rgb& c) {
            if (h.surface != wall)
                return false;
            const int face = wall == Surface::LeftWall ? 1 : 2;
            c = wallFace(m, shader, h.depth, h.du, h.v, h.dv, h.depth, face);
            return true;
        });
    };
    const Shader frontLeftShader = shaderFor(3);
    const Shader frontRightShader = shaderFor(4);
    Picture frontLeft = frontPart(0, Surface::LeftWall, frontLeftShader);
    Picture frontRight = frontPart(240, Surface::RightWall, frontRightShader);
    auto addNearFloor = [&](Picture& part, int left, const Shader& shader) {
        for (int y = 0; y < part.height(); ++y) {
            for (int x = 0; x < part.width(); ++x) {
                const double cx = left + x + 0.5;
                const double cy = 80 + y + 0.5;
                const Hit h = locate(cx, cy);
                if (h.surface == Surface::Floor && !insideGroundPart(cx, cy) && (x | y) != 0)
                    part.setPixel(x, y, floorAt(m, shader, h));
            }
        }
    };
    addNearFloor(frontLeft, 0, frontLeftShader);
    addNearFloor(frontRight, 240, frontRightShader);

    return writePart(ground, folder, prefix + "_ug.bmp", palette[0]) &&
           writePart(backLeft, folder, prefix + "_bl.bmp", palette[1]) &&
           writePart(backRight, folder, prefix + "_br.bmp", palette[2]) &&
           writePart(frontLeft, folder, prefix + "_fl.bmp", palette[3]) &&
           writePart(frontRight, folder, prefix + "_fr.bmp", palette[4]);
}

// The dungeon set: walls one square long, so that a map's views put together
// from them. The viewer's square runs from depth 1 to 2, the square ahead from
// 2 to 3; a front wall stands at depth 2 or 3. Doors are planked wood in a
// stone wall. The floor is the stone set's; the ceiling is left dark.
const Ramp kDoorWood{{12, 7, 3}, {104, 64, 32}, {196, 142, 86}};

constexpr double kDoorFrom = 0.28; // along a square, where the door begins and ends
constexpr double kDoorTo = 0.72;
constexpr double kDoorHeight = 0.7;

// The door's planks, or nothing where `across` (0..1 over the square) and `up`
// fall outside it.
std::optional<Rgb> doorAt(const Shader& shader, double across, double up, double depth) {
    if (across < kDoorFrom || across > kDoorTo || up > kDoorHeight)
        return std::nullopt;
    const double t = (across - kDoorFrom) / (kDoorTo - kDoorFrom);
    const double plank = t * 5;
    const double edge = std::min(plank - std::floor(plank), 1 - (plank - std::floor(plank)));
    const bool frame = t < 0.03 || t > 0.97 || up > kDoorHeight - 0.03;
    const double band = std::abs(up - kDoorHeight * 0.7) < 0.03 ? 0.55 : 1.0;
    const double b =
        light(depth) * band * (frame || edge < 0.06 ? 0.35 : 0.7 + 0.2 * hash01(int(plank), 7, 61));
    return shader.shade(kDoorWood, b);
}

// A side wall from depth `near` to near + 1, with a door when asked.
Picture sideWall(int left, int top, int width, int height, Surface side, double near, bool door) {
    const Shader shader{};
    return paintPart(left, top, width, height, [&](const Hit& h, Rgb& c) {
        if (h.surface != side || h.depth < near || h.depth >= near + 1)
            return false;
        const std::optional<Rgb> planks =
            door ? doorAt(shader, h.depth - near, h.v, h.depth) : std::nullopt;
        c = planks ? *planks
                   : wallFace(kStone, shader, h.depth, h.du, h.v, h.dv, h.depth,
                              side == Surface::LeftWall ? 1 : 2);
        return true;
    });
}

// A wall facing the viewer at the given depth, as an object whose first row
// and column are the key colour; its top-left corner goes to `at`.
Picture frontWall(double depth, bool door, tarn::Point& at) {
    const Shader shader{};
    const double half = kCx / depth;
    const double top = wallTop(1 / depth);
    const double bottom = wallBottom(1 / depth);
    at = {static_cast<int>(std::floor(kCx - half)) - 1, static_cast<int>(std::floor(top)) - 1};
    const int w = static_cast<int>(std::ceil(kCx + half)) - at.x;
    const int h = static_cast<int>(std::ceil(bottom)) - at.y;
    return paint(w, h, [&](double x, double y) -> std::optional<Rgb> {
        const double cx = at.x + x;
        const double cy = at.y + y;
        if (x < 1 || y < 1 || cx > kCx + half || cy > bottom)
            return std::nullopt;
        const double u = (cx - kCx) / half; // -1..1
        const double v = (bottom - cy) / (bottom - top);
        if (door)
            if (const std::optional<Rgb> planks = doorAt(shader, (u + 1) / 2, v, depth))
                return planks;
        return wallFace(kStone, shader, u + 1, 1 / half, v, 1 / (bottom - top), depth, 3);
    });
}

// The floor of the viewer's square and of everything ahead and beside it, out
// to the canvas' right and bottom edges.
Picture dungeonFloor() {
    const Shader shader{};
    return paint(tarn::kCanvasWidth - 80, tarn::kCanvasHeight - 80,
                 [&](double x, double y) -> std::optional<Rgb> {
                     const double cy = 80 + y;
                     if (cy <= kVy + 1 || (x < 1 && y < 1))
                         return std::nullopt;
                     return floorAt(kStone, shader, floorHit(80 + x, cy));
                 });
}

bool writeDungeonSet(const std::string& folder) {
    bool ok = writePart(dungeonFloor(), folder, "cell_ug.bmp", false);
    for (const bool door : {false, true}) {
        const std::string prefix = door ? "door" : "cell";
        // Near sides at the slots of the front walls; far sides at the back slots,
        // tall enough to reach the foot of the square ahead.
        ok = ok &&
             writePart(sideWall(0, 80, 240, 200, Surface::LeftWall, 1, door), folder,
                       prefix + "_fl.bmp", false) &&
             writePart(sideWall(240, 80, 238, 200, Surface::RightWall, 1, door), folder,
                       prefix + "_fr.bmp", false) &&
             writePart(sideWall(0, 0, 160, 210, Surface::LeftWall, 2, door), folder,
                       prefix + "_bl.bmp", false) &&
             writePart(sideWall(240, 0, 120, 210, Surface::RightWall, 2, door), folder,
                       prefix + "_br.bmp", false);
        for (const double depth : {2.0, 3.0}) {
            tarn::Point at;
            const Picture wall = frontWall(depth, door, at);
            ok = ok && writePart(wall, folder,
                                 std::string(depth == 2 ? "ob_front_" : "ob_far_") +
                                     (door ? "door" : "wall") + ".bmp",
                                 false);
        }
    }
    return ok;
}

} // namespace

bool writePart(const Picture& picture, const std::string& folder, const std::string& name,
               bool palette) {
    const std::string path = tarn::joinPath(folder, name);
    if (palette) {
        tarn::Status status;
        const int result = tarn::save256(picture, path, false, &status);
        if (result != tarn::kSave256Written) {
            std::fprintf(stderr, "make_sample_parts: %s: save256 gave %d %s\n", path.c_str(),
                         result, std::strerror(status.error));
            return false;
        }
        return true;
    }
    const tarn::Status status = tarn::saveBmp24(picture, path);
    if (!status.ok()) {
        std::fprintf(stderr, "make_sample_parts: %s: %s\n", path.c_str(),
                     std::strerror(status.error));
        return false;
    }
    return true;
}

} // namespace sample

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_parts <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    // ground, back left, back right, front left, front right: palette BMP or not
    const bool stonePalette[5] = {true, false, false, false, true};
    const bool brickPalette[5] = {false, true, true, false, false};
    const bool ok = sample::writeSet(folder, "stone", sample::kStone, stonePalette) &&
                    sample::writeSet(folder, "brick", sample::kBrick, brickPalette) &&
                    sample::writeObjects(folder) && sample::writeDungeonSet(folder);
    return ok ? 0 : 1;
}
