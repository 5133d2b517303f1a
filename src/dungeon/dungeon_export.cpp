#include "dungeon/dungeon_export.h"

#include "base/in_parallel.h"
#include "base/paths.h"
#include "dungeon/card_pictures.h"
#include "dungeon/dungeon_view.h"
#include "dungeon/json_read.h"
#include "export/area_plan.h"
#include "export/cw_writers.h"
#include "export/export_procedure.h"
#include "export/sjis.h"
#include "output/bmp_writer.h"
#include "scene/bmp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {

constexpr const char* kFacingNames[] = {"北", "東", "南", "西"};
constexpr std::size_t kCopied = static_cast<std::size_t>(-1);

// The code and its subject; the platform's error number from `io`.
DungeonResult failure(StatusCode code, std::string subject, const Status& io = {}) {
    DungeonResult r;
    r.code = code;
    r.file = std::move(subject);
    r.error = io.error;
    return r;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// What a run wrote and what it replaced, so that a failed run leaves the
// folders as they were: a replaced file's old self is kept under a second name
// (a hard link, so nothing is copied) until the run has succeeded.
class Rollback {
  public:
    Rollback() = default;
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    ~Rollback() { undo(); }

    Status before(const std::string& path) {
        if (!exists(path)) {
            added_.push_back(path);
            return {};
        }
        // Not a name the writer's clean-up takes for a temporary file of its own.
        const std::string kept =
            joinPath(folderOf(path), ".tarn-keep-" + std::to_string(kept_.size()) + ".old");
        ::unlink(kept.c_str());
        if (::link(path.c_str(), kept.c_str()) != 0)
            if (Status s = copyFileAtomically(path, kept); !s.ok())
                return s;
        kept_.emplace_back(path, kept);
        return {};
    }
    void madeFolder(const std::string& folder) { folders_.push_back(folder); }

    void commit() {
        for (const auto& [path, kept] : kept_)
            ::unlink(kept.c_str());
        added_.clear();
        kept_.clear();
        folders_.clear();
    }

  private:
    void undo() {
        for (const std::string& path : added_)
            ::unlink(path.c_str());
        for (const auto& [path, kept] : kept_)
            ::rename(kept.c_str(), path.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
            ::rmdir(it->c_str());
    }

    std::vector<std::string> added_;
    std::vector<std::pair<std::string, std::string>> kept_;
    std::vector<std::string> folders_;
};

// Makes the folder and any missing folders above it.
Status makeFolders(const std::string& folder, Rollback& rollback) {
    if (folder.empty() || exists(folder))
        return {};
    const std::string parent = folderOf(folder);
    if (parent != folder)
        if (Status s = makeFolders(parent, rollback); !s.ok())
            return s;
    if (::mkdir(folder.c_str(), 0777) != 0)
        return systemError(errno, folder);
    rollback.madeFolder(folder);
    return {};
}

// Bitmaps made for the areas, each kept once however many views make it.
class Bitmaps {
  public:
    std::size_t add(Bytes&& bytes) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto [it, added] = ids_.emplace(std::move(bytes), ids_.size());
        if (added)
            byId_.push_back(&it->first);
        return it->second;
    }
    const Bytes& operator[](std::size_t id) const { return *byId_[id]; }

  private:
    std::mutex mutex_;
    std::map<Bytes, std::size_t> ids_;
    std::vector<const Bytes*> byId_;
};

// A file the parts of the dungeon need: the bitmap made for it, or kCopied for
// the source part copied as it is.
struct PartOut {
    std::string name;
    std::string source;
    std::size_t bitmap = kCopied;
};

// A distinct view, composed and laid out.
struct PlannedView {
    std::vector<AreaCell> cells;   // file names as planArea gave them
    std::vector<PartOut> files;    // under those names
    std::size_t preview = kCopied; // the preview's bytes
    std::string unreadable;        // a part that could not be read
    bool previewFailed = false;
};

PlannedView planView(const ViewRoles& view, const DungeonPack& pack,
                     const PartImageLoader& loadImage, const DungeonRequest& request,
                     Bitmaps& bitmaps, Bitmaps& previews) {
    PlannedView planned;
    Scene scene;
    if (!sceneOfView(view, pack, loadImage, scene, planned.unreadable)) {
        if (planned.unreadable.empty())
            planned.unreadable = pack.file;
        return planned;
    }
    if (request.flatten) {
        Bytes bytes;
        encode256Or24(scene.canvas, bytes); // a view's canvas is never empty nor too large
        planned.cells = {backgroundCell(kDarkBackgroundName),
                         {kViewLeft, kViewTop, 40000 + kCanvasWidth, kCanvasHeight, "", 0}};
        planned.files = {{"", "", bitmaps.add(std::move(bytes))}};
    } else {
        AreaPlan plan = planArea(scene, kDarkBackgroundName);
        planned.cells = std::move(plan.cells);
        for (PartFile& file : plan.files)
            planned.files.push_back(
                {file.fileName, file.source,
                 file.bitmap.empty() ? kCopied : bitmaps.add(std::move(file.bitmap))});
    }
    if (!request.viewsFolder.empty()) {
        Bytes preview;
        if (request.encodePreview && request.encodePreview(scene.canvas, preview))
            planned.preview = previews.add(std::move(preview));
        else
            planned.previewFailed = true;
    }
    return planned;
}

// Gives every file of every view a name of its own across the whole dungeon,
// in view order so that the names do not depend on the threads: the same part
// made the same way keeps one name, different pixels never share one.
std::vector<PartOut> nameFiles(std::vector<PlannedView>& views, const std::string& mapName) {
    FileNamer namer;
    std::vector<PartOut> files;
    for (std::size_t k = 0; k < views.size(); ++k) {
        PlannedView& view = views[k];
        std::map<std::string, std::string> renamed;
        for (const PartOut& file : view.files) {
            const std::string identity =
                file.source + '\n' + (file.bitmap == kCopied ? "" : std::to_string(file.bitmap));
            std::string stem =
                file.name.empty() ? mapName + "_view" + std::to_string(k + 1) : file.name;
            if (stem.size() >= 4 && foldedName(stem.substr(stem.size() - 4)) == ".bmp")
                stem.resize(stem.size() - 4);
            bool added = false;
            std::string name = namer.name(stem, identity, added);
            if (added)
                files.push_back({name, file.source, file.bitmap});
            renamed[file.name] = std::move(name);
        }
        for (AreaCell& cell : view.cells)
            if (const auto it = renamed.find(cell.fileName); it != renamed.end())
                cell.fileName = it->second;
    }
    return files;
}

// The index a run before wrote: the areas it lists and its first area.
bool readIndex(const std::string& path, std::set<int>& areas, std::optional<int>& first,
               Status& io) {
    Bytes bytes;
    io = readWholeFile(path, bytes, kMaxDungeonFileBytes);
    if (!io.ok())
        return false;
    nlohmann::json index;
    JsonFault ignored;
    if (!parseJsonText({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, index, ignored))
        return false;
    // Compared as JSON: a format that is no string is a foreign file, not a crash.
    if (const nlohmann::json* format = member(index, "format");
        format == nullptr || *format != "tarn-dungeon")
        return false;
    const nlohmann::json* list = member(index, "areas");
    if (list == nullptr || !list->is_array())
        return false;
    for (const nlohmann::json& area : *list)
        if (const nlohmann::json* n = member(area, "area"); n != nullptr && n->is_number_integer())
            areas.insert(n->get<int>());
    if (const nlohmann::json* n = member(index, "firstArea");
        n != nullptr && n->is_number_integer())
        first = n->get<int>();
    return true;
}

Bytes indexBytes(const DungeonRequest& request, int first, const std::vector<Square>& squares) {
    nlohmann::ordered_json index;
    index["format"] = "tarn-dungeon";
    index["version"] = 1;
    index["map"] = request.mapFile;
    index["pack"] = request.packFile;
    index["firstArea"] = first;
    nlohmann::ordered_json areas = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < squares.size(); ++i)
        for (int d = 0; d < 4; ++d)
            areas.push_back({{"area", dungeonAreaNumber(first, static_cast<int>(i), Facing(d))},
                             {"x", squares[i].x},
                             {"y", squares[i].y},
                             {"facing", facingLetter(Facing(d))}});
    index["areas"] = std::move(areas);
    const std::string text =
        index.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
    return Bytes(text.begin(), text.end());
}

DungeonResult exportSteps(const DungeonMap& map, const DungeonPack& pack,
                          const PartImageLoader& loadImage, const DungeonRequest& request);

} // namespace

