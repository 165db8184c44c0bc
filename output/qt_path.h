#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

namespace suantiji {

// Paths are bytes everywhere but in Qt. They cross into Qt as Qt reads file names, and back as
// Qt writes them, so a path Qt handed out names the same file again.
inline QString QtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
inline std::string BytePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// False for a path Qt cannot name: Qt reads file names as UTF-8, so a folder unpacked from a
// GBK-named archive is out of its reach.
inline bool QtCanName(const std::string& path) { return BytePath(QtPath(path)) == path; }

}  // namespace suantiji
