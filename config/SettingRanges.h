// SPDX-License-Identifier: GPL-3.0-or-later
// The values each setting of a configuration file's PARAMETERS section may take: what a file may hold, and
// what a user may set (the controller settings window's fields, zentikctl write-settings).
#pragma once

#include <QtGlobal>

#include <limits>

namespace SettingRanges {

struct Range
{
    qint64 min;
    qint64 max;
    constexpr bool contains(qint64 value) const { return value >= min && value <= max; }
};

struct Setting
{
    const char* key;
    // What a controller and the tank volume store can hold, so that every file the program saves passes its
    // own check: any byte a read brings, a flag as any non-negative number, a volume as any 32-bit number.
    Range file;
    // What the window's fields take and the controller accepts.
    Range settable;
};

inline constexpr Range kAny32{std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
inline constexpr Range kFlagInFile{0, std::numeric_limits<qint32>::max()};
inline constexpr Range kFlag{0, 1};
inline constexpr Range kByte{0, 255};
inline constexpr Range kAddress{0, 254};
inline constexpr Range kVolume{0, 65535};
inline constexpr Range kMultFactor{0, 127}; // bit 7 of the gauge byte carries the inversion
inline constexpr Range kOutputMode{0, 2};   // off, binary, text
inline constexpr Range kTableWord{0, 65535};

// In the order a file's check examines them.
inline constexpr Setting kSettings[] = {
    {"Sensor_on_0", kFlagInFile, kFlag},
    {"Net_addr_0", kByte, kAddress},
    {"Volume_0", kAny32, kVolume},
    {"Sensor_on_1", kFlagInFile, kFlag},
    {"Net_addr_1", kByte, kAddress},
    {"Volume_1", kAny32, kVolume},
    {"Inversion", kFlagInFile, kFlag},
    {"Mult_Factor", kMultFactor, kMultFactor},
    {"trl", kByte, kByte},
    {"Interval", kByte, kByte},
    {"P_Mode", kByte, kOutputMode},
};

} // namespace SettingRanges
