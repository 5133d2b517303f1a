#pragma once

#include <QString>

#include <string>

namespace tarn {

// A slot's or row's name as the window shows it: with a mark when its part
// could not be read. The name the scene keeps is never changed.
QString shownPartName(const std::string& name, bool missing);

} // namespace tarn
