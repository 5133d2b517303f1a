#include "document/scene_document.h"
#include "output/bmp_writer.h"
#include "scene/bmp.h"
#include "scene/compose.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace tarn {
namespace {

namespace fs = std::filesystem;

// Parts as 24-bit BMPs in a folder, read back the way the window's loader would.
bool loadBmp(const std::string& path, Picture& out) {
    Bytes bytes;
    return readWholeFile(path, bytes, UINT64_MAX).ok() && decodeBmp24(bytes, out).ok();
}

struct Fixture {
    test::TempFolder program;
    test::TempFolder work;
    SceneDocument doc{program.path().string()};
    std::string parts = work.file("parts");

    // Terrain wide enough to cover where the objects go; objects small and lopsided.
    static Picture terrain(int slot) { return test::part(120 + slot, 90 + slot, slot); }
    static Picture object(int k) { return test::part(9 + 2 * k, 13 - k, 10 + k); }
    std::string file(const std::string& stem, int n) const {
        return parts + "/" + stem + std::to_string(n) + ".bmp";
    }
    Fixture() {
        fs::create_directories(parts);
        for (int slot = 1; slot <= kSlotCount; ++slot)
            EXPECT_TRUE(saveBmp24(terrain(slot), file("t", slot)).ok());
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(saveBmp24(object(k), file("ob", k)).ok());
    }
    void insert(int k, const std::string& from) {
        const std::string name = "ob" + std::to_string(k);
        ASSERT_EQ(doc.insertObject(name, from, name + ".bmp", object(k)), InsertResult::Added);
    }
    // A scene with every slot and three objects over the terrain, the last from `lib`: one
    // mirrored left-right, one in front, one mirrored both ways and partly off the canvas.
    void fill(const std::string& from, const std::string& lib) {
        for (int slot = 1; slot <= kSlotCount; ++slot)
            ASSERT_TRUE(doc.choosePart(slot, "t" + std::to_string(slot),
                                       from + "/t" + std::to_string(slot) + ".bmp", terrain(slot)));
        for (int k = 0; k < 3; ++k) {
            insert(k, k < 2 ? from : lib);
            doc.moveObject(k, 60 + 50 * k, 70 + 3 * k);
        }
        doc.mirrorObject(0, 1);
        doc.toggleLayer(1);
        doc.mirrorObject(2, 1);
        doc.mirrorObject(2, 2);
        doc.moveObject(2, -7, 250);
    }
    void fill() { fill(parts, parts); }
};

struct Seen {
    Picture canvas;
    SceneFileData record;
    std::vector<Tone> tones;
    bool operator==(const Seen&) const = default;
};

Seen seen(const SceneDocument& doc) {
    return {doc.canvas(), doc.fileData(), doc.tones()};
}

// Edits of no row change nothing. A press leads to at most one exchange of whole
// rows: a release over no row or over the pressed row ends it, and so do a delete,
// another edit and an undo. MySystem is a file, so no exchange file can be written.
TEST(SceneDocument, EditsOfNoRowAndOneExchangePerPress) {
    enum Step { Press, Release, Delete, Toggle, UndoRedo };
    const struct {
        std::vector<std::pair<Step, int>> steps;
        std::vector<int> order; // former row of each row afterwards
    } gestures[] = {
        {{{Release, 2}, {Press, 0}, {Release, 1}, {Press, -1}, {Release, 2}}, {1, 0, 2}},
        {{{Press, 1}, {Release, -1}, {Release, 2}, {Press, 2}, {Release, 2}, {Release, 0}},
         {0, 1, 2}},
        {{{Press, 1}, {Delete, 0}, {Release, 0}}, {1, 2}},
        {{{Press, 0}, {Toggle, 1}, {Toggle, 1}, {Release, 2}}, {0, 1, 2}},
        {{{Press, 0}, {UndoRedo, 0}, {Release, 2}}, {0, 1, 2}},
    };
    for (const auto& g : gestures) {
        SCOPED_TRACE(&g - gestures);
        Fixture f;
        writeFileAtomically(f.program.file("MySystem"), test::bytesOf("x"));
        f.fill();
        const Seen start = seen(f.doc);
        EXPECT_FALSE(f.doc.mirrorObject(-1, 1) || f.doc.mirrorObject(3, 1) ||
                     f.doc.mirrorObject(0, 3) || f.doc.toggleLayer(7) ||
                     f.doc.moveObject(-1, 5, 5));
        EXPECT_EQ(f.doc.deleteObject(-1), -1);
        EXPECT_EQ(seen(f.doc), start);
        const std::vector<ObjectRow> former = f.doc.scene().objects;
        for (const auto& [step, row] : g.steps) {
            if (step == Press)
                f.doc.recordDragOrigin(row);
            else if (step == Release)
                f.doc.finishDragExchange(row);
            else if (step == Delete)
                EXPECT_EQ(f.doc.deleteObject(row), row);
            else if (step == Toggle)
                f.doc.toggleLayer(row);
            else
                EXPECT_TRUE(f.doc.undo() && f.doc.redo());
        }
        std::vector<ObjectRow> expected;
        for (const int k : g.order)
            expected.push_back(former[std::size_t(k)]);
        EXPECT_TRUE(f.doc.scene().objects == expected);
    }
}

TEST(SceneDocument, HistoryDragsDepthAndTheUnsavedMark) {
    Fixture f;
    EXPECT_FALSE(f.doc.isModified());
    f.insert(0, f.parts);
    const Seen inserted = seen(f.doc);
    f.doc.beginDrag(); // a drag of many moves is one step, pauses (zoomed moves) too
    for (int i = 0; i < 60; ++i)
        f.doc.dragObject(0, 9 * (i / 2), 300 - 11 * (i / 2));
    f.doc.endDrag();
    const Seen first = seen(f.doc);
    ASSERT_TRUE(f.doc.undo());
    EXPECT_EQ(seen(f.doc), inserted);
    ASSERT_TRUE(f.doc.redo());
    EXPECT_EQ(seen(f.doc), first);
    for (int i = 1; i <= 260; ++i) // moves of their own, one step each
        f.doc.moveObject(0, i, -i);
    EXPECT_TRUE(f.doc.isModified());
    ASSERT_TRUE(f.doc.save(f.work.file("a.tarn")).ok());
    EXPECT_FALSE(f.doc.isModified());
    for (int i = 0; i < 260; ++i)
        ASSERT_TRUE(f.doc.undo()) << i;
    EXPECT_EQ(seen(f.doc), first);
    EXPECT_TRUE(f.doc.isModified());
    for (int i = 0; i < 260; ++i)
        f.doc.redo();
    EXPECT_FALSE(f.doc.isModified()); // back at the saved state
    f.doc.undo();
    f.doc.toggleLayer(0); // the saved state can no longer be reached
    for (int i = 0; i < 3; ++i)
        f.doc.undo();
    while (f.doc.canRedo())
        f.doc.redo();
    EXPECT_TRUE(f.doc.isModified());
}

// Saved, then opened in a fresh document: the same record, mirrors included (the same
// canvas: the project test). Parts that cannot be read then are named, and kept as
// recorded through edits and a save.
TEST(SceneFile, RoundTripAndMissingParts) {
    Fixture f;
    f.fill();
    const std::string scene = f.work.file("first.tarn");
    ASSERT_TRUE(f.doc.save(scene).ok());
    fs::remove(f.file("t", 2));
    fs::remove(f.file("ob", 1));
    std::ofstream(f.file("ob", 2)) << "no longer a picture";
    SceneDocument other(f.program.path().string());
    const SceneOpenResult opened = other.open(scene, loadBmp);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened.missing,
              (std::vector<std::string>{f.file("t", 2), f.file("ob", 1), f.file("ob", 2)}));
    EXPECT_EQ(other.fileData(), f.doc.fileData());
    EXPECT_FALSE(other.isModified() || other.canUndo());
    EXPECT_EQ(other.filePath(), scene);
    other.moveObject(0, 5, 6);
    other.deleteObject(1);
    other.undo(); // the missing row comes back whole
    ASSERT_TRUE(other.save(other.filePath()).ok());
    SceneFileData saved;
    ASSERT_TRUE(readSceneFile(scene, saved).ok());
    SceneFileData expected = f.doc.fileData();
    expected.objects[0].x = 5;
    expected.objects[0].y = 6;
    EXPECT_EQ(saved, expected);
}

