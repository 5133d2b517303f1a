#pragma once

// What the dungeon's JSON readers share; nlohmann's types stay inside the core.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn {

// Map, tileset and pack files are far smaller; a larger file is refused unread.
inline constexpr std::uint64_t kMaxDungeonFileBytes = std::uint64_t{16} << 20;

struct JsonFault {
    std::string detail; // the parser's words
    int line = 0;       // from 1
    int column = 0;
};

// Parses JSON text without throwing; false with the fault's place when it is not JSON.
bool parseJsonText(std::string_view text, nlohmann::json& out, JsonFault& fault);

// The member, or null when `object` is no object or lacks it.
const nlohmann::json* member(const nlohmann::json& object, const char* key);
// A whole number within [low, high], from a JSON integer.
bool readWhole(const nlohmann::json* value, std::int64_t low, std::int64_t high, std::int64_t& out);

// "base.key" and "base[i]": how problems name a place in the file.
std::string jsonPathOf(const std::string& base, const char* key);
std::string jsonPathOf(const std::string& base, std::size_t index);

} // namespace tarn
