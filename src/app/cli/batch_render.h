#pragma once

#include "base/file_write.h"
#include "document/scene_document.h"

#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarn {

enum class OutputFormat { Bmp, Png, Jpeg };

struct RenderSettings {
    OutputFormat format = OutputFormat::Bmp;
    int quality = 65; // JPEG, 1 to 100
    bool progressive = false;
    std::optional<Tone> tone;
};

// Paths as the bytes the system gives, so names that are no UTF-8 work; an
// output "-" is standard output.
struct RenderJob {
    std::string scene;
    std::string output;
};

struct RenderOutcome {
    enum class Kind { Written, SceneUnusable, PartsMissing, WriteFailed } kind = Kind::Written;
    SceneFileStatus scene;            // SceneUnusable
    std::vector<std::string> missing; // PartsMissing
    int error = 0;                    // WriteFailed: the platform's error number
    bool ok() const { return kind == Kind::Written; }
};

// Part images read and masked once and shared by every scene of a batch, from
// any thread.
class PartCache {
  public:
    PartImagePtr image(const std::string& path, PartKind kind);

  private:
    struct Entry {
        std::once_flag once;
        PartImagePtr image;
    };
    std::mutex mutex_;
    std::map<std::pair<std::string, PartKind>, std::shared_ptr<Entry>> entries_;
};

// Opens a scene file into `document` with every one of its parts: a file that
// cannot be used, or a part that cannot be read, is the outcome.
RenderOutcome openWhole(SceneDocument& document, const std::string& scene,
                        const PartImageLoader& loadImage);

// The canvas of one scene file, composed as the window composes it, with the
// tone applied. A scene with a missing part is refused: a view without it is
// not the view the author made.
RenderOutcome renderCanvas(const std::string& scene, PartCache& parts,
                           const std::optional<Tone>& tone, Picture& canvas);

// The canvas as PNG file bytes; false when it cannot be encoded.
bool encodePng(const Picture& canvas, Bytes& out);

// Writes a canvas with the save-as writers: BMP in 256 colours when they fit,
// full colour otherwise; PNG; JPEG at the given quality. `durable` false leaves
// the flush to the caller (a batch flushes its folder once at the end). A path
// "-" writes to standard output.
RenderOutcome writeCanvas(const Picture& canvas, const std::string& path,
                          const RenderSettings& settings, bool durable);

// Renders every job on `threads` threads, parts shared between them, after
// removing the temporary files dead writers left in the output folders. `done`
// is called (from any thread, one call at a time, counting up) after each job.
std::vector<RenderOutcome> renderBatch(const std::vector<RenderJob>& jobs,
                                       const RenderSettings& settings, int threads,
                                       const std::function<void(int finished)>& done = {});

} // namespace tarn
