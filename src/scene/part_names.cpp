#include "scene/part_names.h"

#include "base/paths.h"

namespace tarn {

namespace {

constexpr int kObjectList = 0;

// List index for a part file's layer code; -1 when the name is not a part.
int listForName(const std::string& name) {
    if (name.compare(0, 2, "ob") == 0)
        return kObjectList;
    const std::string tag = getsname(name);
    if (tag == "_ob_")
        return kObjectList;
    if (tag == "_ug_")
        return 1;
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos || dot < 2)
        return -1; // the first "." leaves no two characters before it
    static const char* const kCodes[] = {"ug", "bl", "br", "fl", "fr"};
    const std::string code = name.substr(dot - 2, 2);
    for (int i = 0; i < 5; ++i)
        if (code == kCodes[i])
            return i + 1;
    return -1;
}

} // namespace

std::string getsname(const std::string& name) {
    for (std::size_t a = 0; a + 3 < name.size(); ++a)
        if (name[a] == '_' && name[a + 3] == '_')
            return name.substr(a, 4);
    return {};
}

int partListOf(const std::string& fileName) {
    const std::string ext = getext(fileName);
    return ext == "BMP" || ext == "bmp" ? listForName(fileName) : -1;
}

PartEntry partEntryOf(const std::string& fileName) {
    // A part's name ends in ".bmp" in some case.
    return {fileName.substr(0, fileName.size() - 4), fileName};
}

PartLists makelist(const std::vector<std::string>& fileNames) {
    PartLists lists;
    for (const std::string& name : fileNames) {
        const int list = partListOf(name);
        if (list < 0)
            continue;
        lists[static_cast<std::size_t>(list)].push_back(partEntryOf(name));
    }
    return lists;
}

} // namespace tarn
