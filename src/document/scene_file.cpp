#include "document/scene_file.h"

#include "base/file_write.h"
#include "base/paths.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

namespace tarn {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kFormatName = "tarn-scene";
// Keys of the five slots, in slot order: a reader of the file sees the layer.
constexpr std::array<const char*, kSlotCount> kSlotKeys{"ground", "backLeft", "backRight",
                                                        "frontLeft", "frontRight"};
// Far deeper than a scene file ever nests; bounds the parser's work on hostile text.
constexpr int kMaxDepth = 8;

// Where a path really is, its links resolved as far as it exists.
fs::path realLocation(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real;
}

// A part in the scene's folder or below it is recorded relative to it, so the
// project moves as one and a shared scene names no private folder; the
// locations are compared with links resolved, so the relative path holds
// whichever way the folder is reached. Any other part keeps its absolute path.
std::string storedPath(const std::string& path, const fs::path& realFolder) {
    const fs::path part = fs::path(path).lexically_normal();
    if (part.is_absolute() && realFolder.is_absolute()) {
        const fs::path relative = realLocation(part).lexically_relative(realFolder);
        if (!relative.empty() && *relative.begin() != "..")
            return relative.generic_string();
    }
    return part.generic_string();
}

// The folder a scene file's relative part paths start from: its own, or for a
// link to the file, that of the file it names (which a save replaces).
fs::path sceneFolderOf(const std::string& path) {
    fs::path file = fs::absolute(path);
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(file, ec); ++hops) {
        const fs::path to = fs::read_symlink(file, ec);
        if (ec)
            break;
        // From the real folder, so that ".." in the link climbs as the system's does.
        file = realLocation(file.parent_path()) / to;
    }
    return file.parent_path();
}

// Depth of brackets outside strings, so that a wall of "[" is refused before parsing.
bool nestsTooDeep(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxDepth)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

bool readText(const json& object, const char* key, std::string& out, bool mayBeEmpty) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return false;
    out = it->get<std::string>();
    return (mayBeEmpty || !out.empty()) && out.find('\0') == std::string::npos;
}

bool readInt(const json& object, const char* key, int& out) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer())
        return false;
    if (it->is_number_unsigned()) {
        const auto v = it->get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
            return false;
        out = static_cast<int>(v);
        return true;
    }
    const auto v = it->get<std::int64_t>();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(v);
    return true;
}

bool readBool(const json& object, const char* key, bool& out) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_boolean())
        return false;
    out = it->get<bool>();
    return true;
}

// The library's destructor takes memory to flatten a container that still
// holds values, and a failure there would end the program. A value emptied
// from the leaves up needs none, so every document is emptied this way when
// it goes, on an exception too.
void dismantle(json& value) noexcept {
    // Through the pointers: a container whose allocation failed has none.
    if (json::array_t* array = value.get_ptr<json::array_t*>()) {
        for (json& item : *array)
            dismantle(item);
        array->clear();
    } else if (json::object_t* object = value.get_ptr<json::object_t*>()) {
        for (auto& [key, item] : *object)
            dismantle(item);
        object->clear();
    }
}

class Dismantled {
  public:
    explicit Dismantled(json& value) : value_(value) {}
    Dismantled(const Dismantled&) = delete;
    Dismantled& operator=(const Dismantled&) = delete;
    ~Dismantled() { dismantle(value_); }

  private:
    json& value_;
};

Status problem(StatusCode p, int error = 0) {
    return {p, {}, error};
}

Status parse(const json& root, const fs::path& folder, SceneFileData& out) {
    if (!root.is_object())
        return problem(StatusCode::NotAScene);
    const auto format = root.find("format");
    // Compared as text: the library's comparison with a C string makes a value,
    // and a failure to allocate there could not be thrown.
    if (format == root.end() || !format->is_string() ||
        format->get_ref<const std::string&>() != kFormatName)
        return problem(StatusCode::NotAScene);
    int version = 0;
    if (!readInt(root, "version", version) || version < 1)
        return problem(StatusCode::SceneDamaged);
    if (version > kSceneFormatVersion)
        return problem(StatusCode::SceneNewerVersion);

    SceneFileData data;
    const auto slots = root.find("slots");
    if (slots == root.end() || !slots->is_object())
        return problem(StatusCode::SceneDamaged);
    for (std::size_t i = 0; i < kSlotKeys.size(); ++i) {
        const auto slot = slots->find(kSlotKeys[i]);
        if (slot == slots->end() || slot->is_null())
            continue;
        SceneFileSlot& s = data.terrain[i];
        if (!slot->is_object() || !readText(*slot, "name", s.name, false) ||
            !readText(*slot, "path", s.path, false))
            return problem(StatusCode::SceneDamaged);
        s.path = pathBeside(folder.string(), s.path);
    }
    const auto objects = root.find("objects");
    if (objects == root.end() || !objects->is_array() || objects->size() > kMaxObjects)
        return problem(StatusCode::SceneDamaged);
    for (const json& o : *objects) {
        SceneFileObject row;
        std::string layer;
        if (!o.is_object() || !readText(o, "name", row.name, false) ||
            !readText(o, "path", row.path, false) || !readInt(o, "x", row.x) ||
            !readInt(o, "y", row.y) || !readText(o, "layer", layer, false) ||
            (layer != "F" && layer != "T") ||
            !readBool(o, "mirrorLeftRight", row.mirroredLeftRight) ||
            !readBool(o, "mirrorUpDown", row.mirroredUpDown))
            return problem(StatusCode::SceneDamaged);
        row.layer = layer == "T" ? Layer::InFront : Layer::BehindFront;
        row.path = pathBeside(folder.string(), row.path);
        data.objects.push_back(std::move(row));
    }
    out = std::move(data);
    return {};
}

} // namespace

