#pragma once

#include <QString>

#include <string>

class QListWidget;

namespace tarn {

// Fills the list with the folder's area files, each with the number the engine
// knows it by; an item keeps the file's own name bytes. Returns how many.
int fillAreaList(QListWidget& list, const QString& folder);

// The selected area file's name bytes; empty when none is selected.
std::string selectedAreaFile(const QListWidget& list);

} // namespace tarn
