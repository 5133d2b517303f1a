#include "document/scene_document.h"

#include "output/effects.h"
#include "scene/compose.h"
#include "scene/terrain_edit.h"

#include <algorithm>
#include <utility>

namespace tarn {

namespace {

Rect areaOf(const ObjectRow& row) {
    return Rect::fromEdges(row.x, row.y, static_cast<long long>(row.x) + row.picture().width(),
                           static_cast<long long>(row.y) + row.picture().height());
}

// The canvas pixels that can differ between the two states. A pixel depends
// only on the slots, the tones and the rows that cover it, so a change of rows
// alone touches only where those rows were and are.
Rect changedArea(const SceneState& before, const SceneState& after) {
    if (before.terrain != after.terrain || before.tones != after.tones || !after.tones.empty())
        return kCanvasRect;
    Rect area;
    const std::size_t n = std::max(before.objects.size(), after.objects.size());
    for (std::size_t i = 0; i < n; ++i) {
        const ObjectRow* b = i < before.objects.size() ? &before.objects[i] : nullptr;
        const ObjectRow* a = i < after.objects.size() ? &after.objects[i] : nullptr;
        if (b != nullptr && a != nullptr && *b == *a)
            continue;
        if (b != nullptr)
            area = area.united(areaOf(*b));
        if (a != nullptr)
            area = area.united(areaOf(*a));
    }
    return area.intersected(kCanvasRect);
}

// The one row in which the two lists differ, or -1.
int onlyChangedRow(const std::vector<ObjectRow>& before, const std::vector<ObjectRow>& after) {
    if (before.size() != after.size())
        return -1;
    int found = -1;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!(before[i] == after[i])) {
            if (found >= 0)
                return -1;
            found = static_cast<int>(i);
        }
    return found;
}

} // namespace

SceneDocument::SceneDocument(const std::string& programFolder) : objects_(scene_, programFolder) {}

int SceneDocument::addObserver(Observer observer) {
    observers_.emplace_back(nextObserverKey_, std::move(observer));
    return nextObserverKey_++;
}

void SceneDocument::removeObserver(int key) {
    std::erase_if(observers_, [key](const auto& o) { return o.first == key; });
}

void SceneDocument::notify(const DocumentChange& change) {
    // A copy: an observer may remove itself.
    const auto observers = observers_;
    for (const auto& [key, observer] : observers)
        observer(change);
}

SceneState SceneDocument::state() const {
    return {scene_.terrain(), scene_.objects, tones_};
}

void SceneDocument::assign(SceneState state) {
    scene_.terrain() = std::move(state.terrain);
    scene_.objects = std::move(state.objects);
    tones_ = std::move(state.tones);
}

void SceneDocument::rebuildCanvas(const Rect& area) {
    tarn::recompose(scene_, area);
    for (const Tone tone : tones_) {
        if (tone == Tone::Gray)
            grayscale(scene_.canvas, work_);
        else
            sepia(scene_.canvas, work_);
    }
}

void SceneDocument::setState(const SceneState& state) {
    DocumentChange change;
    change.terrain = scene_.terrain() != state.terrain;
    change.objects = scene_.objects != state.objects;
    change.objectRow = onlyChangedRow(scene_.objects, state.objects);
    change.canvas = true;
    change.canvasArea = changedArea(this->state(), state);
    change.history = true;
    assign(state);
    objects_.forgetDragOrigin();
    gestureOpen_ = false;
    rebuildCanvas(change.canvasArea);
    notify(change);
}

