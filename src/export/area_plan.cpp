#include "export/area_plan.h"

#include "output/bmp_writer.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace tarn {

namespace {

constexpr std::int64_t kWidthOffset = 40000;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

// A part as the canvas shows it.
struct PartOnCanvas {
    const std::string& name;
    const std::string& path;
    const PartImage& image; // as shown: mirrored when the row says so
    bool mirroredLeftRight = false;
    bool mirroredUpDown = false;
    int x = 0;
    int y = 0;
};

Rect visiblePart(const PartOnCanvas& part) {
    const long long left = std::max<long long>(part.x, 0);
    const long long top = std::max<long long>(part.y, 0);
    const long long right = std::min<long long>(
        static_cast<long long>(part.x) + part.image.picture.width(), kCanvasWidth);
    const long long bottom = std::min<long long>(
        static_cast<long long>(part.y) + part.image.picture.height(), kCanvasHeight);
    if (left >= right || top >= bottom)
        return {};
    // Offsets within the part.
    return {static_cast<int>(left - part.x), static_cast<int>(top - part.y),
            static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

bool opaqueOutside(const PartImage& image, const Rect& visible) {
    for (int v = 0; v < image.mask.height(); ++v)
        for (int u = 0; u < image.mask.width(); ++u) {
            const bool inside = u >= visible.left && u < visible.left + visible.width &&
                                v >= visible.top && v < visible.top + visible.height;
            if (!inside && image.mask.pixel(u, v) != kWhite)
                return true;
        }
    return false;
}

class Planner {
  public:
    explicit Planner(const std::string& backgroundName) {
        // A part named like a background would take its place in the engine.
        taken_[foldedName(kDarkBackgroundName)] = "";
        taken_[foldedName(kDefaultBackgroundName)] = "";
        taken_[foldedName(backgroundName)] = "";
    }

    // The cell for the part, and its file recorded; false when nothing of it shows.
    bool place(const PartOnCanvas& part, AreaCell& cell) {
        const Rect visible = visiblePart(part);
        if (visible.empty())
            return false;
        const bool cropped = opaqueOutside(part.image, visible);
        const bool mirrored = part.mirroredLeftRight || part.mirroredUpDown;
        std::string variant;
        if (part.mirroredLeftRight)
            variant += "_lr";
        if (part.mirroredUpDown)
            variant += "_ud";
        Picture derived;
        int left = part.x;
        int top = part.y;
        if (cropped || mirrored || !startsAsBmp(part.path)) {
            const Picture original = part.image.original();
            const Rect crop = cropped ? visible : Rect{0, 0, original.width(), original.height()};
            if (cropped)
                variant += "_" + std::to_string(crop.left) + "-" + std::to_string(crop.top) + "-" +
                           std::to_string(crop.width) + "x" + std::to_string(crop.height);
            // The engine takes pixel (0, 0) as see-through: it must be the key.
            const int border = original.pixel(crop.left, crop.top) == part.image.key ? 0 : 1;
            derived = Picture(crop.width + border, crop.height + border, part.image.key);
            for (int v = 0; v < crop.height; ++v)
                for (int u = 0; u < crop.width; ++u)
                    derived.setPixel(u + border, v + border,
                                     original.pixel(crop.left + u, crop.top + v));
            left += crop.left - border;
            top += crop.top - border;
        }
        const Picture& shown = derived.isNull() ? part.image.picture : derived;
        cell.left = static_cast<std::int32_t>(left + kViewLeft);
        cell.top = static_cast<std::int32_t>(top + kViewTop);
        cell.widthField = static_cast<std::int32_t>(kWidthOffset + shown.width());
        cell.height = shown.height();
        cell.fileName = fileFor(part, variant, derived);
        cell.flag = 1;
        return true;
    }

    std::vector<PartFile> files;

  private:
    // Same source and same making share one file; anything else gets a name of
    // its own, "_2", "_3" ... added.
    std::string fileFor(const PartOnCanvas& part, const std::string& variant,
                        const Picture& derived) {
        const std::string identity = part.path + '\n' + variant + (derived.isNull() ? "" : "\n*");
        const std::string stem = part.name + variant;
        for (int k = 1;; ++k) {
            const std::string name = stem + (k == 1 ? "" : "_" + std::to_string(k)) + ".bmp";
            const auto [it, added] = taken_.emplace(foldedName(name), identity);
            if (added)
                files.push_back(
                    {name, part.path, derived.isNull() ? Bytes{} : encodeBmp24(derived)});
            if (added || it->second == identity)
                return name;
        }
    }

    std::map<std::string, std::string> taken_; // folded file name -> identity
};

} // namespace

std::string foldedName(std::string name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

bool startsAsBmp(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    char head[2] = {};
    const bool bmp = ::read(fd, head, 2) == 2 && head[0] == 'B' && head[1] == 'M';
    ::close(fd);
    return bmp;
}

AreaPlan planArea(const Scene& scene, const std::string& backgroundName) {
    Planner planner(backgroundName);
    // Files are named slots first, so a slot keeps its plain name.
    std::vector<std::pair<int, AreaCell>> slotCells; // slot number, cell
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot& slot = scene.slot(i);
        const Point at = kSlotPlaces[static_cast<std::size_t>(i)];
        AreaCell cell;
        if (!slot.name.empty() && slot.image &&
            planner.place({slot.name, slot.path, *slot.image, false, false, at.x, at.y}, cell))
            slotCells.emplace_back(i, std::move(cell));
    }
    std::vector<std::pair<Layer, AreaCell>> objectCells;
    for (const ObjectRow& row : scene.objects) {
        AreaCell cell;
        if (row.shown && planner.place({row.name, row.path, *row.shown, row.mirroredLeftRight,
                                        row.mirroredUpDown, row.x, row.y},
                                       cell))
            objectCells.emplace_back(row.layer, std::move(cell));
    }

    AreaPlan plan;
    plan.cells.push_back(backgroundCell(backgroundName));
    const auto addSlots = [&](int first, int last) {
        for (const auto& [i, cell] : slotCells)
            if (i >= first && i <= last)
                plan.cells.push_back(cell);
    };
    const auto addObjects = [&](Layer layer) {
        for (const auto& [l, cell] : objectCells)
            if (l == layer)
                plan.cells.push_back(cell);
    };
    addSlots(1, 3);
    addObjects(Layer::BehindFront);
    addSlots(4, 5);
    addObjects(Layer::InFront);
    plan.files = std::move(planner.files);
    return plan;
}

} // namespace tarn
