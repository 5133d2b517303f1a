// Picture output from the menu: save as, clipboard, grayscale and sepia.
#include "app/common/picture_io.h"
#include "app/dialogs/save_as_flow.h"
#include "app/window/frm_main.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tarn {

void FrmMain::onSaveAs() {
    act([this] { saveAsFlow(this, document_.canvas(), context_); });
}

void FrmMain::onCopy() {
    // setImage replaces every format on the clipboard, so nothing copied
    // earlier, by any program, is left beside the picture.
    act([this] { QGuiApplication::clipboard()->setImage(toQImage(document_.canvas())); });
}

// The effects tone only the canvas; the next redraw brings the parts' own
// colours back.
void FrmMain::onGray() {
    act([this] { document_.applyTone(Tone::Gray); });
}

void FrmMain::onSepia() {
    act([this] { document_.applyTone(Tone::Sepia); });
}

} // namespace tarn
