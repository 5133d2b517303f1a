#include "dungeon/dungeon_pack.h"

#include "base/file_write.h"
#include "base/paths.h"
#include "dungeon/json_read.h"

#include <cerrno>
#include <climits>
#include <new>
#include <utility>

namespace tarn {

namespace {

using nlohmann::json;

constexpr const char* kPackFormat = "tarn-dungeon-pack";
constexpr std::int64_t kPackVersion = 1;

// The keys of the roles in role order: "floor", then entry and kind.
constexpr const char* kRoleKeys[kPartRoleCount] = {
    "floor",           "near_left.wall", "near_left.door", "near_right.wall", "near_right.door",
    "far_left.wall",   "far_left.door",  "far_right.wall", "far_right.door",  "near_front.wall",
    "near_front.door", "far_front.wall", "far_front.door"};

PackResult badEntry(std::string jsonPath) {
    PackResult r;
    r.code = StatusCode::PackBadEntry;
    r.jsonPath = std::move(jsonPath);
    return r;
}

// A part path: a string that is not empty.
bool readPartPath(const json* value, const std::string& folder, PackPart& part) {
    if (value == nullptr || !value->is_string() || value->get_ref<const std::string&>().empty())
        return false;
    part.path = pathBeside(folder, value->get<std::string>());
    return true;
}

// A front object: {"part", "x", "y"}; the others: the part path alone.
PackResult readRole(const json& pack, PartRole role, const std::string& folder, DungeonPack& out) {
    const std::string key = kRoleKeys[int(role)];
    const std::size_t dot = key.find('.');
    const std::string entryKey = key.substr(0, dot);
    const json* entry = member(pack, entryKey.c_str());
    if (entry == nullptr)
        return {};
    const json* value = entry;
    if (dot != key.npos) {
        if (!entry->is_object())
            return badEntry(entryKey);
        value = member(*entry, key.c_str() + dot + 1);
        if (value == nullptr)
            return {};
    }
    PackPart part;
    const bool front = role >= PartRole::NearFrontWall;
    if (front && !value->is_object())
        return badEntry(key);
    if (!readPartPath(front ? member(*value, "part") : value, folder, part))
        return badEntry(front ? jsonPathOf(key, "part") : key);
    for (auto [coordinate, place] : {std::pair{"x", &part.x}, std::pair{"y", &part.y}}) {
        std::int64_t v = 0;
        if (front && !readWhole(member(*value, coordinate), INT_MIN, INT_MAX, v))
            return badEntry(jsonPathOf(key, coordinate));
        *place = int(v);
    }
    out.parts[std::size_t(role)] = std::move(part);
    return {};
}

PackResult readPack(const std::string& path, DungeonPack& out) {
    PackResult r;
    Bytes bytes;
    if (const Status io = readWholeFile(path, bytes, kMaxDungeonFileBytes); !io.ok()) {
        r.code = StatusCode::PackUnreadable;
        r.error = io.error;
        return r;
    }
    json pack;
    JsonFault fault;
    if (!parseJsonText({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, pack, fault)) {
        r.code = StatusCode::PackBadJson;
        r.detail = fault.detail;
        r.line = fault.line;
        r.column = fault.column;
        return r;
    }
    const json* format = member(pack, "format");
    if (format == nullptr || *format != kPackFormat) {
        r.code = StatusCode::NotAPack;
        return r;
    }
    std::int64_t version = 0;
    if (!readWhole(member(pack, "version"), 1, INT64_MAX, version))
        return badEntry("version");
    if (version != kPackVersion) {
        r.code = StatusCode::PackNewerVersion;
        return r;
    }
    DungeonPack read;
    read.file = path;
    const std::string folder = folderOf(path);
    for (int role = 0; role < kPartRoleCount; ++role)
        if (PackResult bad = readRole(pack, PartRole(role), folder, read); !bad.ok())
            return bad;
    out = std::move(read);
    return r;
}

} // namespace

const char* partRoleKey(PartRole role) {
    return int(role) < kPartRoleCount ? kRoleKeys[int(role)] : "";
}

PackResult readDungeonPack(const std::string& path, DungeonPack& out) {
    PackResult r;
    try {
        r = readPack(path, out);
    } catch (const std::bad_alloc&) {
        r = {};
        r.code = StatusCode::PackUnreadable;
        r.error = ENOMEM;
    }
    r.file = path;
    return r;
}

} // namespace tarn