// A project folder holding its scene and parts, with one part from a library
// outside it. Its own parts are recorded relative to the scene whichever way
// the folder was reached, the library part by its absolute path: the project
// opens whole after a move, and its file names no folder of its own.
TEST(SceneFile, AProjectOpensWholeWhereverItGoes) {
    const std::array<const char*, 5> rows[] = {
        // what, saved in, parts in, moved to ("@": into another temporary folder), opened in
        {"moved one level deeper", "a/p", "a/p", "a/deeper/p", "a/deeper/p"},
        {"moved to another folder", "a/p", "a/p", "@p", "@p"},
        {"saved through a linked folder", "link", "a/p", nullptr, "a/p"},
        {"parts through a linked folder", "a/p", "link", nullptr, "link"},
    };
    for (const auto& [what, savedIn, partsIn, movedTo, openedIn] : rows) {
        SCOPED_TRACE(what);
        Fixture f;
        const test::TempFolder away;
        const fs::path top = f.work.path();
        const auto at = [&](const std::string& where) {
            return where.starts_with('@') ? away.path() / where.substr(1) : top / where;
        };
        fs::create_directories(top / "a/p");
        fs::create_directories(top / "lib");
        fs::rename(f.parts, top / "a/p/parts");
        fs::rename(top / "a/p/parts/ob2.bmp", top / "lib/ob2.bmp");
        fs::create_directory_symlink("a/p", top / "link");
        f.fill((top / partsIn / "parts").string(), (top / "lib").string());
        ASSERT_TRUE(f.doc.save((top / savedIn / "s.tarn").string()).ok());
        const Bytes bytes = test::fileBytes((top / "a/p/s.tarn").string());
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text.find((top / "a").string()), std::string::npos) << text;
        EXPECT_EQ(text.find((top / "link").string()), std::string::npos) << text;
        if (movedTo != nullptr) {
            fs::create_directories(at(movedTo).parent_path());
            fs::rename(top / "a/p", at(movedTo));
        }
        SceneDocument moved(f.program.path().string());
        const SceneOpenResult opened = moved.open((at(openedIn) / "s.tarn").string(), loadBmp);
        ASSERT_TRUE(opened.ok());
        EXPECT_EQ(opened.missing, std::vector<std::string>{});
        EXPECT_EQ(moved.canvas(), f.doc.canvas());
    }
    // Files written before climb out of their folder; they still open.
    SceneFileData old;
    ASSERT_TRUE(parseSceneFile(R"({"format":"tarn-scene","version":1,"slots":{},"objects":[)"
                               R"({"name":"a","path":"../../lib/a.bmp","x":1,"y":2,"layer":"F",)"
                               R"("mirrorLeftRight":false,"mirrorUpDown":false}]})",
                               "/w/a/p", old)
                    .ok());
    EXPECT_EQ(old.objects.at(0).path, "/w/lib/a.bmp");
}