std::string dungeonIndexName(const std::string& mapName) {
    return candidateName(mapName, ".dungeon.json", 1);
}

int firstAreaAbove(const std::vector<AreaFile>& areas) {
    int first = kFirstAreaNumber;
    for (const AreaFile& area : areas)
        first = std::max(first, area.number + 1);
    return first;
}

std::string dungeonAreaName(const std::string& mapName, Square square, Facing facing) {
    return mapName + " (" + std::to_string(square.x) + "," + std::to_string(square.y) + ") " +
           kFacingNames[static_cast<int>(facing)];
}

DungeonResult exportDungeon(const DungeonMap& map, const DungeonPack& pack,
                            const PartImageLoader& loadImage, const DungeonRequest& request) {
    try {
        return exportSteps(map, pack, loadImage, request);
    } catch (const std::bad_alloc&) {
        // The rollback of the steps has run by now.
        return failure(StatusCode::DungeonWriteFailed, request.folder, systemError(ENOMEM));
    }
}

namespace {

DungeonResult exportSteps(const DungeonMap& map, const DungeonPack& pack,
                          const PartImageLoader& loadImage, const DungeonRequest& request) {
    const std::string& folder = request.folder;
    const std::vector<Square> squares = map.floorSquares();
    const int areaCount = 4 * static_cast<int>(squares.size());
    std::vector<int> squareIndex(static_cast<std::size_t>(map.width() * map.height()), -1);
    for (std::size_t i = 0; i < squares.size(); ++i)
        squareIndex[static_cast<std::size_t>(squares[i].y * map.width() + squares[i].x)] =
            static_cast<int>(i);

    // Equal views are composed and laid out once.
    std::vector<ViewRoles> distinct;
    std::vector<std::size_t> viewOf(static_cast<std::size_t>(areaCount));
    {
        std::map<ViewRoles, std::size_t> seen;
        for (std::size_t a = 0; a < viewOf.size(); ++a) {
            const ViewRoles view = viewAt(map, squares[a / 4], Facing(a % 4));
            const auto [it, added] = seen.emplace(view, distinct.size());
            if (added)
                distinct.push_back(view);
            viewOf[a] = it->second;
        }
    }

    // The folder, the areas in it, and the block of numbers.
    const bool folderThere = exists(folder);
    if (folderThere)
        if (ExportResult r = checkFolder(folder); !r.ok())
            return failure(StatusCode::FolderUnusable, folder, r);
    const std::vector<AreaFile> areaFiles =
        folderThere ? listAreaFiles(folder) : std::vector<AreaFile>{};
    std::set<int> replaceable;
    std::optional<int> indexFirst;
    const std::string indexPath = joinPath(folder, dungeonIndexName(map.name));
    if (request.replace) {
        Status io;
        if (!readIndex(indexPath, replaceable, indexFirst, io))
            return failure(StatusCode::IndexUnreadable, indexPath, io);
    }
    int first = 1;
    if (request.firstArea)
        first = *request.firstArea;
    else if (indexFirst)
        first = *indexFirst;
    else
        first = firstAreaAbove(areaFiles);
    const long long last = static_cast<long long>(first) + areaCount - 1;
    if (first < kFirstAreaNumber || last > kLastAreaNumber) {
        DungeonResult r = failure(StatusCode::AreasOutOfRange, std::to_string(first));
        r.number = first;
        r.lastNumber = static_cast<int>(std::min<long long>(last, std::numeric_limits<int>::max()));
        return r;
    }
    std::vector<std::string> areaNames(static_cast<std::size_t>(areaCount));
    for (int a = 0; a < areaCount; ++a) {
        const int n = first + a;
        std::string& file = areaNames[static_cast<std::size_t>(a)];
        for (const AreaFile& f : areaFiles) {
            if (f.number != n)
                continue;
            if (!replaceable.contains(n)) {
                DungeonResult r = failure(StatusCode::AreaTaken, f.name);
                r.number = n;
                return r;
            }
            file = f.name; // replaced in place, keeping its name
        }
        if (file.empty()) {
            file = areaFileName(n);
            if (exists(joinPath(folder, file))) {
                DungeonResult r = failure(StatusCode::AreaTaken, file);
                r.number = n;
                return r;
            }
        }
    }
    std::string ignored;
    if (!toShiftJis(map.name, ignored) ||
        (request.flatten && checkName(map.name, ignored) != NameFault::None)) {
        DungeonResult r = failure(StatusCode::DungeonBadName, map.name);
        checkName(map.name, r.character);
        return r;
    }

    DungeonResult done;
    done.squares = static_cast<int>(squares.size());
    done.views = areaCount;
    done.distinctViews = static_cast<int>(distinct.size());
    done.firstArea = first;
    done.lastArea = static_cast<int>(last);
    const std::size_t startIndex = static_cast<std::size_t>(
        squareIndex[static_cast<std::size_t>(map.start.y * map.width() + map.start.x)]);
    done.startArea = dungeonAreaNumber(first, static_cast<int>(startIndex), map.startFacing);
    if (request.dryRun)
        return done;

    // Composing, on every thread given.
    const int total = static_cast<int>(distinct.size()) + areaCount;
    std::atomic<int> finished{0};
    std::mutex reporting;
    std::atomic<bool> stopped{false};
    // False once the caller has asked to stop.
    const auto stepDone = [&] {
        const int count = ++finished;
        if (request.progress && !stopped) {
            const std::lock_guard<std::mutex> lock(reporting);
            if (!stopped && !request.progress(count, total))
                stopped = true;
        }
        return !stopped;
    };
    Bitmaps bitmaps;
    Bitmaps previews;
    std::vector<PlannedView> planned(distinct.size());
    inParallel(distinct.size(), request.threads, [&](std::size_t k) {
        if (stopped)
            return;
        planned[k] = planView(distinct[k], pack, loadImage, request, bitmaps, previews);
        stepDone();
    });
    if (stopped)
        return failure(StatusCode::Stopped, folder);
    for (const PlannedView& view : planned) {
        if (!view.unreadable.empty())
            return failure(StatusCode::PartUnreadable, view.unreadable);
        if (view.previewFailed)
            return failure(StatusCode::DungeonWriteFailed, request.viewsFolder, systemError(EIO));
    }
    const std::vector<PartOut> files = nameFiles(planned, map.name);
    for (const PartOut& file : files) {
        std::string character;
        if (checkName(file.name, character) != NameFault::None) {
            DungeonResult r = failure(StatusCode::DungeonBadName, file.name);
            r.character = character;
            return r;
        }
        if (file.bitmap == kCopied && !isReadableFile(file.source))
            return failure(StatusCode::PartUnreadable, file.source);
    }

    // Every destination is checked before the first byte is written.
    Rollback rollback;
    if (Status io = makeFolders(folder, rollback); !io.ok())
        return failure(StatusCode::FolderUnusable, folder, io);
    if (!request.viewsFolder.empty())
        if (Status io = makeFolders(request.viewsFolder, rollback); !io.ok())
            return failure(StatusCode::FolderUnusable, request.viewsFolder, io);
    if (!folderThere)
        if (ExportResult r = checkFolder(folder); !r.ok())
            return failure(StatusCode::FolderUnusable, folder, r);
    const bool writeSummary = areaFiles.empty() && !hasSummary(folder);
    const auto previewPath = [&](std::size_t a) {
        const Square s = squares[a / 4];
        return joinPath(request.viewsFolder, "x" + std::to_string(s.x) + "-y" +
                                                 std::to_string(s.y) + "-" +
                                                 facingLetter(Facing(a % 4)) + ".png");
    };
    std::vector<std::string> destinations;
    if (writeSummary)
        destinations.push_back(joinPath(folder, kSummaryFileName));
    for (const PartOut& file : files)
        destinations.push_back(joinPath(folder, file.name));
    destinations.push_back(joinPath(folder, kDarkBackgroundName));
    for (const std::string& name : areaNames)
        destinations.push_back(joinPath(folder, name));
    destinations.push_back(indexPath);
    if (!request.viewsFolder.empty())
        for (std::size_t a = 0; a < viewOf.size(); ++a)
            destinations.push_back(previewPath(a));
    for (const std::string& destination : destinations)
        if (Status io = checkTarget(destination); !io.ok())
            return failure(StatusCode::DungeonWriteFailed, destination, io);

    // Writing: the files are flushed together at the end.
    const auto write = [&](const std::string& path, std::span<const std::uint8_t> bytes) {
        if (Status io = rollback.before(path); !io.ok())
            return io;
        return writeFileAtomically(path, bytes, Durability::Scratch);
    };
    if (writeSummary) {
        const std::string path = joinPath(folder, kSummaryFileName);
        if (Status io = write(path, summaryBytes(done.startArea)); !io.ok())
            return failure(StatusCode::DungeonWriteFailed, path, io);
        done.summaryWritten = true;
    }
    for (const PartOut& file : files) {
        const std::string path = joinPath(folder, file.name);
        if (file.bitmap == kCopied && sameFile(file.source, path))
            continue; // a part already in the scenario folder is its own copy
        Status io;
        if (file.bitmap != kCopied)
            io = write(path, bitmaps[file.bitmap]);
        else if (io = rollback.before(path); io.ok())
            io = copyFileAtomically(file.source, path);
        if (!io.ok())
            return failure(StatusCode::DungeonWriteFailed, path, io);
    }
    if (Status io = write(joinPath(folder, kDarkBackgroundName), darkBmpBytes()); !io.ok())
        return failure(StatusCode::DungeonWriteFailed, joinPath(folder, kDarkBackgroundName), io);

    std::array<Bytes, kMoveCount> pictures;
    for (int m = 0; m < kMoveCount; ++m)
        pictures[static_cast<std::size_t>(m)] = encodeBmp24(cardPicture(Move(m)));
    const auto areaOf = [&](Square s, Facing d) {
        return dungeonAreaNumber(first,
                                 squareIndex[static_cast<std::size_t>(s.y * map.width() + s.x)], d);
    };
    Bytes area;
    for (int a = 0; a < areaCount; ++a) {
        const Square s = squares[static_cast<std::size_t>(a / 4)];
        const Facing d = Facing(a % 4);
        std::vector<MenuCard> cards;
        if (map.edge(s, d) != Edge::Wall)
            cards.push_back({kForwardCard, pictures[0], areaOf(DungeonMap::step(s, d), d)});
        cards.push_back({kTurnLeftCard, pictures[1], areaOf(s, turnLeft(d))});
        cards.push_back({kTurnRightCard, pictures[2], areaOf(s, turnRight(d))});
        cards.push_back({kTurnAroundCard, pictures[3], areaOf(s, turnAround(d))});
        const std::string path = joinPath(folder, areaNames[static_cast<std::size_t>(a)]);
        const ExportResult encoded =
            encodeArea(first + a, dungeonAreaName(map.name, s, d), cards,
                       planned[viewOf[static_cast<std::size_t>(a)]].cells, area);
        if (!encoded.ok()) {
            DungeonResult r = failure(StatusCode::DungeonBadName, encoded.file);
            checkName(encoded.file, r.character);
            return r;
        }
        if (Status io = write(path, area); !io.ok())
            return failure(StatusCode::DungeonWriteFailed, path, io);
        if (!request.viewsFolder.empty()) {
            const std::size_t preview = planned[viewOf[static_cast<std::size_t>(a)]].preview;
            if (Status io = write(previewPath(static_cast<std::size_t>(a)), previews[preview]);
                !io.ok())
                return failure(StatusCode::DungeonWriteFailed,
                               previewPath(static_cast<std::size_t>(a)), io);
        }
        if (!stepDone())
            return failure(StatusCode::Stopped, folder);
    }
    if (Status io = write(indexPath, indexBytes(request, first, squares)); !io.ok())
        return failure(StatusCode::DungeonWriteFailed, indexPath, io);

    // One flush for every file, as a render batch does.
    for (const std::string& written : {folder, request.viewsFolder})
        if (!written.empty())
            flushFileSystemOf(written);
    rollback.commit();
    return done;
}

} // namespace

} // namespace tarn
