// SPDX-License-Identifier: GPL-3.0-or-later
// The file name of a version in the controller history: its time in UTC to the millisecond, a counter for
// versions of the same millisecond and its event, as in "2024-06-11T10-38-29.815Z-2 before-write.zkt".
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// What a version keeps: a read of the controller, what a write replaced, or what a write put in.
enum class HistoryEvent { Read, BeforeWrite, Written };

namespace VersionName {

// "2024-06-11T10-38-29.815": holds no ':' so that every file system takes it.
constexpr int kStampLength = 23;
inline const QString kSuffix = QStringLiteral(".zkt");

// "read", "before-write", "written".
QString eventName(HistoryEvent event);

struct Parsed
{
    QDateTime time;  // UTC
    bool utc = true; // else named in local time, as earlier versions of the program did
    int counter = 1; // 2, 3, ... for versions of the same millisecond
    HistoryEvent event = HistoryEvent::Read;
};
// A version's name read back; nothing for the name of any other file (a copy someone put there, a
// temporary file of a write under way).
std::optional<Parsed> parse(QStringView name);
// A stamp "yyyy-MM-ddTHH-mm-ss.zzz" in UTC or in local time, as UTC; invalid for any other text.
QDateTime parseStamp(QStringView stamp, bool utc);
// The stamp of a time, in UTC and with its Z.
QString stampOf(const QDateTime& at);
QString fileName(const QDateTime& at, int counter, HistoryEvent event);

} // namespace VersionName