void SceneDocument::commit(EditKind kind, SceneState before, int row) {
    SceneState after = state();
    if (after == before) {
        gestureOpen_ = false;
        return;
    }
    const bool fold = kind == EditKind::MoveObject && gestureOpen_ && index_ > 0 &&
                      index_ == static_cast<int>(history_.size()) &&
                      history_.back().kind == EditKind::MoveObject && history_.back().row == row &&
                      cleanIndex_ != index_;
    DocumentChange change;
    change.terrain = before.terrain != after.terrain;
    change.objects = before.objects != after.objects;
    change.objectRow = onlyChangedRow(before.objects, after.objects);
    change.canvas = true;
    change.canvasArea = changedArea(before, after);
    change.history = true;
    if (fold) {
        history_.back().after = std::move(after);
    } else {
        history_.resize(static_cast<std::size_t>(index_));
        if (cleanIndex_ > index_)
            cleanIndex_ = -1; // the saved state was undone and is now overwritten
        history_.push_back({kind, std::move(before), std::move(after), row});
        if (static_cast<int>(history_.size()) > kHistoryLimit) {
            history_.erase(history_.begin());
            cleanIndex_ = cleanIndex_ > 0 ? cleanIndex_ - 1 : -1;
        }
        index_ = static_cast<int>(history_.size());
    }
    gestureOpen_ = kind == EditKind::MoveObject;
    if (kind != EditKind::ExchangeRows)
        objects_.forgetDragOrigin();
    rebuildCanvas(change.canvasArea);
    notify(change);
}

bool SceneDocument::choosePart(int slot, const std::string& name, const std::string& path,
                               const Picture& part) {
    SceneState before = state();
    if (!chooseTerrainPart(scene_, slot, name, path, part, work_))
        return false;
    tones_.clear();
    commit(EditKind::ChoosePart, std::move(before));
    return true;
}

bool SceneDocument::clearSlot(int slot) {
    SceneState before = state();
    if (!tarn::clearSlot(scene_, slot))
        return false;
    tones_.clear();
    commit(EditKind::ClearSlot, std::move(before));
    return true;
}

void SceneDocument::clearAll() {
    SceneState before = state();
    tarn::clearAll(scene_);
    tones_.clear();
    commit(EditKind::ClearAll, std::move(before));
}

InsertResult SceneDocument::insertObject(const std::string& name, const std::string& folder,
                                         const std::string& fileName, Picture part) {
    SceneState before = state();
    const InsertResult result = objects_.insert(name, folder, fileName, std::move(part));
    tones_.clear();
    commit(result == InsertResult::Added ? EditKind::InsertObject : EditKind::Recompose,
           std::move(before));
    return result;
}

int SceneDocument::deleteObject(int row) {
    SceneState before = state();
    const bool exists = objects_.isRow(row);
    const int current = objects_.remove(row);
    tones_.clear();
    commit(exists ? EditKind::DeleteObject : EditKind::Recompose, std::move(before));
    return current;
}

bool SceneDocument::mirrorObject(int row, int type) {
    SceneState before = state();
    if (!objects_.mirror(row, type))
        return false;
    tones_.clear();
    commit(EditKind::MirrorObject, std::move(before));
    return true;
}

bool SceneDocument::toggleLayer(int row) {
    SceneState before = state();
    if (!objects_.toggleFlag(row))
        return false;
    tones_.clear();
    commit(EditKind::ToggleLayer, std::move(before));
    return true;
}

bool SceneDocument::moveObject(int row, int x, int y) {
    SceneState before = state();
    const bool moved = objects_.move(row, x, y);
    tones_.clear();
    commit(moved ? EditKind::MoveObject : EditKind::Recompose, std::move(before), row);
    return moved;
}

void SceneDocument::endGesture() {
    gestureOpen_ = false;
}

bool SceneDocument::recordDragOrigin(int row) {
    gestureOpen_ = false;
    return objects_.recordDragOrigin(row);
}

bool SceneDocument::finishDragExchange(int target) {
    SceneState before = state();
    const bool exchanged = objects_.finishDragExchange(target);
    tones_.clear();
    commit(exchanged ? EditKind::ExchangeRows : EditKind::Recompose, std::move(before));
    return exchanged;
}

