#include "objects/object_list.h"

#include "scene/mask.h"
#include "scene/part_names.h"

#include <utility>

namespace tarn {

ObjectList::ObjectList(Scene& scene, const std::string& programFolder)
    : scene_(scene), files_(programFolder) {}

InsertResult ObjectList::insert(const std::string& name, const std::string& folder,
                                const std::string& fileName, Picture picture) {
    if (count() >= kMaxObjects)
        return InsertResult::ListFull;
    if (picture.isNull())
        return InsertResult::NoPicture;
    ObjectRow r;
    r.name = name;
    r.path = trimpath(folder) + "/" + fileName;
    r.mask = Mask(picture.width(), picture.height(), kWhite);
    makemask(picture, r.mask, picture.width(), picture.height());
    r.picture = std::move(picture);
    scene_.objects.push_back(std::move(r));
    return InsertResult::Added;
}

void ObjectList::keepTexts(const ObjectRow& r) {
    origin_.SWAP_OLD = r.name;
    origin_.SWAP_OLDX = r.x;
    origin_.SWAP_OLDY = r.y;
    origin_.SWAP_OLDC = r.flag;
    origin_.SWAP_OLDADR = r.path;
}

void ObjectList::neighbourExchange(int i) {
    const IoStatus oldWritten = files_.writeOld(at(i).picture, at(i).mask);
    const IoStatus newWritten = files_.writeNew(at(i + 1).picture, at(i + 1).mask);
    if (recordStatus_.ok())
        recordStatus_ = oldWritten.ok() ? newWritten : oldWritten;
    keepTexts(at(i));
    std::swap(at(i), at(i + 1));
}

int ObjectList::remove(int row) {
    if (!isRow(row))
        return -1;
    recordStatus_ = {};
    for (int i = row; i + 1 < count(); ++i)
        neighbourExchange(i);
    scene_.objects.pop_back();
    // The OLD files now hold a neighbour, not a pressed row.
    origin_.armed = false;
    return isRow(row) ? row : -1;
}

bool ObjectList::toggleFlag(int row) {
    if (!isRow(row))
        return false;
    std::string& flag = at(row).flag;
    if (flag == "F")
        flag = "T";
    else if (flag == "T")
        flag = "F";
    return true;
}

bool ObjectList::mirror(int row, int type) {
    if (!isRow(row) || (type != 1 && type != 2))
        return false;
    ObjectRow& r = at(row);
    const auto t = static_cast<std::int16_t>(type);
    flippic(r.picture, r.picture.width(), r.picture.height(), r.picture, t);
    flippic(r.mask, r.mask.width(), r.mask.height(), r.mask, t);
    return true;
}

bool ObjectList::move(int row, int x, int y) {
    if (!isRow(row))
        return false;
    at(row).x = std::to_string(x);
    at(row).y = std::to_string(y);
    return true;
}

bool ObjectList::recordDragOrigin(int row) {
    if (!isRow(row))
        return false;
    keepTexts(at(row));
    origin_.OLD_SWAPINDEX = row;
    origin_.armed = true;
    recordStatus_ = files_.writeOld(at(row).picture, at(row).mask);
    return true;
}

bool ObjectList::finishDragExchange(int target) {
    const bool armed = std::exchange(origin_.armed, false);
    const int o = origin_.OLD_SWAPINDEX;
    if (!armed || !isRow(target) || !isRow(o) || target == o)
        return false;
    recordStatus_ = files_.writeNew(at(target).picture, at(target).mask);
    std::swap(at(o), at(target));
    return true;
}

} // namespace tarn
