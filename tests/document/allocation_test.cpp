// A shortage of memory in the middle of an edit: each edit is made to fail at
// every allocation it makes in turn. A failure must leave the document as it
// was and tell no observer; the same edit must then succeed as if nothing had
// happened, history included.
#include "document/scene_document.h"
#include "support/allocation_faults.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tarn {
namespace {

// Everything of a document a user could see or get back, by content.
struct Seen {
    SceneFileData record;
    std::vector<Picture> pictures;
    std::vector<Tone> tones;
    std::string state; // history, file, and what the work folder holds
    friend bool operator==(const Seen&, const Seen&) = default;
};

void PrintTo(const Seen& seen, std::ostream* os) {
    *os << seen.state << "; " << seen.record.objects.size() << " objects, " << seen.pictures.size()
        << " pictures";
}

// The parts by path: "/parts/t<slot>" for the terrain, "/parts/ob<k>" for objects.
Picture partAt(const std::string& path) {
    const int n = path.back() - '0';
    return path.starts_with("/parts/t") ? test::part(160, 100, n) : test::part(40 + n, 30, 10 + n);
}

bool loadPart(const std::string& path, Picture& out) {
    out = partAt(path);
    return true;
}

struct Fixture {
    test::TempFolder program, work;
    SceneDocument doc{program.path().string()};

    // A scene file naming two slots and an object.
    Fixture() {
        SceneFileData data;
        data.terrain[1] = {"t2", "/parts/t2"};
        data.terrain[4] = {"t5", "/parts/t5"};
        data.objects.push_back({"ob2", "/parts/ob2", 30, 40, Layer::InFront, true, false});
        EXPECT_TRUE(writeSceneFile(work.file("scene.tarn"), data).ok());
    }
    void choose(int slot) {
        const std::string path = "/parts/t" + std::to_string(slot);
        doc.choosePart(slot, path.substr(7), path, partAt(path));
    }
    void insert(int k) {
        const std::string path = "/parts/ob" + std::to_string(k);
        doc.insertObject(path.substr(7), "/parts", path.substr(7), partAt(path));
    }
    // Slots, objects and a tone, with a step to redo.
    void setUp() {
        choose(1);
        choose(4);
        insert(0);
        insert(1);
        doc.moveObject(1, 120, 60);
        doc.applyTone(Tone::Gray);
        doc.applyTone(Tone::Sepia);
        doc.undo();
    }
    Seen seen() const {
        Seen s{doc.fileData(), {doc.canvas()}, doc.tones(), {}};
        for (const Slot& slot : doc.scene().terrain())
            s.pictures.insert(s.pictures.end(), {slot.picture(), slot.mask()});
        for (const ObjectRow& row : doc.scene().objects)
            s.pictures.insert(s.pictures.end(), {row.picture(), row.mask()});
        s.state = "undo " + std::to_string(doc.canUndo()) + " redo " +
                  std::to_string(doc.canRedo()) + " modified " + std::to_string(doc.isModified()) +
                  " file " + std::filesystem::path(doc.filePath()).filename().string();
        // Nothing left behind by a write that did not finish.
        for (const std::string& entry : work.entries())
            s.state += ", written " + entry;
        return s;
    }
};

struct Edit {
    const char* name;
    std::function<void(Fixture&)> run;
    friend void PrintTo(const Edit& edit, std::ostream* out) { *out << edit.name; }
};

class Allocation : public ::testing::TestWithParam<Edit> {};

TEST_P(Allocation, FailureLeavesTheDocumentAsItWas) {
    const Edit& edit = GetParam();
    Fixture reference;
    reference.setUp();
    edit.run(reference);
    const Seen expected = reference.seen();
    reference.doc.undo();
    const Seen expectedUndone = reference.seen();

    for (long n = 1;; ++n) {
        Fixture f;
        f.setUp();
        const Seen before = f.seen();
        int told = 0;
        f.doc.addObserver([&told](const DocumentChange&) { ++told; });
        bool thrown = false;
        long failures = 0;
        {
            const test::FailingAllocations failing({.nth = n});
            try {
                edit.run(f);
            } catch (const std::bad_alloc&) {
                thrown = true;
            }
            failures = failing.failures();
        }
        if (!thrown) { // every allocation went through, or the edit absorbed a failure unseen
            ASSERT_EQ(f.seen(), expected) << "allocation " << n;
            ASSERT_TRUE(failures > 0 || n > 1) << "the edit allocates nothing";
            if (failures == 0)
                return;
            continue;
        }
        ASSERT_EQ(f.seen(), before) << "allocation " << n;
        ASSERT_EQ(told, 0) << "allocation " << n;
        edit.run(f);
        ASSERT_EQ(f.seen(), expected) << "allocation " << n << ", run again";
        f.doc.undo();
        ASSERT_EQ(f.seen(), expectedUndone) << "allocation " << n << ", undone";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, Allocation,
    ::testing::Values(Edit{"ChoosePart", [](Fixture& f) { f.choose(2); }},
                      Edit{"ClearSlot", [](Fixture& f) { f.doc.clearSlot(4); }},
                      Edit{"ClearAll", [](Fixture& f) { f.doc.clearAll(); }},
                      Edit{"InsertObject", [](Fixture& f) { f.insert(2); }},
                      Edit{"DeleteObject", [](Fixture& f) { f.doc.deleteObject(0); }},
                      Edit{"MirrorLeftRight", [](Fixture& f) { f.doc.mirrorObject(1, 1); }},
                      Edit{"MirrorUpDown", [](Fixture& f) { f.doc.mirrorObject(0, 2); }},
                      Edit{"ToggleLayer", [](Fixture& f) { f.doc.toggleLayer(0); }},
                      Edit{"MoveObject", [](Fixture& f) { f.doc.moveObject(0, -5, 33); }},
                      Edit{"ExchangeRows",
                           [](Fixture& f) {
                               f.doc.recordDragOrigin(0);
                               f.doc.finishDragExchange(1);
                           }},
                      Edit{"Sepia", [](Fixture& f) { f.doc.applyTone(Tone::Sepia); }},
                      Edit{"Recompose", [](Fixture& f) { f.doc.recompose(); }},
                      Edit{"Undo", [](Fixture& f) { f.doc.undo(); }},
                      Edit{"Redo", [](Fixture& f) { f.doc.redo(); }},
                      Edit{"Open",
                           [](Fixture& f) { f.doc.open(f.work.file("scene.tarn"), loadPart); }},
                      Edit{"Save", [](Fixture& f) { f.doc.save(f.work.file("saved.tarn")); }}),
    [](const ::testing::TestParamInfo<Edit>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarn
