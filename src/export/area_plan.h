#pragma once

#include "base/file_write.h"
#include "export/cw_writers.h"
#include "scene/scene.h"

#include <map>
#include <string>
#include <vector>

namespace tarn {

// Where the canvas lies on the engine's 632 x 420 area: the engine draws every
// cell whole, so nothing of a part may reach past this rectangle.
inline constexpr int kViewLeft = 80;
inline constexpr int kViewTop = 0;

// One file that the export puts into the scenario folder for the parts.
struct PartFile {
    std::string fileName; // in the scenario folder
    std::string source;   // the part file it is made from
    Bytes bitmap;         // a bitmap made for the area; empty: the source copied byte for byte
    friend bool operator==(const PartFile&, const PartFile&) = default;
};

// The area's cells and the part files they name.
struct AreaPlan {
    std::vector<AreaCell> cells; // background first, then in the canvas' painter's order
    std::vector<PartFile> files;
};

// Lays out the area so that the engine, which draws each cell at its own size
// with the colour of the image's pixel (0, 0) see-through, shows exactly the
// canvas inside the view and nothing but the background outside it. A part is
// copied as it is when that shows it right; a mirrored part, one whose opaque
// pixels reach past the view, or one whose file is no BMP gets a bitmap of its
// own: its original colours cropped to the view, with a one-pixel border of the
// key colour on the top and left when its pixel (0, 0) would otherwise be
// opaque. A part wholly outside the view gets no cell. Files with different
// pixels get different names, compared as the engine's file system compares
// them (see foldedName), and never the background's names nor a name Windows
// keeps for a device (see isReservedWindowsName).
AreaPlan planArea(const Scene& scene, const std::string& backgroundName);

// The name with its letters in lower case, as far as the engine's file system
// takes names that differ only so for the same file and its code page can
// write them: ASCII, full-width Latin, Greek and Cyrillic letters. A name that
// is not UTF-8 stays as it is.
std::string foldedName(const std::string& name);

// Whether Windows keeps the name for a device, whatever follows it: CON, PRN,
// AUX, NUL, COM1-COM9 or LPT1-LPT9 before the first "." (trailing blanks
// aside), in any case, or a name ending in "." or " ".
bool isReservedWindowsName(const std::string& fileName);

// The k-th name (k from 1) tried for a file of this stem and ending: the stem
// itself, then "_2", "_3" ... added. A name Windows keeps for a device starts
// at "_2", put before its first ".", where it counts.
std::string candidateName(const std::string& stem, const std::string& ending, int k);

// Gives BMP files names of their own in one folder, compared as the engine's
// file system compares them (see foldedName): the same identity keeps one name,
// different identities never share one, and neither background name is given.
class FileNamer {
  public:
    FileNamer();
    // Keeps the name from being given to any file.
    void reserve(const std::string& name);
    // The first candidateName(stem, ".bmp", k) that is free or already has this
    // identity (never empty); `added` when it was free.
    std::string name(const std::string& stem, const std::string& identity, bool& added);

  private:
    std::map<std::string, std::string> taken_; // folded file name -> identity
};

// Whether a file starts as a BMP does; false when it cannot be read.
bool startsAsBmp(const std::string& path);

} // namespace tarn
