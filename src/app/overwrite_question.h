#pragma once

#include <QString>

class QWidget;

namespace tarn {

// The one question asked before a file is replaced, by save-as and by the
// export; true when the user answers Yes.
bool askOverwrite(QWidget* parent, const QString& fileName);

} // namespace tarn
