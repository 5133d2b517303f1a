#pragma once

#include "app/common/app_context.h"
#include "scene/picture.h"

class QWidget;

namespace tarn {

// The save-as command: asks for a file name, confirms replacing an existing
// file, then writes the canvas by the name's ending in any case: "bmp"
// (palette BMP, or 24-bit when the colours do not fit), "png", or "jpg" and
// "jpeg" (hand over to the JPEG settings dialog, which leaves mainWindow
// disabled until it closes).
void saveAsFlow(QWidget* mainWindow, const Picture& canvas, const AppContext& context);

} // namespace tarn
