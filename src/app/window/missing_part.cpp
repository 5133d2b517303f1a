#include "app/window/missing_part.h"

#include <QCoreApplication>

namespace tarn {

QString shownPartName(const std::string& name, bool missing) {
    const QString text = QString::fromStdString(name);
    return missing
               ? QCoreApplication::translate("tarn::FrmMain", "× %1（読み込めません）").arg(text)
               : text;
}

} // namespace tarn
