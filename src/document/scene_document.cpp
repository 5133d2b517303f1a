#include "document/scene_document.h"

#include "output/effects.h"
#include "scene/compose.h"
#include "scene/terrain_edit.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace tarn {

namespace {

Rect areaOf(const ObjectRow& row) {
    return Rect::fromEdges(row.x, row.y, static_cast<long long>(row.x) + row.picture().width(),
                           static_cast<long long>(row.y) + row.picture().height());
}

// What changed from one state to the other, the rows compared once. A canvas
// pixel depends only on the slots, the tones and the rows that cover it, so a
// change of rows alone touches only where those rows were and are.
DocumentChange changeBetween(const SceneState& before, const SceneState& after) {
    DocumentChange change;
    change.terrain = before.terrain != after.terrain;
    change.canvas = true;
    change.history = true;
    Rect area;
    int changedRows = 0;
    const std::size_t n = std::max(before.objects.size(), after.objects.size());
    for (std::size_t i = 0; i < n; ++i) {
        const ObjectRow* b = i < before.objects.size() ? &before.objects[i] : nullptr;
        const ObjectRow* a = i < after.objects.size() ? &after.objects[i] : nullptr;
        if (b != nullptr && a != nullptr && *b == *a)
            continue;
        ++changedRows;
        change.objectRow = static_cast<int>(i);
        if (b != nullptr)
            area = area.united(areaOf(*b));
        if (a != nullptr)
            area = area.united(areaOf(*a));
    }
    change.objects = changedRows > 0;
    if (changedRows != 1 || before.objects.size() != after.objects.size())
        change.objectRow = -1;
    const bool whole = change.terrain || before.tones != after.tones || !after.tones.empty();
    change.canvasArea = whole ? kCanvasRect : area.intersected(kCanvasRect);
    return change;
}

} // namespace

SceneDocument::SceneDocument(const std::string& programFolder) : objects_(scene_, programFolder) {}

int SceneDocument::addObserver(Observer observer) {
    observers_.push_back({nextObserverKey_, std::move(observer)});
    return nextObserverKey_++;
}

void SceneDocument::removeObserver(int key) {
    for (Watcher& w : observers_)
        if (w.key == key)
            w.removed = true; // erased once no observer is running
    if (notifying_ == 0)
        std::erase_if(observers_, [](const Watcher& w) { return w.removed; });
}

// Takes no memory, so that a committed change is always told. An observer may
// remove itself or add another while it is told: the list keeps its place.
void SceneDocument::notify(const DocumentChange& change) {
    struct Depth {
        SceneDocument& d;
        explicit Depth(SceneDocument& document) : d(document) { ++d.notifying_; }
        ~Depth() {
            if (--d.notifying_ == 0)
                std::erase_if(d.observers_, [](const Watcher& w) { return w.removed; });
        }
    } depth(*this);
    for (Watcher& w : observers_)
        if (!w.removed)
            w.observer(change);
}

// Puts the scene back as it was when an edit is left by an exception; the
// commit takes the state it keeps once nothing can fail any more.
class SceneDocument::Rollback {
  public:
    explicit Rollback(SceneDocument& document)
        : document_(document), before_(document.state()), exceptions_(std::uncaught_exceptions()) {}
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    ~Rollback() {
        if (!taken_ && std::uncaught_exceptions() > exceptions_)
            document_.assign(std::move(before_));
    }
    const SceneState& before() const { return before_; }
    SceneState take() noexcept {
        taken_ = true;
        return std::move(before_);
    }

  private:
    SceneDocument& document_;
    SceneState before_;
    int exceptions_;
    bool taken_ = false;
};

SceneState SceneDocument::state() const {
    return {scene_.terrain(), scene_.objects, tones_};
}

void SceneDocument::assign(SceneState state) noexcept {
    scene_.terrain() = std::move(state.terrain);
    scene_.objects = std::move(state.objects);
    tones_ = std::move(state.tones);
}

void SceneDocument::reserveForCommit() {
    const std::size_t steps = static_cast<std::size_t>(index_) + 1;
    if (history_.capacity() < steps)
        history_.reserve(
            std::max(steps, std::min<std::size_t>(2 * history_.capacity() + 8, kHistoryLimit + 1)));
    if (scene_.canvas.width() != kCanvasWidth || scene_.canvas.height() != kCanvasHeight)
        scene_.canvas = Picture(kCanvasWidth, kCanvasHeight);
    // The tones then read the canvas into an array that needs no new memory.
    work_.reserve(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight + 1);
}

void SceneDocument::rebuildCanvas(const Rect& area) {
    tarn::recompose(scene_, area);
    applyTones(scene_.canvas);
    // screen_ has its size from setShownLayers: nothing here takes memory.
    if (shownLayers_ != kAllLayers)
        composeScreen(area, shownLayers_);
}

void SceneDocument::composeScreen(const Rect& area, LayerSet layers) {
    compose(scene_, screen_, area, layers);
    applyTones(screen_);
}

