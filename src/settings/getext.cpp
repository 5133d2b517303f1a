#include "settings/ini_store.h"

namespace tarn {

std::string getext(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace tarn
