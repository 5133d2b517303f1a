// The object parts of the sample library: a door, a chest, a torch, a barrel
// and a statue, each drawn on the key colour.
#include "sample_art.h"

#include <numbers>
#include <optional>

namespace sample {

namespace {

const Ramp kWood{{14, 8, 4}, {110, 68, 34}, {206, 150, 92}};
const Ramp kIron{{6, 6, 8}, {58, 60, 66}, {170, 174, 184}};
const Ramp kGold{{30, 20, 2}, {170, 128, 30}, {255, 230, 140}};
const Ramp kGrey{{10, 10, 10}, {104, 102, 96}, {214, 210, 200}};
const Ramp kFlame{{150, 30, 6}, {250, 150, 20}, {255, 250, 210}};

double distance(double x0, double y0, double x1, double y1) {
    return std::hypot(x1 - x0, y1 - y0);
}

// Door in an arched stone frame.
Picture door() {
    const Shader shader{};
    const int w = 100;
    const int h = 150;
    return paint(w, h, [&](double cx, double cy) -> std::optional<Rgb> {
        const double r = distance(cx, cy, 50, 50);
        const bool outer = (cy >= 50 && cx >= 0 && cx < w) || r < 50;
        const bool inner = (cy >= 50 && cx >= 11 && cx < w - 11) || r < 39;
        if (!outer)
            return std::nullopt;
        if (!inner) {
            // Voussoirs round the arch, blocks down the sides.
            int block;
            double edge;
            if (cy < 50) {
                const double angle = std::atan2(50 - cy, cx - 50);
                const double t = angle / std::numbers::pi * 7;
                block = static_cast<int>(t);
                edge = std::min(t - block, 1 - (t - block)) * 20;
                edge = std::min(edge, std::min(r - 39, 50 - r) * 1.0);
            } else {
                const double t = (cy - 50) / 20;
                block = 100 + static_cast<int>(t) + (cx > 50 ? 50 : 0);
                edge = std::min({(t - std::floor(t)) * 20, (1 - (t - std::floor(t))) * 20,
                                 cx < 50 ? cx - 0 : w - cx, cx < 50 ? 11 - cx : cx - (w - 11)});
            }
            const double b = edge < 1.2 ? 0.2
                                        : 0.55 + 0.3 * hash01(block, 3, 41) +
                                              0.15 * grain(cx * 0.4, cy * 0.4, 43);
            return shader.shade(kGrey, b * 0.9);
        }
        // Planks, two iron bands with rivets, a ring.
        const double plankWidth = 78.0 / 5;
        const double px = (cx - 11) / plankWidth;
        const double pf = px - std::floor(px);
        double b = 0.5 + 0.25 * grain(cx * 0.35, cy * 0.05, 47 + static_cast<int>(px)) +
                   0.1 * hash01(static_cast<int>(px), 1, 49);
        b *= 0.75 + 0.25 * (cy / h);
        Rgb c = shader.shade(kWood, pf < 0.06 || pf > 0.96 ? b * 0.35 : b);
        for (const double band : {72.0, 124.0}) {
            if (cy >= band && cy < band + 7) {
                const double rivet =
                    distance(cx, cy, std::round((cx - 5) / 13) * 13 + 5, band + 3.5);
                c = shader.shade(kIron, rivet < 2 ? 0.85 : 0.45 + 0.1 * (cy - band) / 7);
            }
        }
        const double ring = distance(cx, cy, 70, 104);
        if (std::abs(ring - 6) < 1.3)
            c = shader.shade(kIron, 0.8 - 0.05 * (cy - 98));
        return c;
    });
}

// Chest with a rounded lid, iron corners and a gold lock.
Picture chest() {
    const Shader shader{kPaletteLevels};
    const int w = 96;
    const int h = 72;
    return paint(w, h, [&](double cx, double cy) -> std::optional<Rgb> {
        const bool body = cx >= 4 && cx < 92 && cy >= 30 && cy < 70;
        const double lidTop = 30 - 20 * std::sqrt(std::max(0.0, 1 - std::pow((cx - 48) / 46, 2)));
        const bool lid = cx >= 4 && cx < 92 && cy >= lidTop && cy < 30;
        if (!body && !lid)
            return std::nullopt;
        const double shadeDown = body ? 0.85 - 0.3 * (cy - 30) / 40 : 0.95 - 0.2 * (30 - cy) / 20;
        Rgb c;
        const bool corner = cx < 12 || cx >= 84;
        const bool rim = cy >= 28 && cy < 33;
        if (corner || rim) {
            c = shader.shade(kIron, 0.55 * shadeDown + 0.1 * grain(cx * 0.5, cy * 0.5, 51));
        } else {
            const double plank = body ? (cy - 33) / 9.5 : (30 - cy) / 7;
            const double pf = plank - std::floor(plank);
            const double b = (0.5 + 0.25 * grain(cx * 0.08, cy * 0.5, 53)) * shadeDown;
            c = shader.shade(kWood, pf < 0.1 ? b * 0.4 : b);
        }
        if (cx >= 42 && cx < 54 && cy >= 30 && cy < 44) {
            const double keyhole = distance(cx, cy, 48, 36);
            c = keyhole < 2 || (std::abs(cx - 48) < 1 && cy >= 36 && cy < 41)
                    ? shader.shade(kIron, 0.05)
                    : shader.shade(kGold, 0.75 - 0.02 * (cy - 30));
        }
        return c;
    });
}

// Wall torch: iron bracket, wooden haft, flame.
Picture torch() {
    const Shader shader{};
    const int w = 28;
    const int h = 84;
    return paint(w, h, [&](double cx, double cy) -> std::optional<Rgb> {
        // Teardrop flame: round at the bottom, drawn to a point at the top.
        const double fy = (cy - 6) / 24;
        const double half =
            fy < 0 ? 0
                   : (fy < 0.6 ? 9 * std::sqrt(fy / 0.6)
                               : 9 * std::sqrt(std::max(0.0, 1 - std::pow((fy - 0.6) / 0.42, 2))));
        const double wave = 1.5 * std::sin(cy * 0.5);
        const double dx = std::abs(cx - 14 - wave * (1 - fy));
        if (fy >= 0 && fy < 1.02 && dx < half) {
            const double core = 1 - dx / std::max(half, 0.5);
            const double heat =
                clamp01(0.35 + 0.55 * core + 0.25 * fy - 0.1 * grain(cx, cy * 0.6, 61));
            return shader.shade(kFlame, heat);
        }
        const double haftHalf = 3.2 - 1.2 * (cy - 30) / 54;
        if (cy >= 30 && std::abs(cx - 14) < haftHalf) {
            const double b =
                0.35 + 0.35 * (1 - std::abs(cx - 14) / haftHalf) + 0.1 * grain(cx, cy * 0.2, 63);
            return shader.shade(kWood, cy < 34 ? b * 0.4 : b);
        }
        const bool cup = cy >= 28 && cy < 34 && std::abs(cx - 14) < 6;
        const bool ring = cy >= 50 && cy < 55 && std::abs(cx - 14) < 5.5;
        const bool plate = cy >= 46 && cy < 70 && cx >= 2 && cx < 6;
        const bool arm = cy >= 51 && cy < 54 && cx >= 2 && cx < 14;
        if (cup || ring || plate || arm)
            return shader.shade(kIron, 0.45 + 0.2 * (cup ? 1 : 0) - 0.004 * cy);
        return std::nullopt;
    });
}

// Barrel of staves bound with three hoops, rounded by its shading.
Picture barrel() {
    const Shader shader{kPaletteLevels};
    const int w = 64;
    const int h = 80;
    return paint(w, h, [&](double cx, double cy) -> std::optional<Rgb> {
        const double half = 25 + 5 * std::sin(std::numbers::pi * cy / h);
        const double dx = cx - 32;
        if (std::abs(dx) >= half)
            return std::nullopt;
        const double angle = std::asin(dx / half);
        const double round = std::cos(angle);
        const double stave = (angle + std::numbers::pi / 2) / (std::numbers::pi / 9);
        const double sf = stave - std::floor(stave);
        const bool hoop = (cy >= 8 && cy < 14) || (cy >= 37 && cy < 43) || (cy >= 66 && cy < 72);
        if (hoop)
            return shader.shade(kIron, 0.2 + 0.55 * round);
        const double b = (0.3 + 0.55 * round) *
                         (0.85 + 0.3 * grain(stave * 3, cy * 0.15, 71 + static_cast<int>(stave)));
        return shader.shade(kWood, sf < 0.07 ? b * 0.45 : b);
    });
}

// A hooded stone guardian with a sword, on a pedestal.
Picture statue() {
    const Shader shader{kPaletteLevels};
    const int w = 72;
    const int h = 150;
    return paint(w, h, [&](double cx, double cy) -> std::optional<Rgb> {
        const double dx = cx - 36;
        const double g = grain(cx * 0.3, cy * 0.3, 81);
        if (cy >= 122 && cx >= 6 && cx < 66) {
            const bool joint = std::abs(cy - 134) < 0.8 || cy < 124;
            return shader.shade(kGrey, joint ? 0.28 : 0.5 + 0.15 * g);
        }
        const bool blade = std::abs(dx) < 2.2 && cy >= 58 && cy < 118;
        const bool guard = std::abs(dx) < 11 && cy >= 54 && cy < 58;
        const bool grip = std::abs(dx) < 1.6 && cy >= 44 && cy < 54;
        if (blade || guard || grip) {
            const double b = blade ? 0.75 - 0.25 * std::abs(dx) / 2.2 - 0.002 * (cy - 58) : 0.45;
            return shader.shade(kIron, b);
        }
        const double headR = distance(cx, cy, 36, 30);
        const bool head = headR < 12;
        const double robeHalf = cy < 44 ? 0 : 16 + 10 * (cy - 44) / 78;
        const bool shoulders = cy >= 40 && cy < 48 && std::abs(dx) < 15 + (cy - 40) * 0.2;
        const bool robe = (cy >= 44 && cy < 122 && std::abs(dx) < robeHalf) || shoulders;
        if (!head && !robe)
            return std::nullopt;
        double b;
        if (head) {
            // Hooded: the face is a shadow under the hood's rim.
            const bool face = headR < 7.5 && cy > 27;
            b = face ? 0.12 : 0.35 + 0.35 * (1 - headR / 12) + 0.1 * g;
        } else {
            const double roundness =
                std::cos(std::asin(std::clamp(dx / (robeHalf + 1), -1.0, 1.0)));
            const double fold = 0.08 * std::sin(dx * 0.9 + cy * 0.05);
            b = (0.25 + 0.5 * roundness + fold) * (0.85 + 0.3 * g);
        }
        return shader.shade(kGrey, b);
    });
}

} // namespace

bool writeObjects(const std::string& folder) {
    return writePart(door(), folder, "ob_door.bmp", false) &&
           writePart(chest(), folder, "ob_chest.BMP", true) &&
           writePart(torch(), folder, "ob_torch.bmp", false) &&
           writePart(barrel(), folder, "ob_barrel.bmp", true) &&
           writePart(statue(), folder, "dungeon_ob_statue.bmp", true);
}

} // namespace sample
