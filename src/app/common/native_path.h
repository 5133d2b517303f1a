#pragma once

#include <QFile>
#include <QString>

#include <string>

namespace tarn {

// The core takes paths as the bytes the file system uses, so that names that
// are no UTF-8 work; these are the one pair of conversions to and from them.
inline std::string toNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
inline QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace tarn
