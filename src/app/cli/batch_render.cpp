#include "app/cli/batch_render.h"

#include "app/common/picture_io.h"
#include "base/paths.h"
#include "output/bmp_writer.h"
#include "output/effects.h"
#include "output/jpeg_writer.h"
#include "scene/bmp.h"

#include <QBuffer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <thread>

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

RenderOutcome openWhole(SceneDocument& document, const std::string& scene,
                        const PartImageLoader& loadImage) {
    RenderOutcome outcome;
    const SceneOpenResult opened = document.open(scene, loadImage);
    if (!opened.ok()) {
        outcome.kind = RenderOutcome::Kind::SceneUnusable;
        outcome.scene = opened.status;
    } else if (!opened.missing.empty()) {
        outcome.kind = RenderOutcome::Kind::PartsMissing;
        outcome.missing = opened.missing;
    }
    return outcome;
}

RenderOutcome renderCanvas(const std::string& scene, PartCache& parts,
                           const std::optional<Tone>& tone, Picture& canvas) {
    SceneDocument document{std::string()};
    const RenderOutcome outcome =
        openWhole(document, scene, [&parts](const std::string& path, PartKind kind) {
            return parts.image(path, kind);
        });
    if (!outcome.ok())
        return outcome;
    // Toned here rather than as an edit, which would compose the canvas again.
    canvas = document.canvas();
    if (tone) {
        PixelArray work;
        if (*tone == Tone::Gray)
            grayscale(canvas, work);
        else
            sepia(canvas, work);
    }
    return outcome;
}

bool encodePng(const Picture& canvas, Bytes& out) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !toQImage(canvas).save(&buffer, "PNG"))
        return false;
    out.assign(png.begin(), png.end());
    return true;
}

namespace {
// 0, or what stopped the write.
int writeToStandardOutput(const Bytes& bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}
} // namespace

RenderOutcome writeCanvas(const Picture& canvas, const std::string& target,
                          const RenderSettings& settings, bool durable) {
    RenderOutcome outcome;
    const Durability durability = durable ? Durability::Durable : Durability::Scratch;
    Bytes bytes;
    int error = 0;
    switch (settings.format) {
    case OutputFormat::Bmp: {
        const int result = encode256(canvas, true, bytes);
        if (result == kSave256TooManyColours)
            bytes = encodeBmp24(canvas);
        else if (result != kSave256Written)
            error = result == kSave256Empty ? EINVAL : result;
        break;
    }
    case OutputFormat::Png:
        if (!encodePng(canvas, bytes))
            error = EIO;
        break;
    case OutputFormat::Jpeg:
        if (!encodeJpeg(canvas, static_cast<std::uint8_t>(settings.quality), settings.progressive,
                        bytes))
            error = EIO;
        break;
    }
    if (error == 0 && target == "-")
        error = writeToStandardOutput(bytes);
    else if (error == 0)
        error = writeFileAtomically(target, bytes, durability).error;
    if (error != 0) {
        outcome.kind = RenderOutcome::Kind::WriteFailed;
        outcome.error = error;
    }
    return outcome;
}

std::vector<RenderOutcome> renderBatch(const std::vector<RenderJob>& jobs,
                                       const RenderSettings& settings, int threads,
                                       const std::function<void(int finished)>& done) {
    std::vector<RenderOutcome> outcomes(jobs.size());
    std::set<std::string> folders;
    for (const RenderJob& job : jobs)
        if (job.output != "-")
            folders.insert(folderOf(job.output));
    // A batch writes its files unflushed (Scratch), which skips the clean-up
    // of each durable write.
    for (const std::string& folder : folders)
        removeStaleTemporaries(folder);
    PartCache parts;
    std::atomic<std::size_t> next{0};
    int finished = 0;
    std::mutex reporting;
    const auto work = [&] {
        Picture canvas;
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            RenderOutcome& outcome = outcomes[i];
            outcome = renderCanvas(jobs[i].scene, parts, settings.tone, canvas);
            if (outcome.ok())
                outcome = writeCanvas(canvas, jobs[i].output, settings, false);
            // Counted under the lock, so the count never goes back.
            const std::lock_guard<std::mutex> lock(reporting);
            ++finished;
            if (done)
                done(finished);
        }
    };
    const int count = std::max(1, std::min<int>(threads, static_cast<int>(jobs.size())));
    std::vector<std::thread> pool;
    for (int t = 1; t < count; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();

    // One flush per file system at the end instead of one per file: the files
    // are each whole already (written beside and renamed), and a batch of
    // hundreds would otherwise wait on the disk hundreds of times.
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::syncfs(fd);
            ::close(fd);
        }
    }
    return outcomes;
}

} // namespace tarn
