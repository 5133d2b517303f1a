#pragma once

#include "base/status.h"

#include <QString>

namespace tarn {

// The words for the core's codes: the one place they are made.
// A platform error number.
QString errorDescription(int error);
// What a reader or writer reported.
QString statusDescription(const Status& status);

} // namespace tarn
