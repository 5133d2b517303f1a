#pragma once

// What the main window shows of its scene beside the canvas, one line a
// control, so that two windows (or two processes) compare in one step.

#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "support/program_folder.h"

#include <QLabel>
#include <QStringList>

namespace tarn::test {

inline QStringList shownScene(const FrmMain& w) {
    QStringList lines{QStringLiteral("title: ") + w.windowTitle()};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        lines << QStringLiteral("use(%1): %2").arg(slot).arg(w.use(slot)->text());
    for (int i = 6; i <= 10; ++i)
        lines << QStringLiteral("lst(%1): %2").arg(i).arg(entries(w.lst(i)).join(QLatin1Char('|')));
    return lines;
}

} // namespace tarn::test
