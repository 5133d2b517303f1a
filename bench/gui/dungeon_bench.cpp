// A 20 x 20 maze of the sample dungeon parts (1,600 views) exported the way
// `tarn dungeon` does it (parts read once, every core, one flush at the end),
// beside the single-view export run once per view as separate runs would: the
// parts read again and the view composed for each, each file flushed on its own.
#include "../interleaved.h"
#include "app/cli/batch_render.h"
#include "dungeon/dungeon_export.h"
#include "export/export_procedure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "dungeon/dungeon_view.h"

namespace {

constexpr int kSide = 20;

// A maze carved from a full grid of walls by a depth-first walk, with a door
// in every seventh passage; the same maze every run.
tarn::DungeonMap maze() {
    tarn::DungeonMap map(kSide, kSide);
    map.name = "maze";
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            for (const tarn::Facing d : {tarn::Facing::East, tarn::Facing::South})
                map.setEdge({x, y}, d, tarn::Edge::Wall);
    std::mt19937 random(7);
    std::vector<bool> seen(kSide * kSide, false);
    std::vector<tarn::Square> path{{0, 0}};
    seen[0] = true;
    int passages = 0;
    while (!path.empty()) {
        const tarn::Square s = path.back();
        std::vector<tarn::Facing> ways;
        for (int d = 0; d < 4; ++d) {
            const tarn::Square next = tarn::DungeonMap::step(s, tarn::Facing(d));
            if (map.inside(next) && !seen[static_cast<std::size_t>(next.y * kSide + next.x)])
                ways.push_back(tarn::Facing(d));
        }
        if (ways.empty()) {
            path.pop_back();
            continue;
        }
        const tarn::Facing d = ways[random() % ways.size()];
        map.setEdge(s, d, ++passages % 7 == 0 ? tarn::Edge::Door : tarn::Edge::Open);
        const tarn::Square next = tarn::DungeonMap::step(s, d);
        seen[static_cast<std::size_t>(next.y * kSide + next.x)] = true;
        path.push_back(next);
    }
    return map;
}

long residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return 0;
}

struct Maze {
    QTemporaryDir folder;
    tarn::DungeonMap map = maze();
    tarn::DungeonPack pack;
    bool packRead = false;
    int run = 0;

    Maze() { packRead = tarn::readDungeonPack(TARN_SAMPLE_FOLDER "/crypt.pack.json", pack).ok(); }
    std::string next(const char* kind) {
        const QString path = folder.filePath(QStringLiteral("%1%2").arg(kind).arg(++run));
        QDir().mkpath(path);
        return QFile::encodeName(path).toStdString();
    }
    // Each run writes some hundred megabytes: gone before the next.
    void clear() {
        for (const QString& entry :
             QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(folder.filePath(entry)).removeRecursively();
    }
};

void BM_Dungeon20x20(benchmark::State& state) {
    static Maze m;
    const bool flatten = state.range(0) != 0;
    if (!m.packRead) {
        state.SkipWithError("the sample pack cannot be read");
        return;
    }
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool ok = true;
    const auto dungeon = [&] {
        tarn::PartCache parts;
        tarn::DungeonRequest request;
        request.folder = m.next("dungeon");
        request.flatten = flatten;
        request.threads = cores;
        ok = ok && tarn::exportDungeon(
                       m.map, m.pack,
                       [&parts](const std::string& path, tarn::PartKind kind) {
                           return parts.image(path, kind);
                       },
                       request)
                       .ok();
    };
    // Memory, the first time only: the peak of one whole export.
    static std::map<bool, double> peak;
    if (!peak.contains(flatten)) {
        std::ofstream("/proc/self/clear_refs") << "5"; // peak := current
        const double before = static_cast<double>(residentKb("VmRSS:"));
        dungeon();
        peak[flatten] = (static_cast<double>(residentKb("VmHWM:")) - before) / 1024;
        m.clear();
    }
    tarn::bench::interleave(
        state, dungeon,
        [&] {
            const std::string folder = m.next("single");
            int area = 0;
            for (const tarn::Square s : m.map.floorSquares())
                for (int d = 0; d < 4; ++d) {
                    tarn::PartCache parts; // a run of its own reads its parts again
                    tarn::Scene scene;
                    std::string unreadable;
                    ok = ok && tarn::sceneOfView(
                                   tarn::viewAt(m.map, s, tarn::Facing(d)), m.pack,
                                   [&parts](const std::string& path, tarn::PartKind kind) {
                                       return parts.image(path, kind);
                                   },
                                   scene, unreadable);
                    tarn::ExportRequest request;
                    request.folder = folder;
                    request.numberText = std::to_string(++area);
                    ok = ok && tarn::exportTemplate(scene, request).ok();
                }
        },
        tarn::bench::RatioIs::SpeedUp, [] { m.clear(); });
    if (!ok)
        state.SkipWithError("an export failed");
    state.counters["peak_MB"] = peak[flatten];
    state.counters["views"] = 4 * kSide * kSide;
}
BENCHMARK(BM_Dungeon20x20)
    ->ArgName("flatten")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(1) // the reference alone takes over a minute
    ->Unit(benchmark::kMillisecond);

} // namespace
