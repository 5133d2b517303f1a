#pragma once

#include <QString>

class QWidget;

namespace tarn {

// The one question asked before a file is replaced, by save-as and by the
// export; true when the user answers Yes.
bool askOverwrite(QWidget* parent, const QString& fileName);
// Whether a save to `path` replaces a file worth that question: a regular file
// or a link to one. A device or a pipe is refused by the writer without it.
bool replacesAFile(const QString& path);
// True when a save to `path` may go ahead: no such file, or the user agreed
// to replace it.
bool confirmReplace(QWidget* parent, const QString& path);

} // namespace tarn