// A file that cannot be used changes nothing: record, canvas, history, file. (Its
// message, one file of each message: the window tests.)
TEST(SceneFile, DamagedFilesLeaveTheSceneAsItWas) {
    const std::string row = R"({"name":"a","path":"a.bmp","x":1,"y":2,"layer":"F",)"
                            R"("mirrorLeftRight":false,"mirrorUpDown":false})";
    const auto file = [](const std::string& objects, int version = 1) {
        return R"({"format":"tarn-scene","version":)" + std::to_string(version) +
               R"(,"slots":{"ground":null},"objects":[)" + objects + "]}";
    };
    const auto changed = [&](const std::string& from, const std::string& to) {
        return file(std::string(row).replace(row.find(from), from.size(), to));
    };
    std::string eleven = row;
    for (int i = 1; i < 11; ++i)
        eleven += "," + row;
    using enum StatusCode;
    const std::pair<std::string, StatusCode> files[] = {
        {file("", 0), SceneDamaged},
        {R"([1,2,3])", NotAScene},
        {file(eleven), SceneDamaged},
        {changed(":1,", ":1e3,"), SceneDamaged},
        {changed(":1,", ":4294967296,"), SceneDamaged},
        {changed("\"F\"", "\"X\""), SceneDamaged},
        {changed("\"a\"", "\"\""), SceneDamaged},
        {changed("a.bmp", "a\\u0000.bmp"), SceneDamaged},
        {changed(R"(,"mirrorUpDown":false)", ""), SceneDamaged},
        {std::string(kMaxSceneFileBytes + 1, ' '), SceneTooLarge},
        {"", SceneDamaged},
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), SceneDamaged},
        {std::string(200000, '['), SceneDamaged},
    };
    Fixture f;
    f.fill();
    ASSERT_TRUE(f.doc.save(f.work.file("kept.tarn")).ok());
    f.doc.toggleLayer(0);
    const Seen before = seen(f.doc);
    for (const auto& [text, code] : files) {
        SCOPED_TRACE(text.substr(0, 80));
        const std::string path = f.work.file("bad.tarn");
        ASSERT_TRUE(writeFileAtomically(path, test::bytesOf(text)).ok());
        const SceneOpenResult opened = f.doc.open(path, loadBmp);
        EXPECT_EQ(opened.status.code, code);
        EXPECT_EQ(opened.status.file, path);
        EXPECT_EQ(seen(f.doc), before);
        EXPECT_EQ(f.doc.filePath(), f.work.file("kept.tarn"));
        EXPECT_TRUE(f.doc.isModified() && f.doc.canUndo());
    }
    SceneFileData parsed; // the rows above differ from a good file in one place each
    EXPECT_TRUE(parseSceneFile(file(row + "," + row), "/x", parsed).ok());
    EXPECT_EQ(f.doc.open(f.work.path().string(), loadBmp).status.code,
              SceneUnreadable); // a folder
}

