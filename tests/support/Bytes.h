#pragma once

// Byte strings of the program beside Qt's byte arrays and file names.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

namespace testsupport {

inline QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

inline std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

// A path as the program's byte strings name it.
inline std::string local(const QString& path) {
    return str(QFile::encodeName(path));
}

} // namespace testsupport
