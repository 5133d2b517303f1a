#pragma once

#include "document/scene_document.h"

#include <QString>

namespace tarn {

// The name of a kind of edit, as the Edit menu's undo and redo entries show it.
QString editName(EditKind kind);

} // namespace tarn
