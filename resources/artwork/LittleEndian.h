#pragma once
#include <QByteArray>
#include <QtEndian>

// Appends little-endian integers, as the icon and wave formats store them.
inline void PutU16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline void PutU32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
