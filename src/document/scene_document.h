#pragma once

#include "base/file_stamp.h"
#include "document/scene_file.h"
#include "objects/object_list.h"
#include "scene/compose.h"
#include "scene/pixel_array.h"
#include "scene/scene.h"

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

namespace tarn {

// An effect on the canvas since it was last composed.
enum class Tone : std::uint8_t { Gray, Sepia };
// Tones the picture in place; `work` is scratch memory kept between calls.
void tonePicture(Tone tone, Picture& picture, PixelArray& work);

// Everything a scene records. The canvas is a function of it: the slots and
// objects composed, then the tones applied in order.
struct SceneState {
    std::array<Slot, kSlotCount> terrain;
    std::vector<ObjectRow> objects;
    std::vector<Tone> tones;
    friend bool operator==(const SceneState&, const SceneState&) = default;
};

// One user action, as the history names it.
enum class EditKind {
    ChoosePart,
    ClearSlot,
    ClearAll,
    InsertObject,
    DeleteObject,
    MirrorObject,
    ToggleLayer,
    MoveObject,
    ExchangeRows,
    Gray,
    Sepia,
    Recompose, // a redraw that drops the tones
    Replace,
};

// What an observer is told has changed.
struct DocumentChange {
    bool terrain = false; // names, paths or images of the terrain slots
    bool objects = false; // the object rows
    bool canvas = false;
    Rect canvasArea = {}; // where the canvas changed, when it did
    int objectRow = -1;   // when the rows changed in this one alone
    bool history = false; // what can be undone or redone, or the unsaved mark
    bool file = false;    // the scene file the document is kept in
};

// Reads a part file into a picture; false when it cannot. The app reads
// through Qt, which knows every bitmap form the parts come in.
using PartLoader = std::function<bool(const std::string& path, Picture& out)>;

enum class PartKind { Terrain, Object };
// The image a part file composes as, in a slot or as an object; null when the
// file cannot be read. Lets many scenes share images made once.
using PartImageLoader = std::function<PartImagePtr(const std::string& path, PartKind kind)>;
// Reads and masks a part as a slot or an object does.
PartImagePtr makePartImage(const PartLoader& loadPart, const std::string& path, PartKind kind);

struct SceneOpenResult {
    Status status;                    // why the file itself could not be used
    std::vector<std::string> missing; // parts that could not be read: kept, drawn as nothing
    bool ok() const { return status.ok(); }
};

// The one owner of the scene: its record, its derived canvas, its history and
// the file it is kept in. Every change goes through an edit here, which tells
// the observers what changed.
class SceneDocument {
  public:
    // At least this many steps can be undone.
    static constexpr int kHistoryLimit = 500;

    explicit SceneDocument(const std::string& programFolder);

    const Scene& scene() const { return scene_; }
    const Picture& canvas() const { return scene_.canvas; }
    // What the screen shows: the canvas without the layers hidden from view.
    // Hiding is no edit and no part of the scene: the canvas keeps them all.
    const Picture& shownCanvas() const {
        return shownLayers_ == kAllLayers ? scene_.canvas : screen_;
    }
    LayerSet shownLayers() const { return shownLayers_; }
    void setShownLayers(LayerSet layers);
    const std::vector<Tone>& tones() const { return tones_; }

    using Observer = std::function<void(const DocumentChange&)>;
    // Returns a key for removeObserver.
    int addObserver(Observer observer);
    void removeObserver(int key);

