#pragma once

#include "objects/exchange_files.h"
#include "scene/scene.h"

#include <string>

namespace tarn {

// The texts of the row pressed in the name column, kept for the exchange at the
// release. Delete uses the five texts as its temporaries as well.
struct DragOrigin {
    std::string SWAP_OLD;    // name
    std::string SWAP_OLDX;   // X
    std::string SWAP_OLDY;   // Y
    std::string SWAP_OLDC;   // front-pass flag
    std::string SWAP_OLDADR; // source path
    int OLD_SWAPINDEX = 0;
    // Only a press that recorded a row may lead to an exchange, and only once:
    // a release after a press on no row, or a second release, would otherwise
    // exchange with stale texts.
    bool armed = false;
};

enum class InsertResult { Added, ListFull, NoPicture };

// The object rows of a scene and every edit of them. Rows are always exchanged
// whole in memory, so a row's picture and mask stay with its texts; the exchange
// files are written as the record of each exchange and a failure to write them
// changes nothing else. None of these redraws the canvas: the caller runs
// recompose where the user expects the picture to change.
class ObjectList {
  public:
    ObjectList(Scene& scene, const std::string& programFolder);

    int count() const { return static_cast<int>(scene_.objects.size()); }
    bool isRow(int row) const { return row >= 0 && row < count(); }
    const ObjectRow& row(int r) const { return scene_.objects[static_cast<std::size_t>(r)]; }
    const ExchangeFiles& exchangeFiles() const { return files_; }
    const DragOrigin& dragOrigin() const { return origin_; }
    // Status of the exchange file writes of the last operation that wrote any.
    const IoStatus& lastRecordStatus() const { return recordStatus_; }

    // Masks the loaded part (key colour = its top-left pixel) and appends the row
    // name, "0", "0", "F", folder/fileName. Refused with 10 rows present or
    // without a picture; then nothing changes.
    InsertResult insert(const std::string& name, const std::string& folder,
                        const std::string& fileName, Picture picture);

    // Moves the row to the end through neighbour exchanges and drops it. Returns
    // the row that is current afterwards: the same index, or -1 if none is there.
    int remove(int row);

    // "F" <-> "T"; any other text stays. False when the row does not exist.
    bool toggleFlag(int row);

    // type 1 mirrors left-right, 2 top-bottom; picture and mask in place.
    bool mirror(int row, int type);

    // Stores the top-left corner as decimal texts.
    bool move(int row, int x, int y);

    // Left press over the name column on `row`: texts and OLD files recorded.
    bool recordDragOrigin(int row);

    // Left release over the name column with `target` selected (-1: none).
    // Exchanges the origin row and the target row; true if they were exchanged.
    bool finishDragExchange(int target);

  private:
    ObjectRow& at(int r) { return scene_.objects[static_cast<std::size_t>(r)]; }
    void keepTexts(const ObjectRow& r);
    void neighbourExchange(int i);

    Scene& scene_;
    ExchangeFiles files_;
    DragOrigin origin_;
    IoStatus recordStatus_;
};

} // namespace tarn
