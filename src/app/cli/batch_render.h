#pragma once

#include "app/common/picture_writer.h"
#include "base/file_write.h"
#include "document/scene_document.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarn {

struct RenderSettings : PictureSettings {
    std::optional<Tone> tone;
};

// Paths as the bytes the system gives, so names that are no UTF-8 work; an
// output "-" is standard output.
struct RenderJob {
    std::string scene;
    std::string output;
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
// cannot be used, or a part that cannot be read (PartsMissing), fails.
SceneOpenResult openWhole(SceneDocument& document, const std::string& scene,
                          const PartImageLoader& loadImage);

// The canvas of one scene file, composed as the window composes it, with the
// tone applied. A scene with a missing part is refused: a view without it is
// not the view the author made.
SceneOpenResult renderCanvas(const std::string& scene, PartCache& parts,
                             const std::optional<Tone>& tone, Picture& canvas);

// Renders every job on `threads` threads, parts shared between them, after
// removing the temporary files dead writers left in the output folders. `done`
// is called (from any thread, one call at a time, counting up) after each job.
// The outcome of each job: its scene's, or its picture's write (System).
std::vector<SceneOpenResult> renderBatch(const std::vector<RenderJob>& jobs,
                                         const RenderSettings& settings, int threads,
                                         const std::function<void(int finished)>& done = {});

} // namespace tarn
