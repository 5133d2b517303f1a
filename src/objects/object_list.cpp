#include "objects/object_list.h"

#include "base/paths.h"
#include "scene/mask.h"

#include <memory>
#include <utility>

namespace tarn {

PartImagePtr objectImage(Picture picture) {
    if (picture.isNull())
        return nullptr;
    auto image = std::make_shared<PartImage>();
    image->key = picture.pixel(0, 0);
    image->mask = Mask(picture.width(), picture.height(), kWhite);
    makemask(picture, image->mask, picture.width(), picture.height());
    image->picture = std::move(picture);
    return image;
}

PartImagePtr mirroredImage(const PartImagePtr& source, bool leftRight, bool upDown) {
    if (!source || (!leftRight && !upDown))
        return source;
    auto image = std::make_shared<PartImage>(*source);
    for (const std::int16_t type : {std::int16_t{1}, std::int16_t{2}}) {
        if (type == 1 ? !leftRight : !upDown)
            continue;
        flippic(image->picture, image->picture.width(), image->picture.height(), image->picture,
                type);
        flippic(image->mask, image->mask.width(), image->mask.height(), image->mask, type);
    }
    return image;
}

ObjectList::ObjectList(Scene& scene, const std::string& programFolder)
    : scene_(scene), files_(programFolder) {}

InsertResult ObjectList::insert(const std::string& name, const std::string& folder,
                                const std::string& fileName, Picture picture) {
    if (count() >= kMaxObjects)
        return InsertResult::ListFull;
    PartImagePtr image = objectImage(std::move(picture));
    if (!image)
        return InsertResult::NoPicture;
    ObjectRow r;
    r.name = name;
    r.path = joinPath(folder, fileName);
    r.source = image;
    r.shown = std::move(image);
    scene_.objects.push_back(std::move(r));
    return InsertResult::Added;
}

void ObjectList::neighbourExchange(int i) {
    files_.writeOld(at(i).picture(), at(i).mask());
    files_.writeNew(at(i + 1).picture(), at(i + 1).mask());
    std::swap(at(i), at(i + 1));
}

int ObjectList::remove(int row) {
    if (!isRow(row))
        return -1;
    for (int i = row; i + 1 < count(); ++i)
        neighbourExchange(i);
    scene_.objects.pop_back();
    return isRow(row) ? row : -1;
}

bool ObjectList::toggleFlag(int row) {
    if (!isRow(row))
        return false;
    Layer& layer = at(row).layer;
    layer = layer == Layer::BehindFront ? Layer::InFront : Layer::BehindFront;
    return true;
}

bool ObjectList::mirror(int row, int type) {
    if (!isRow(row) || (type != 1 && type != 2))
        return false;
    ObjectRow& r = at(row);
    (type == 1 ? r.mirroredLeftRight : r.mirroredUpDown) ^= true;
    r.shown = mirroredImage(r.source, r.mirroredLeftRight, r.mirroredUpDown);
    return true;
}

bool ObjectList::move(int row, int x, int y) {
    if (!isRow(row))
        return false;
    at(row).x = x;
    at(row).y = y;
    return true;
}

bool ObjectList::recordDragOrigin(int row) {
    if (!isRow(row))
        return false;
    files_.writeOld(at(row).picture(), at(row).mask());
    return true;
}

bool ObjectList::finishDragExchange(int origin, int target) {
    if (!isRow(target) || !isRow(origin) || target == origin)
        return false;
    files_.writeNew(at(target).picture(), at(target).mask());
    std::swap(at(origin), at(target));
    return true;
}

} // namespace tarn
