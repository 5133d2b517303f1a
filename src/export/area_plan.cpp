#include "export/area_plan.h"

#include "output/bmp_writer.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace tarn {

namespace {

constexpr std::int64_t kWidthOffset = 40000;

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

// The part's pixels inside the canvas, as offsets within the part.
Rect visiblePart(const PartOnCanvas& part) {
    Rect r =
        Rect::fromEdges(part.x, part.y, static_cast<long long>(part.x) + part.image.picture.width(),
                        static_cast<long long>(part.y) + part.image.picture.height())
            .intersected(kCanvasRect);
    if (r.empty())
        return {};
    r.x -= part.x;
    r.y -= part.y;
    return r;
}

bool opaqueOutside(const PartImage& image, const Rect& visible) {
    for (int v = 0; v < image.mask.height(); ++v)
        for (int u = 0; u < image.mask.width(); ++u) {
            const bool inside = u >= visible.x && u < visible.x + visible.w && v >= visible.y &&
                                v < visible.y + visible.h;
            if (!inside && image.mask.pixel(u, v) != kWhite)
                return true;
        }
    return false;
}

class Planner {
  public:
    explicit Planner(const std::string& backgroundName) { namer_.reserve(backgroundName); }

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
                variant += "_" + std::to_string(crop.x) + "-" + std::to_string(crop.y) + "-" +
                           std::to_string(crop.w) + "x" + std::to_string(crop.h);
            // The engine takes pixel (0, 0) as see-through: it must be the key.
            const int border = original.pixel(crop.x, crop.y) == part.image.key ? 0 : 1;
            derived = Picture(crop.w + border, crop.h + border, part.image.key);
            for (int v = 0; v < crop.h; ++v)
                for (int u = 0; u < crop.w; ++u)
                    derived.setPixel(u + border, v + border,
                                     original.pixel(crop.x + u, crop.y + v));
            left += crop.x - border;
            top += crop.y - border;
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
        bool added = false;
        std::string name = namer_.name(part.name + variant, identity, added);
        if (added)
            files.push_back({name, part.path, derived.isNull() ? Bytes{} : encodeBmp24(derived)});
        return name;
    }

    FileNamer namer_;
};

} // namespace

namespace {

char32_t lowerCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'\uFF21' && c <= U'\uFF3A') ||
        (c >= U'\u0391' && c <= U'\u03A9' && c != U'\u03A2') || (c >= U'\u0410' && c <= U'\u042F'))
        return c + 0x20;
    if (c >= U'\u0400' && c <= U'\u040F')
        return c + 0x50;
    return c;
}

} // namespace

std::string foldedName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(name[i + k]); };
        const auto follow = [&](std::size_t count) {
            for (std::size_t k = 1; k <= count; ++k)
                if (i + k >= name.size() || (b(k) & 0xC0) != 0x80)
                    return false;
            return true;
        };
        char32_t c = 0;
        std::size_t n = 0;
        if (b(0) < 0x80)
            c = b(0), n = 1;
        else if (b(0) >= 0xC2 && b(0) < 0xE0 && follow(1))
            c = (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu), n = 2;
        else if ((b(0) & 0xF0) == 0xE0 && follow(2))
            c = (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu), n = 3;
        else if ((b(0) & 0xF8) == 0xF0 && follow(3))
            n = 4; // no letter to fold there
        else
            return name; // not UTF-8: whose letters these bytes are is not known
        const char32_t lower = lowerCase(c);
        // Every letter folded keeps its encoded length.
        if (n == 4 || lower == c)
            out.append(name, i, n);
        else if (n == 1)
            out += static_cast<char>(lower);
        else if (n == 2)
            out += {static_cast<char>(0xC0 | lower >> 6), static_cast<char>(0x80 | (lower & 0x3F))};
        else
            out += {static_cast<char>(0xE0 | lower >> 12),
                    static_cast<char>(0x80 | (lower >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (lower & 0x3F))};
        i += n;
    }
    return out;
}

std::string candidateName(const std::string& stem, const std::string& ending, int k) {
    const bool reserved = isReservedWindowsName(stem + ending);
    const int n = reserved ? k + 1 : k;
    const std::size_t cut = reserved ? std::min(stem.find('.'), stem.size()) : stem.size();
    return stem.substr(0, cut) + (n == 1 ? "" : "_" + std::to_string(n)) + stem.substr(cut) +
           ending;
}

bool isReservedWindowsName(const std::string& fileName) {
    if (fileName.empty() || fileName.back() == '.' || fileName.back() == ' ')
        return true;
    std::string base = fileName.substr(0, fileName.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

FileNamer::FileNamer() {
    // A part named like a background would take its place in the engine.
    reserve(kDarkBackgroundName);
    reserve(kDefaultBackgroundName);
}

void FileNamer::reserve(const std::string& name) {
    taken_[foldedName(name)] = "";
}

std::string FileNamer::name(const std::string& stem, const std::string& identity, bool& added) {
    for (int k = 1;; ++k) {
        std::string name = candidateName(stem, ".bmp", k);
        const auto [it, isNew] = taken_.emplace(foldedName(name), identity);
        added = isNew;
        if (isNew || it->second == identity)
            return name;
    }
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
