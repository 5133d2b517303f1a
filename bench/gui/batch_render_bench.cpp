// A thousand scene files over the sample parts rendered to BMP the way
// `tarn render --out-dir` does (every core, parts shared, one flush at the
// end), beside the same work done one scene at a time as separate runs would
// do it: parts read again for each scene and each file flushed on its own.
#include "../interleaved.h"
#include "app/cli/batch_render.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>

namespace {

constexpr int kScenes = 1000;

struct Batch {
    QTemporaryDir folder;
    std::vector<tarn::RenderJob> jobs;
    std::vector<tarn::RenderJob> oneByOne;

    Batch() {
        const QString parts = QStringLiteral(TARN_SAMPLE_FOLDER);
        QDir(folder.path()).mkpath(QStringLiteral("scenes"));
        for (int i = 0; i < kScenes; ++i) {
            // Every slot filled, objects moved and mirrored differently in each scene.
            const QString text =
                QStringLiteral(
                    R"({"format":"tarn-scene","version":1,"slots":{)"
                    R"("ground":{"name":"stone_ug","path":"%1/stone_ug.bmp"},)"
                    R"("backLeft":{"name":"brick_bl","path":"%1/brick_bl.bmp"},)"
                    R"("backRight":{"name":"stone_br","path":"%1/stone_br.bmp"},)"
                    R"("frontLeft":{"name":"brick_fl","path":"%1/brick_fl.bmp"},)"
                    R"("frontRight":{"name":"stone_fr","path":"%1/stone_fr.bmp"}},"objects":[)"
                    R"({"name":"ob_door","path":"%1/ob_door.bmp","x":%2,"y":60,"layer":"F",)"
                    R"("mirrorLeftRight":%3,"mirrorUpDown":false},)"
                    R"({"name":"ob_chest","path":"%1/ob_chest.BMP","x":150,"y":%4,"layer":"T",)"
                    R"("mirrorLeftRight":false,"mirrorUpDown":false}]})")
                    .arg(parts)
                    .arg(i % 400)
                    .arg(i % 2 ? QStringLiteral("true") : QStringLiteral("false"))
                    .arg(150 + i % 100);
            const QString scene = folder.filePath(QStringLiteral("scenes/v%1.tarn").arg(i));
            QFile file(scene);
            if (file.open(QIODevice::WriteOnly))
                file.write(text.toUtf8());
            const auto bytes = [](const QString& path) { return path.toStdString(); };
            jobs.push_back(
                {bytes(scene), bytes(folder.filePath(QStringLiteral("batch/v%1.bmp").arg(i)))});
            oneByOne.push_back(
                {bytes(scene), bytes(folder.filePath(QStringLiteral("single/v%1.bmp").arg(i)))});
        }
        QDir(folder.path()).mkpath(QStringLiteral("batch"));
        QDir(folder.path()).mkpath(QStringLiteral("single"));
    }
};

void BM_BatchRender1000(benchmark::State& state) {
    static Batch batch;
    const tarn::RenderSettings settings;
    bool allWritten = true;
    tarn::bench::interleave(
        state,
        [&] {
            const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
            for (const tarn::SceneOpenResult& o : tarn::renderBatch(batch.jobs, settings, cores))
                allWritten = allWritten && o.ok();
        },
        [&] {
            for (const tarn::RenderJob& job : batch.oneByOne) {
                tarn::PartCache parts; // a run of its own reads its parts again
                tarn::Picture canvas;
                tarn::SceneOpenResult o = tarn::renderCanvas(job.scene, parts, {}, canvas);
                if (o.ok())
                    o.status =
                        tarn::writePicture(canvas, job.output, settings, tarn::Durability::Durable);
                allWritten = allWritten && o.ok();
            }
        });
    if (!allWritten)
        state.SkipWithError("a scene was not written");
    state.counters["scenes"] = kScenes;
}
BENCHMARK(BM_BatchRender1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