// A document of no program (a command-line run) keeps no exchange record, and
// least of all one in the root's MySystem.
TEST(Document, NoProgramFolderNoExchangeFiles) {
    const ExchangeFiles files{std::string()};
    ASSERT_EQ(files.path(ExchangeFile::OldPic), ""); // before any write
    EXPECT_TRUE(files.writeOld(Picture(2, 2), Mask(2, 2)).ok());
}

// Edits that touch a few rows recompose and report only where those rows were
// and are. Over a long random run of edits, the canvas always equals a
// composition from scratch (a toned one too, after an edit), and every pixel that
// changed lies inside the area the observers were told of (the window copies
// only that area to the screen).
TEST(CanvasArea, PartialRecomposeMatchesAFullOneAndCoversEveryChange) {
    test::TempFolder program;
    SceneDocument doc(program.path().string());
    std::mt19937 rng(7);
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int slot = 1; slot <= kSlotCount; ++slot)
        ASSERT_TRUE(doc.choosePart(slot, "t" + std::to_string(slot), "t.bmp",
                                   test::part(160 + slot, 120 + slot, slot)));

    Rect told;
    doc.addObserver([&](const DocumentChange& c) {
        if (c.canvas)
            told = c.canvasArea;
    });
    int partial = 0;
    for (int step = 0; step < 600; ++step) {
        if (pick(4) == 0)
            doc.applyTone(Tone::Gray);
        const Picture before = doc.canvas();
        told = {};
        const int rows = static_cast<int>(doc.scene().objects.size());
        const int row = rows > 0 ? pick(rows) : 0;
        const int slot = 1 + pick(kSlotCount);
        bool composes = true; // shows the canvas's own colours again, tone or not
        switch (pick(rows == 0 ? 1 : 10)) {
        case 0:
            doc.insertObject("ob", "/parts", "ob.bmp",
                             test::part(5 + pick(60), 5 + pick(60), pick(20)));
            break;
        case 1:
        case 2: // moves, partly or wholly off the canvas too
            doc.dragObject(row, pick(560) - 60, pick(360) - 60);
            break;
        case 3:
            doc.mirrorObject(row, 1 + pick(2));
            break;
        case 4:
            doc.toggleLayer(row);
            break;
        case 5:
            doc.deleteObject(row);
            break;
        case 6:
            doc.recordDragOrigin(row);
            doc.finishDragExchange(pick(rows));
            break;
        case 7:
            composes = doc.clearSlot(slot);
            doc.endDrag();
            break;
        case 8:
            if (pick(4) == 0)
                doc.clearAll();
            else if (pick(2) == 0)
                doc.moveObject(row, pick(500) - 20, pick(300) - 20);
            else
                composes = doc.choosePart(slot, "p", "p.bmp", test::part(200, 150, slot + 5));
            break;
        default:
            composes = false;
            if (pick(2) == 0)
                doc.undo();
            else
                doc.redo();
        }
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_TRUE(!composes || doc.tones().empty());
        if (doc.tones().empty()) {
            Scene fresh = doc.scene();
            recompose(fresh);
            ASSERT_EQ(doc.canvas(), fresh.canvas);
        }
        if (told != kCanvasRect)
            ++partial;
        for (int y = 0; y < kCanvasHeight; ++y)
            for (int x = 0; x < kCanvasWidth; ++x)
                ASSERT_TRUE(
                    before.pixel(x, y) == doc.canvas().pixel(x, y) ||
                    (x >= told.x && x < told.x + told.w && y >= told.y && y < told.y + told.h))
                    << "(" << x << "," << y << ") changed outside the area told";
    }
    // The run must have tried the partial path, not only whole recompositions.
    EXPECT_GT(partial, 300);
}

} // namespace
} // namespace tarn
