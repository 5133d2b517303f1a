#include "document/scene_document.h"
#include "scene/compose.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarn {
namespace {

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
                if (before.pixel(x, y) != doc.canvas().pixel(x, y)) {
                    ASSERT_TRUE(x >= told.x && x < told.x + told.w && y >= told.y &&
                                y < told.y + told.h)
                        << "(" << x << "," << y << ") changed outside the area told";
                }
    }
    // The run must have tried the partial path, not only whole recompositions.
    EXPECT_GT(partial, 300);
}

} // namespace
} // namespace tarn
