#pragma once

// Little-endian fields of a file's bytes. Reading past the end gives 0, so
// callers check the length first where it matters.

#include <QByteArray>
#include <QtGlobal>

namespace platform {

inline quint16 word16At(const QByteArray& data, qsizetype offset) {
    if (offset < 0 || offset + 2 > data.size())
        return 0;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return static_cast<quint16>(bytes[0] | bytes[1] << 8);
}

inline quint32 dword32At(const QByteArray& data, qsizetype offset) {
    if (offset < 0 || offset + 4 > data.size())
        return 0;
    return word16At(data, offset) | static_cast<quint32>(word16At(data, offset + 2)) << 16;
}

} // namespace platform