    // Edits. Each one that changes anything is one step of the history; those
    // that compose the canvas drop the tones, as a redraw does. An edit that
    // throws (std::bad_alloc) leaves the scene, the canvas, the history, the
    // unsaved mark and the file as they were, and tells no observer.
    bool choosePart(int slot, const std::string& name, const std::string& path,
                    const Picture& part);
    bool clearSlot(int slot);
    void clearAll();
    InsertResult insertObject(const std::string& name, const std::string& folder,
                              const std::string& fileName, Picture part);
    // The row current afterwards, or -1.
    int deleteObject(int row);
    // type 1 left-right, 2 top-bottom; false (nothing at all happens) without such a row.
    bool mirrorObject(int row, int type);
    bool toggleLayer(int row);
    // A move of its own, one step (a nudge, a typed position).
    bool moveObject(int row, int x, int y);
    // A drag on the canvas, from press to release: all its moves are one step.
    void beginDrag();
    // Ignored (false) once a failed action dropped the drag, until it ends.
    bool dragObject(int row, int x, int y);
    void endDrag();
    // An action failed half way: the rest of the drag is ignored and no
    // release exchanges rows.
    void cancelGesture();
    bool recordDragOrigin(int row);
    bool finishDragExchange(int target);
    void applyTone(Tone tone);
    // Composes the canvas afresh, dropping the tones.
    void recompose();
    // Takes a whole record at once, as one step.
    void replaceState(SceneState state);

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < static_cast<int>(history_.size()); }
    // The kind of edit undo would take back, or redo do again; none when it cannot.
    std::optional<EditKind> undoKind() const;
    std::optional<EditKind> redoKind() const;
    bool undo();
    bool redo();
    // True from the first edit after the last open, save or new scene, until an
    // undo or redo returns to that state.
    bool isModified() const { return index_ != cleanIndex_; }

    // The file the scene was last opened from or saved to; "" for a new scene.
    const std::string& filePath() const { return filePath_; }
    // An empty scene with no history and no file.
    void newScene();
    // Reads the scene file and every part it names. A file that cannot be used,
    // or a loader that throws, leaves the document exactly as it was; a part
    // that cannot be read keeps its slot or row as recorded, drawn as nothing,
    // and is listed.
    SceneOpenResult open(const std::string& path, const PartLoader& loadPart);
    SceneOpenResult open(const std::string& path, const PartImageLoader& loadImage);
    // Writes the scene file whole; on success it becomes the document's file.
    Status save(const std::string& path);
    // What a scene file would record of the current state.
    SceneFileData fileData() const;
    // Whether the document's file was replaced or rewritten by someone else
    // since it was opened or saved here; false once it is gone.
    bool fileChangedOnDisk() const;

  private:
    struct Step {
        EditKind kind;
        SceneState before;
        SceneState after;
        int row = -1; // the row a drag moved, for folding its moves
    };

    class Rollback;

    SceneState state() const;
    void assign(SceneState state) noexcept;
    // Shows a state taken whole (undo, redo, open, new scene); allocates nothing
    // before the observers are told.
    void setState(SceneState state);
    // Records the step from the state the rollback keeps to the current state,
    // when anything changed; a drag's move of `dragRow` folds into its step.
    void commit(EditKind kind, Rollback& rollback, int dragRow = -1);
    // Everything a commit would allocate, taken before anything is changed.
    void reserveForCommit();
    void rebuildCanvas(const Rect& area);
    // The screen less the hidden layers, over `area`.
    void composeScreen(const Rect& area, LayerSet layers);
    void notify(const DocumentChange& change);
    void resetHistory();

    void applyTones(Picture& canvas);

    Scene scene_;
    std::vector<Tone> tones_;
    LayerSet shownLayers_ = kAllLayers;
    Picture screen_; // the canvas less the hidden layers, while any is hidden
    ObjectList objects_;
    PixelArray work_;
    std::vector<Step> history_;
    int index_ = 0;      // steps before it are done, the others undone
    int cleanIndex_ = 0; // -1 when the saved state has left the history
    // The drag in progress: the step its moves fold into (0 before its first
    // move), and whether a failed action dropped it.
    struct Drag {
        int step = 0;
        bool dropped = false;
    } drag_;
    // The row pressed in the name column, until its release exchanges it; -1
    // when no press may lead to an exchange (none, released, or made stale by
    // another edit).
    int OLD_SWAPINDEX = -1;
    std::string filePath_;
    FileStamp fileStamp_; // of filePath_, as it was opened or saved
    struct Watcher {
        int key;
        Observer observer;
        bool removed = false;
    };
    std::list<Watcher> observers_;
    int notifying_ = 0; // observers being told, nested
    int nextObserverKey_ = 0;
};

} // namespace tarn
