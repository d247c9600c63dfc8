#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace tamberline {

// Paths are kept as the file system's bytes; widgets show them decoded the
// way Qt names files, so a name that is not valid UTF-8 survives the round
// trip.
inline QString FromBytes(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
inline std::string ToBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace tamberline