void tonePicture(Tone tone, Picture& picture, PixelArray& work) {
    if (tone == Tone::Gray)
        grayscale(picture, work);
    else
        sepia(picture, work);
}

void SceneDocument::applyTones(Picture& canvas) {
    for (const Tone tone : tones_)
        tonePicture(tone, canvas, work_);
}

void SceneDocument::setShownLayers(LayerSet layers) {
    layers &= kAllLayers;
    if (layers == shownLayers_)
        return;
    if (layers != kAllLayers)
        composeScreen(kCanvasRect, layers);
    shownLayers_ = layers;
    notify({.canvas = true, .canvasArea = kCanvasRect});
}

void SceneDocument::setState(SceneState state) {
    // Moved out, not copied: nothing here may take memory.
    const SceneState shown{std::move(scene_.terrain()), std::move(scene_.objects),
                           std::move(tones_)};
    const DocumentChange change = changeBetween(shown, state);
    assign(std::move(state));
    OLD_SWAPINDEX = -1;
    drag_.step = 0;
    rebuildCanvas(change.canvasArea);
    notify(change);
}

void SceneDocument::commit(EditKind kind, Rollback& rollback, int dragRow) {
    SceneState after = state();
    DocumentChange change = changeBetween(rollback.before(), after);
    if (!change.terrain && !change.objects && rollback.before().tones == after.tones) {
        // A drag's move that changes nothing keeps the drag's step open.
        if (dragRow < 0)
            drag_.step = 0;
        return;
    }
    reserveForCommit();
    // Nothing below allocates: the step is committed whole.
    const bool fold = dragRow >= 0 && drag_.step == index_ && index_ > 0 &&
                      index_ == static_cast<int>(history_.size()) &&
                      history_.back().kind == EditKind::MoveObject &&
                      history_.back().row == dragRow && cleanIndex_ != index_;
    // A folded move changes neither what can be undone nor the unsaved mark.
    change.history = !fold;
    if (fold) {
        history_.back().after = std::move(after);
        rollback.take();
    } else {
        history_.resize(static_cast<std::size_t>(index_));
        if (cleanIndex_ > index_)
            cleanIndex_ = -1; // the saved state was undone and is now overwritten
        history_.push_back({kind, rollback.take(), std::move(after), dragRow});
        if (static_cast<int>(history_.size()) > kHistoryLimit) {
            history_.erase(history_.begin());
            cleanIndex_ = cleanIndex_ > 0 ? cleanIndex_ - 1 : -1;
        }
        index_ = static_cast<int>(history_.size());
    }
    drag_.step = dragRow >= 0 ? index_ : 0;
    OLD_SWAPINDEX = -1; // an exchange has used it, any other edit makes it stale
    rebuildCanvas(change.canvasArea);
    notify(change);
}

bool SceneDocument::choosePart(int slot, const std::string& name, const std::string& path,
                               const Picture& part) {
    Rollback rollback(*this);
    if (!chooseTerrainPart(scene_, slot, name, path, part, work_))
        return false;
    tones_.clear();
    commit(EditKind::ChoosePart, rollback);
    return true;
}

bool SceneDocument::clearSlot(int slot) {
    Rollback rollback(*this);
    if (!tarn::clearSlot(scene_, slot))
        return false;
    tones_.clear();
    commit(EditKind::ClearSlot, rollback);
    return true;
}

void SceneDocument::clearAll() {
    Rollback rollback(*this);
    tarn::clearAll(scene_);
    tones_.clear();
    commit(EditKind::ClearAll, rollback);
}

InsertResult SceneDocument::insertObject(const std::string& name, const std::string& folder,
                                         const std::string& fileName, Picture part) {
    Rollback rollback(*this);
    const InsertResult result = objects_.insert(name, folder, fileName, std::move(part));
    tones_.clear();
    commit(result == InsertResult::Added ? EditKind::InsertObject : EditKind::Recompose, rollback);
    return result;
}

int SceneDocument::deleteObject(int row) {
    Rollback rollback(*this);
    const bool exists = objects_.isRow(row);
    const int current = objects_.remove(row);
    tones_.clear();
    commit(exists ? EditKind::DeleteObject : EditKind::Recompose, rollback);
    return current;
}

bool SceneDocument::mirrorObject(int row, int type) {
    Rollback rollback(*this);
    if (!objects_.mirror(row, type))
        return false;
    tones_.clear();
    commit(EditKind::MirrorObject, rollback);
    return true;
}

bool SceneDocument::toggleLayer(int row) {
    Rollback rollback(*this);
    if (!objects_.toggleFlag(row))
        return false;
    tones_.clear();
    commit(EditKind::ToggleLayer, rollback);
    return true;
}

bool SceneDocument::moveObject(int row, int x, int y) {
    Rollback rollback(*this);
    const bool moved = objects_.move(row, x, y);
    tones_.clear();
    commit(moved ? EditKind::MoveObject : EditKind::Recompose, rollback);
    return moved;
}

