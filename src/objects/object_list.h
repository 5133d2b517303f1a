#pragma once

#include "objects/exchange_files.h"
#include "scene/scene.h"

#include <string>

namespace tarn {

enum class InsertResult { Added, ListFull, NoPicture };

// The image an object row composes for a loaded part: key colour (its top-left
// pixel) turned white, with its mask. Null for an empty picture.
PartImagePtr objectImage(Picture picture);
// `source` mirrored left-right and/or top-bottom; `source` itself when neither.
PartImagePtr mirroredImage(const PartImagePtr& source, bool leftRight, bool upDown);

// The object rows of a scene and every edit of them. Rows are exchanged whole
// in memory, so a row's image stays with its fields; the exchange files are
// written as the record of each exchange, and a failure to write them changes
// nothing else. None of these redraws the canvas.
class ObjectList {
  public:
    ObjectList(Scene& scene, const std::string& programFolder);

    int count() const { return static_cast<int>(scene_.objects.size()); }
    bool isRow(int row) const { return row >= 0 && row < count(); }
    const ObjectRow& row(int r) const { return scene_.objects[static_cast<std::size_t>(r)]; }

    // Masks the loaded part and appends the row name, 0, 0, "F",
    // folder/fileName. Refused with 10 rows present or without a picture; then
    // nothing changes.
    InsertResult insert(const std::string& name, const std::string& folder,
                        const std::string& fileName, Picture picture);

    // Moves the row to the end through neighbour exchanges and drops it. Returns
    // the row that is current afterwards: the same index, or -1 if none is there.
    int remove(int row);

    // "F" <-> "T". False when the row does not exist.
    bool toggleFlag(int row);

    // type 1 mirrors left-right, 2 top-bottom: the flag turns and the shown
    // image is derived again.
    bool mirror(int row, int type);

    bool move(int row, int x, int y);

    // Left press over the name column on `row`: the OLD files record it.
    bool recordDragOrigin(int row);

    // Left release over the name column: exchanges the pressed row `origin`
    // with `target`; true if they were exchanged.
    bool finishDragExchange(int origin, int target);

  private:
    ObjectRow& at(int r) { return scene_.objects[static_cast<std::size_t>(r)]; }
    void neighbourExchange(int i);

    Scene& scene_;
    ExchangeFiles files_;
};

} // namespace tarn