void SceneDocument::applyTone(Tone tone) {
    SceneState before = state();
    tones_.push_back(tone);
    commit(tone == Tone::Gray ? EditKind::Gray : EditKind::Sepia, std::move(before));
}

void SceneDocument::replaceState(SceneState state) {
    SceneState before = this->state();
    assign(std::move(state));
    commit(EditKind::Replace, std::move(before));
}

void SceneDocument::recompose() {
    SceneState before = state();
    tones_.clear();
    commit(EditKind::Recompose, std::move(before));
}

bool SceneDocument::undo() {
    if (!canUndo())
        return false;
    --index_;
    setState(history_[static_cast<std::size_t>(index_)].before);
    return true;
}

bool SceneDocument::redo() {
    if (!canRedo())
        return false;
    ++index_;
    setState(history_[static_cast<std::size_t>(index_ - 1)].after);
    return true;
}

void SceneDocument::resetHistory() {
    history_.clear();
    index_ = 0;
    cleanIndex_ = 0;
    gestureOpen_ = false;
}

void SceneDocument::newScene() {
    resetHistory();
    filePath_.clear();
    setState({});
    notify({.file = true});
}

SceneFileData SceneDocument::fileData() const {
    SceneFileData data;
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot& slot = scene_.slot(i);
        if (!slot.name.empty())
            data.terrain[static_cast<std::size_t>(i - 1)] = {slot.name, slot.path};
    }
    for (const ObjectRow& row : scene_.objects)
        data.objects.push_back({row.name, row.path, row.x, row.y, row.layer, row.mirroredLeftRight,
                                row.mirroredUpDown});
    return data;
}

PartImagePtr makePartImage(const PartLoader& loadPart, const std::string& path, PartKind kind) {
    Picture part;
    if (!loadPart(path, part))
        return nullptr;
    if (kind == PartKind::Object)
        return objectImage(std::move(part));
    PixelArray work;
    return terrainImage(part, work);
}

SceneOpenResult SceneDocument::open(const std::string& path, const PartLoader& loadPart) {
    return open(path, [&loadPart](const std::string& part, PartKind kind) {
        return makePartImage(loadPart, part, kind);
    });
}

SceneOpenResult SceneDocument::open(const std::string& path, const PartImageLoader& loadImage) {
    SceneOpenResult result;
    SceneFileData data;
    result.status = readSceneFile(path, data);
    if (!result.ok())
        return result;

    SceneState opened;
    for (std::size_t i = 0; i < data.terrain.size(); ++i) {
        const SceneFileSlot& s = data.terrain[i];
        if (s.name.empty())
            continue;
        if (PartImagePtr image = loadImage(s.path, PartKind::Terrain))
            opened.terrain[i] = {s.name, s.path, std::move(image)};
        else
            result.missing.push_back(s.path);
    }
    for (const SceneFileObject& o : data.objects) {
        PartImagePtr image = loadImage(o.path, PartKind::Object);
        if (!image) {
            result.missing.push_back(o.path);
            continue;
        }
        PartImagePtr shown = mirroredImage(image, o.mirroredLeftRight, o.mirroredUpDown);
        opened.objects.push_back({o.name, o.path, o.x, o.y, o.layer, o.mirroredLeftRight,
                                  o.mirroredUpDown, std::move(image), std::move(shown)});
    }

    resetHistory();
    filePath_ = path;
    setState(opened);
    // What is shown is not what the file says: saving it would drop the parts.
    if (!result.missing.empty())
        cleanIndex_ = -1;
    notify({.history = true, .file = true});
    return result;
}

SceneFileStatus SceneDocument::save(const std::string& path) {
    const SceneFileStatus status = writeSceneFile(path, fileData());
    if (!status.ok())
        return status;
    filePath_ = path;
    cleanIndex_ = index_;
    gestureOpen_ = false;
    notify({.history = true, .file = true});
    return status;
}

} // namespace tarn
