#include "base/paths.h"

#include <filesystem>

namespace tarn {

std::string trimpath(const std::string& path) {
    if (!path.empty() && path.back() == '/')
        return path.substr(0, path.size() - 1);
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return trimpath(folder) + "/" + name;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string getext(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string pathBeside(const std::string& folder, const std::string& written) {
    const std::filesystem::path p(written);
    return (p.is_absolute() ? p : std::filesystem::path(folder) / p).lexically_normal().string();
}

} // namespace tarn
