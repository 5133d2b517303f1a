#pragma once

#include <functional>

namespace tarn {

// How a part of the main window runs one user action: through the window's
// own runner, which survives a failed allocation and redraws the views from
// the document. False when the action failed.
using ActionRunner = std::function<bool(const std::function<void()>&)>;

} // namespace tarn
