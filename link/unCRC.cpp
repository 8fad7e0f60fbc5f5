// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/unCRC.h"

#include <array>

namespace {

// Reflected polynomial x^8 + x^5 + x^4 + 1, processed least significant bit first.
constexpr quint8 kPolynomial = 0x8C;

constexpr quint8 updateBitwise(quint8 data, quint8 crc)
{
    for (int bit = 0; bit < 8; ++bit) {
        const bool mix = ((crc ^ data) & 0x01) != 0;
        crc = static_cast<quint8>(crc >> 1);
        if (mix)
            crc ^= kPolynomial;
        data = static_cast<quint8>(data >> 1);
    }
    return crc;
}

constexpr std::array<quint8, 256> makeTable()
{
    std::array<quint8, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = updateBitwise(static_cast<quint8>(i), 0);
    return table;
}

// The response search recomputes CRCs over the whole receive buffer; a table keeps that cheap.
constexpr std::array<quint8, 256> kTable = makeTable();

} // namespace

quint8 CRC8Update(quint8 data, quint8 crc)
{
    return kTable[static_cast<quint8>(crc ^ data)];
}

quint8 CRC8(const char* bytes, qsizetype length)
{
    quint8 crc = 0;
    for (qsizetype i = 0; i < length; ++i)
        crc = CRC8Update(static_cast<quint8>(bytes[i]), crc);
    return crc;
}
