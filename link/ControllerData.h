// SPDX-License-Identifier: GPL-3.0-or-later
// The controller data record and the page layout of the two level recoding tables.
#pragma once

#include "link/Frames.h"

#include <QByteArray>
#include <QString>
#include <array>

using TPage = std::array<quint16, kPageWords>;
// Pages 0..31 hold sensor 1's table, 32..63 sensor 2's; entry k is word k % 32 of page k / 32.
using TPages = std::array<TPage, kPageCount>;

struct TParameters
{
    QString SerialNumber;
    QString ProgramNumber;
    std::array<bool, 4> SensorOn{};
    std::array<quint8, 4> NetAddr{};
    TPages Pages{};
    bool Inversion = false;
    quint8 MultFactor = 0;
    quint8 ReserveLevel = 0;         // share of the total volume in steps of 1/255
    quint8 Interval = 0;             // seconds
    quint8 OutputMode = 0;           // 0 off, 1 binary, 2 text
    std::array<qint32, 4> Volumes{}; // litres; kept by the tool, not the controller
};

// Gives every polled sensor of p its tank's volume from volumes; a sensor not polled keeps what p holds.
inline void SetPolledVolumes(TParameters& p, const std::array<qint32, 2>& volumes)
{
    for (int n = 0; n < 2; ++n)
        if (p.SensorOn[n])
            p.Volumes[n] = volumes[n];
}

// A page on the line: 64 bytes, each word's low byte first.
inline QByteArray PackPage(const TPage& page)
{
    QByteArray bytes;
    bytes.reserve(kPageBytes);
    for (quint16 word : page) {
        bytes.append(static_cast<char>(word & 0xFF));
        bytes.append(static_cast<char>(word >> 8));
    }
    return bytes;
}

// The page of 64 bytes as they travel on the line.
inline TPage UnpackPage(const QByteArray& bytes)
{
    TPage page{};
    for (int w = 0; w < kPageWords; ++w)
        page[w] = static_cast<quint16>(static_cast<quint8>(bytes[2 * w]) |
                                       (static_cast<quint8>(bytes[2 * w + 1]) << 8));
    return page;
}

constexpr int kTableEntries = 1024;
constexpr int kSensorPages = 32;

// First page of a sensor's table (sensor 1 or 2).
constexpr int FirstPageOfSensor(int sensor)
{
    return sensor == 2 ? kSensorPages : 0;
}

// Table entry k (0..1023) of the sensor whose table starts at firstPage.
inline quint16& TableEntry(TPages& pages, int firstPage, int k)
{
    return pages[firstPage + k / kPageWords][k % kPageWords];
}
inline quint16 TableEntry(const TPages& pages, int firstPage, int k)
{
    return pages[firstPage + k / kPageWords][k % kPageWords];
}

// Combined volume of both tanks, the whole that table words and the reserve level are shares of.
inline qint32 TotalVolume(const TParameters& p)
{
    return static_cast<qint32>(static_cast<quint32>(p.Volumes[0]) + static_cast<quint32>(p.Volumes[1]));
}

// Reserve in litres: total × level / 255, truncated toward zero.
inline qint64 ReserveLitres(const TParameters& p)
{
    return static_cast<qint64>(TotalVolume(p)) * p.ReserveLevel / 255;
}
