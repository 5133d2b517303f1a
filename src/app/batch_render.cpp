#include "app/batch_render.h"

#include "app/picture_io.h"
#include "output/bmp_writer.h"
#include "output/effects.h"
#include "output/jpeg_writer.h"
#include "scene/bmp.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

RenderOutcome openWhole(SceneDocument& document, const QString& scene,
                        const PartImageLoader& loadImage) {
    RenderOutcome outcome;
    const SceneOpenResult opened = document.open(QFile::encodeName(scene).toStdString(), loadImage);
    if (!opened.ok()) {
        outcome.kind = RenderOutcome::Kind::SceneUnusable;
        outcome.scene = opened.status;
    } else if (!opened.missing.empty()) {
        outcome.kind = RenderOutcome::Kind::PartsMissing;
        outcome.missing = opened.missing;
    }
    return outcome;
}

RenderOutcome renderCanvas(const QString& scene, PartCache& parts, const std::optional<Tone>& tone,
                           Picture& canvas) {
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

RenderOutcome writeCanvas(const Picture& canvas, const QString& path,
                          const RenderSettings& settings, bool durable) {
    RenderOutcome outcome;
    const std::string target = QFile::encodeName(path).toStdString();
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
        // The encoder writes its file whole itself.
        errno = 0;
        if (DCSavetoJPEG(canvas, canvas.width(), canvas.height(), target,
                         static_cast<std::uint8_t>(settings.quality), settings.progressive,
                         durability) != 0)
            error = errno != 0 ? errno : EIO;
        break;
    }
    if (error == 0 && settings.format != OutputFormat::Jpeg)
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
    PartCache parts;
    std::atomic<std::size_t> next{0};
    std::atomic<int> finished{0};
    std::mutex reporting;
    const auto work = [&] {
        Picture canvas;
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            RenderOutcome& outcome = outcomes[i];
            outcome = renderCanvas(jobs[i].scene, parts, settings.tone, canvas);
            if (outcome.ok())
                outcome = writeCanvas(canvas, jobs[i].output, settings, false);
            const int count = ++finished;
            if (done) {
                const std::lock_guard<std::mutex> lock(reporting);
                done(count);
            }
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
    std::set<QString> folders;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (outcomes[i].ok())
            folders.insert(QFileInfo(jobs[i].output).absolutePath());
    for (const QString& folder : folders) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::syncfs(fd);
            ::close(fd);
        }
    }
    return outcomes;
}

} // namespace tarn