void SceneDocument::beginDrag() {
    drag_ = {};
}

bool SceneDocument::dragObject(int row, int x, int y) {
    if (drag_.dropped)
        return false;
    Rollback rollback(*this);
    const bool moved = objects_.move(row, x, y);
    tones_.clear();
    commit(moved ? EditKind::MoveObject : EditKind::Recompose, rollback, moved ? row : -1);
    return moved;
}

void SceneDocument::endDrag() {
    drag_ = {};
}

void SceneDocument::cancelGesture() {
    drag_ = {.step = 0, .dropped = true};
    OLD_SWAPINDEX = -1;
}

bool SceneDocument::recordDragOrigin(int row) {
    drag_.step = 0;
    const bool recorded = objects_.recordDragOrigin(row);
    OLD_SWAPINDEX = recorded ? row : -1;
    return recorded;
}

bool SceneDocument::finishDragExchange(int target) {
    Rollback rollback(*this);
    const bool exchanged = objects_.finishDragExchange(std::exchange(OLD_SWAPINDEX, -1), target);
    tones_.clear();
    commit(exchanged ? EditKind::ExchangeRows : EditKind::Recompose, rollback);
    return exchanged;
}

void SceneDocument::applyTone(Tone tone) {
    Rollback rollback(*this);
    tones_.push_back(tone);
    commit(tone == Tone::Gray ? EditKind::Gray : EditKind::Sepia, rollback);
}

void SceneDocument::replaceState(SceneState state) {
    Rollback rollback(*this);
    assign(std::move(state));
    commit(EditKind::Replace, rollback);
}

void SceneDocument::recompose() {
    Rollback rollback(*this);
    tones_.clear();
    commit(EditKind::Recompose, rollback);
}

std::optional<EditKind> SceneDocument::undoKind() const {
    if (!canUndo())
        return std::nullopt;
    return history_[static_cast<std::size_t>(index_ - 1)].kind;
}

std::optional<EditKind> SceneDocument::redoKind() const {
    if (!canRedo())
        return std::nullopt;
    return history_[static_cast<std::size_t>(index_)].kind;
}

bool SceneDocument::undo() {
    if (!canUndo())
        return false;
    SceneState state = history_[static_cast<std::size_t>(index_ - 1)].before;
    reserveForCommit();
    --index_;
    setState(std::move(state));
    return true;
}

bool SceneDocument::redo() {
    if (!canRedo())
        return false;
    SceneState state = history_[static_cast<std::size_t>(index_)].after;
    reserveForCommit();
    ++index_;
    setState(std::move(state));
    return true;
}

void SceneDocument::resetHistory() {
    history_.clear();
    index_ = 0;
    cleanIndex_ = 0;
    drag_.step = 0;
}

void SceneDocument::newScene() {
    resetHistory();
    filePath_.clear();
    fileStamp_ = {};
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
    // Taken first: a change while it is read counts as a change.
    const FileStamp stamp = fileStamp(path);
    result.status = readSceneFile(path, data);
    if (!result.ok())
        return result;

    SceneState opened;
    for (std::size_t i = 0; i < data.terrain.size(); ++i) {
        const SceneFileSlot& s = data.terrain[i];
        if (s.name.empty())
            continue;
        // A part that cannot be read stays in the scene, so that a save keeps it.
        opened.terrain[i] = {s.name, s.path, loadImage(s.path, PartKind::Terrain)};
        if (opened.terrain[i].missing())
            result.missing.push_back(s.path);
    }
    for (const SceneFileObject& o : data.objects) {
        PartImagePtr image = loadImage(o.path, PartKind::Object);
        if (!image)
            result.missing.push_back(o.path);
        PartImagePtr shown = mirroredImage(image, o.mirroredLeftRight, o.mirroredUpDown);
        opened.objects.push_back({o.name, o.path, o.x, o.y, o.layer, o.mirroredLeftRight,
                                  o.mirroredUpDown, std::move(image), std::move(shown)});
    }

    std::string file = path;
    reserveForCommit();
    resetHistory();
    filePath_ = std::move(file);
    fileStamp_ = stamp;
    setState(std::move(opened));
    notify({.history = true, .file = true});
    return result;
}

Status SceneDocument::save(const std::string& path) {
    std::string file = path;
    const Status status = writeSceneFile(path, fileData());
    if (!status.ok())
        return status;
    filePath_ = std::move(file);
    fileStamp_ = fileStamp(filePath_);
    cleanIndex_ = index_;
    drag_.step = 0;
    notify({.history = true, .file = true});
    return status;
}

bool SceneDocument::fileChangedOnDisk() const {
    if (filePath_.empty())
        return false;
    const FileStamp now = fileStamp(filePath_);
    return now.present && now != fileStamp_;
}

} // namespace tarn
