#pragma once

#include <string>

namespace tarn {

// The path without one trailing "/"; "/" itself becomes "".
std::string trimpath(const std::string& path);
// trimpath of the folder, "/", the name: the one way the core builds a path.
std::string joinPath(const std::string& folder, const std::string& name);
// The folder of a path: "." when it names none, "/" for the root's files.
std::string folderOf(const std::string& path);
// Text after the last "." of a name; "" when there is none.
std::string getext(const std::string& name);
// A path written in a file, taken relative to that file's folder unless absolute.
std::string pathBeside(const std::string& folder, const std::string& written);

} // namespace tarn
