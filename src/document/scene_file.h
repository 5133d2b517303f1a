#pragma once

#include "base/status.h"
#include "scene/scene.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Scene files: JSON a person can read and diff, kept with the extension ".tarn".
inline constexpr int kSceneFormatVersion = 1;
inline constexpr const char* kSceneFileExtension = ".tarn";
// Far more than any scene needs; a larger file is not read at all.
inline constexpr std::size_t kMaxSceneFileBytes = 1u << 20;

struct SceneFileSlot {
    std::string name; // empty: the slot is empty
    std::string path; // absolute
    friend bool operator==(const SceneFileSlot&, const SceneFileSlot&) = default;
};

struct SceneFileObject {
    std::string name;
    std::string path; // absolute
    int x = 0;
    int y = 0;
    Layer layer = Layer::BehindFront;
    bool mirroredLeftRight = false;
    bool mirroredUpDown = false;
    friend bool operator==(const SceneFileObject&, const SceneFileObject&) = default;
};

// What a scene file records: the five slots and the object rows in order.
struct SceneFileData {
    std::array<SceneFileSlot, kSlotCount> terrain;
    std::vector<SceneFileObject> objects; // at most kMaxObjects
    friend bool operator==(const SceneFileData&, const SceneFileData&) = default;
};

// The text of a scene file kept in `sceneFolder`. A part in that folder or
// below it (links resolved) is written relative to it, so a project moved
// whole still finds its parts; any other part by its absolute path.
std::string sceneFileText(const SceneFileData& data, const std::string& sceneFolder);

// Reads the text of a scene file kept in `sceneFolder`, making every part path
// absolute again (relative ones climbing out of it, as older files hold, too). On any problem `out`
// is left untouched.
Status parseSceneFile(std::string_view text, const std::string& sceneFolder, SceneFileData& out);

// The same from and to a file; writing is whole or not at all.
Status readSceneFile(const std::string& path, SceneFileData& out);
Status writeSceneFile(const std::string& path, const SceneFileData& data);

} // namespace tarn
