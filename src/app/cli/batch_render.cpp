#include "app/cli/batch_render.h"

#include "app/common/picture_io.h"

#include "base/in_parallel.h"
#include "base/paths.h"
#include "output/effects.h"

#include <set>

namespace tarn {

PartImagePtr PartCache::image(const std::string& path, PartKind kind) {
    std::shared_ptr<Entry> entry;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::shared_ptr<Entry>& slot = entries_[{path, kind}];
        if (!slot)
            slot = std::make_shared<Entry>();
        entry = slot;
    }
    // Made by the first thread that asks; the others wait for it.
    std::call_once(entry->once, [&] { entry->image = makePartImage(loadPartFile, path, kind); });
    return entry->image;
}

SceneOpenResult openWhole(SceneDocument& document, const std::string& scene,
                          const PartImageLoader& loadImage) {
    SceneOpenResult opened = document.open(scene, loadImage);
    if (opened.ok() && !opened.missing.empty())
        opened.status = {StatusCode::PartsMissing, scene, 0};
    return opened;
}

SceneOpenResult renderCanvas(const std::string& scene, PartCache& parts,
                             const std::optional<Tone>& tone, Picture& canvas) {
    SceneDocument document{std::string()};
    const SceneOpenResult outcome =
        openWhole(document, scene, [&parts](const std::string& path, PartKind kind) {
            return parts.image(path, kind);
        });
    if (!outcome.ok())
        return outcome;
    // Toned here rather than as an edit, which would compose the canvas again.
    canvas = document.canvas();
    if (tone) {
        PixelArray work;
        tonePicture(*tone, canvas, work);
    }
    return outcome;
}

std::vector<SceneOpenResult> renderBatch(const std::vector<RenderJob>& jobs,
                                         const RenderSettings& settings, int threads,
                                         const std::function<void(int finished)>& done) {
    std::vector<SceneOpenResult> outcomes(jobs.size());
    std::set<std::string> folders;
    for (const RenderJob& job : jobs)
        if (job.output != "-")
            folders.insert(folderOf(job.output));
    // A batch writes its files unflushed (Scratch), which skips the clean-up
    // of each durable write.
    for (const std::string& folder : folders)
        removeStaleTemporaries(folder);
    PartCache parts;
    int finished = 0;
    std::mutex reporting;
    inParallel(jobs.size(), threads, [&](std::size_t i) {
        Picture canvas;
        SceneOpenResult& outcome = outcomes[i];
        outcome = renderCanvas(jobs[i].scene, parts, settings.tone, canvas);
        // Unflushed: the batch flushes each folder once at the end.
        if (outcome.ok())
            outcome.status = writePicture(canvas, jobs[i].output, settings, Durability::Scratch);
        // Counted under the lock, so the count never goes back.
        const std::lock_guard<std::mutex> lock(reporting);
        ++finished;
        if (done)
            done(finished);
    });

    // One flush per file system at the end instead of one per file: the files
    // are each whole already (written beside and renamed), and a batch of
    // hundreds would otherwise wait on the disk hundreds of times.
    for (const std::string& folder : folders)
        flushFileSystemOf(folder);
    return outcomes;
}

} // namespace tarn
