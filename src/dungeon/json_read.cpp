#include "dungeon/json_read.h"

#include <algorithm>

namespace tarn {

bool parseJsonText(std::string_view text, nlohmann::json& out, JsonFault& fault) {
    try {
        out = nlohmann::json::parse(text.begin(), text.end());
        return true;
    } catch (const nlohmann::json::parse_error& e) {
        fault.detail = e.what();
        // e.byte counts from 1 and may point one past the end of the text.
        const std::size_t end = std::min<std::size_t>(e.byte > 0 ? e.byte - 1 : 0, text.size());
        fault.line = 1;
        fault.column = 1;
        for (std::size_t i = 0; i < end; ++i) {
            if (text[i] == '\n') {
                ++fault.line;
                fault.column = 1;
            } else {
                ++fault.column;
            }
        }
        return false;
    } catch (const nlohmann::json::exception& e) {
        fault.detail = e.what(); // a number out of range: no place is known
        return false;
    }
}

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

bool readWhole(const nlohmann::json* value, std::int64_t low, std::int64_t high,
               std::int64_t& out) {
    if (value == nullptr)
        return false;
    if (value->is_number_unsigned()) {
        const std::uint64_t v = value->get<std::uint64_t>();
        if (high < 0 || v > static_cast<std::uint64_t>(high))
            return false;
        out = static_cast<std::int64_t>(v);
    } else if (value->is_number_integer()) {
        out = value->get<std::int64_t>();
    } else {
        return false;
    }
    return out >= low && out <= high;
}

std::string jsonPathOf(const std::string& base, const char* key) {
    return base.empty() ? std::string(key) : base + "." + key;
}

std::string jsonPathOf(const std::string& base, std::size_t index) {
    return base + "[" + std::to_string(index) + "]";
}

} // namespace tarn
