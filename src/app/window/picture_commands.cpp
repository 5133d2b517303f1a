#include "app/window/picture_commands.h"

#include "app/common/picture_io.h"
#include "app/dialogs/save_as_flow.h"
#include "document/scene_document.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tarn {

PictureCommands::PictureCommands(QWidget* window, SceneDocument& document, AppContext& context,
                                 ActionRunner run)
    : window_(window), document_(document), context_(context), run_(std::move(run)) {}

void PictureCommands::saveAs() {
    run_([this] { saveAsFlow(window_, document_.canvas(), context_); });
}

void PictureCommands::copy() {
    // setImage replaces every format on the clipboard, so nothing copied
    // earlier, by any program, is left beside the picture.
    run_([this] { QGuiApplication::clipboard()->setImage(toQImage(document_.canvas())); });
}

void PictureCommands::gray() {
    run_([this] { document_.applyTone(Tone::Gray); });
}

void PictureCommands::sepia() {
    run_([this] { document_.applyTone(Tone::Sepia); });
}

} // namespace tarn