std::string sceneFileText(const SceneFileData& data, const std::string& sceneFolder) {
    const fs::path folder = realLocation(fs::path(sceneFolder).lexically_normal());
    // Built in place, never from temporary containers, so that nothing is
    // destroyed full; every container is made whole before members go in.
    json root = json::object();
    const Dismantled kept(root);
    root["format"] = kFormatName;
    root["version"] = kSceneFormatVersion;
    json& slots = root["slots"] = json::object();
    for (std::size_t i = 0; i < kSlotKeys.size(); ++i) {
        const SceneFileSlot& s = data.terrain[i];
        json& slot = slots[kSlotKeys[i]];
        if (s.name.empty())
            continue; // null
        // Made whole before it is assigned: the library turns a null value
        // into an object by setting its type first, and an allocation failing
        // after that leaves a value nothing can destroy.
        slot = json::object();
        slot["name"] = s.name;
        slot["path"] = storedPath(s.path, folder);
    }
    json& objects = root["objects"] = json::array();
    for (const SceneFileObject& o : data.objects) {
        objects.push_back(json::object());
        json& row = objects.back();
        row["name"] = o.name;
        row["path"] = storedPath(o.path, folder);
        row["x"] = o.x;
        row["y"] = o.y;
        row["layer"] = layerText(o.layer);
        row["mirrorLeftRight"] = o.mirroredLeftRight;
        row["mirrorUpDown"] = o.mirroredUpDown;
    }
    // Names stay readable; text that is not UTF-8 is written with replacement
    // characters rather than failing (it cannot come from a listed part).
    return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

Status parseSceneFile(std::string_view text, const std::string& sceneFolder, SceneFileData& out) {
    if (text.size() > kMaxSceneFileBytes)
        return problem(StatusCode::SceneTooLarge);
    if (nestsTooDeep(text))
        return problem(StatusCode::SceneDamaged);
    try {
        json root = json::parse(text.begin(), text.end(), nullptr, false);
        const Dismantled kept(root);
        if (root.is_discarded())
            return problem(StatusCode::SceneDamaged);
        return parse(root, fs::path(sceneFolder).lexically_normal(), out);
    } catch (const std::bad_alloc&) {
        throw; // a shortage of memory, not a damaged file
    } catch (...) {
        // Nothing else the library throws may cross into the caller.
        return problem(StatusCode::SceneDamaged);
    }
}

Status readSceneFile(const std::string& path, SceneFileData& out) {
    Status status;
    std::error_code ec;
    const fs::file_status kind = fs::status(path, ec);
    if (ec || !fs::is_regular_file(kind)) {
        status = problem(StatusCode::SceneUnreadable, ec                       ? ec.value()
                                                      : fs::is_directory(kind) ? EISDIR
                                                                               : ENODEV);
    } else {
        Bytes bytes;
        const Status io = readWholeFile(path, bytes, kMaxSceneFileBytes);
        if (io.error == EFBIG) {
            status = problem(StatusCode::SceneTooLarge);
        } else if (!io.ok()) {
            status = problem(StatusCode::SceneUnreadable, io.error);
        } else {
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            status = parseSceneFile(text, sceneFolderOf(path).string(), out);
        }
    }
    status.file = path;
    return status;
}

Status writeSceneFile(const std::string& path, const SceneFileData& data) {
    // Made first: once the file is written, nothing may fail.
    Status status{StatusCode::Ok, path, 0};
    const std::string text = sceneFileText(data, sceneFolderOf(path).string());
    const Status io = writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (!io.ok()) {
        status.code = StatusCode::SceneWriteFailed;
        status.error = io.error;
    }
    return status;
}

} // namespace tarn
