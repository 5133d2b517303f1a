#pragma once

#include "export/cw_writers.h"
#include "output/file_write.h"
#include "scene/scene.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace tarn::test {

// An area file read back field by field, independently of the writer.
struct ReadArea {
    std::string name; // raw Shift-JIS bytes
    std::uint32_t nameField = 0;
    std::int32_t number = 0;
    std::uint32_t cellCount = 0;
    std::vector<AreaCell> cells; // fileName holds raw bytes
    std::vector<std::uint32_t> nameFields;
    std::string error; // empty when the bytes parsed exactly to their end
};

class AreaReader {
  public:
    explicit AreaReader(const Bytes& b) : b_(b) {}

    ReadArea read() {
        ReadArea a;
        if (!zeros(5))
            return fail(a, "leading zeros");
        if (!counted(a.name, a.nameField))
            return fail(a, "area name");
        a.number = static_cast<std::int32_t>(u32());
        if (!zeros(9))
            return fail(a, "nine zeros");
        a.cellCount = u32();
        while (ok_ && pos_ < b_.size()) {
            AreaCell c;
            c.left = static_cast<std::int32_t>(u32());
            c.top = static_cast<std::int32_t>(u32());
            c.widthField = static_cast<std::int32_t>(u32());
            c.height = static_cast<std::int32_t>(u32());
            std::uint32_t field = 0;
            if (!counted(c.fileName, field))
                return fail(a, "cell name");
            c.flag = byte();
            if (u32() != 1 || !zeros(2))
                return fail(a, "cell tail");
            a.cells.push_back(c);
            a.nameFields.push_back(field);
        }
        if (!ok_)
            return fail(a, "truncated");
        return a;
    }

  private:
    static ReadArea fail(ReadArea& a, const char* what) {
        a.error = what;
        return a;
    }
    std::uint8_t byte() {
        if (pos_ >= b_.size()) {
            ok_ = false;
            return 0;
        }
        return b_[pos_++];
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return v;
    }
    bool zeros(int n) {
        for (int i = 0; i < n; ++i)
            if (byte() != 0)
                return false;
        return ok_;
    }
    bool counted(std::string& text, std::uint32_t& field) {
        field = u32();
        if (!ok_ || field == 0 || field - 1 > b_.size() - pos_)
            return false;
        text.assign(b_.begin() + static_cast<std::ptrdiff_t>(pos_),
                    b_.begin() + static_cast<std::ptrdiff_t>(pos_ + field - 1));
        pos_ += field - 1;
        return byte() == 0 && ok_;
    }

    const Bytes& b_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

inline ReadArea readArea(const Bytes& bytes) {
    return AreaReader(bytes).read();
}

inline Bytes readBytes(const std::string& path) {
    Bytes out;
    EXPECT_TRUE(readWholeFile(path, out).ok()) << path;
    return out;
}

inline Bytes golden(const std::string& name) {
    return readBytes(std::string(TARN_TEST_DATA) + "/export/" + name);
}

inline void putFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Every entry of a folder, hidden ones included, with its content ("<dir>" for
// folders): shows stray and leftover temporary files as well as changed bytes.
inline std::map<std::string, std::string> folderContents(const TempFolder& folder) {
    std::map<std::string, std::string> out;
    for (const std::string& name : folder.entries()) {
        const std::string path = folder.file(name);
        if (std::filesystem::is_directory(path)) {
            out[name] = "<dir>";
        } else {
            const Bytes b = readBytes(path);
            out[name] = std::string(b.begin(), b.end());
        }
    }
    return out;
}

inline ObjectRow objectRow(const std::string& name, const std::string& x, const std::string& y,
                           const std::string& flag, int width = 8, int height = 6,
                           const std::string& path = "") {
    ObjectRow row;
    row.name = name;
    row.x = x;
    row.y = y;
    row.flag = flag;
    row.path = path;
    row.picture = Picture(width, height, Rgb{200, 0, 0});
    row.mask = Mask(width, height, kBlack);
    return row;
}

inline void fillSlot(Scene& scene, int i, const std::string& name, const std::string& path = "",
                     int width = 12, int height = 10) {
    scene.slot(i).name = name;
    scene.slot(i).path = path;
    scene.slot(i).picture = Picture(width, height, Rgb{0, 0, 200});
    scene.slot(i).mask = Mask(width, height, kBlack);
}

} // namespace tarn::test
