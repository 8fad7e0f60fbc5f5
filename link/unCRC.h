// SPDX-License-Identifier: GPL-3.0-or-later
// CRC-8/MAXIM (Dallas 1-Wire) that protects every frame on the controller line.
#pragma once

#include <QByteArray>
#include <QtGlobal>

quint8 CRC8Update(quint8 data, quint8 crc);
quint8 CRC8(const char* bytes, qsizetype length);
inline quint8 CRC8(const QByteArray& bytes)
{
    return CRC8(bytes.constData(), bytes.size());
}
