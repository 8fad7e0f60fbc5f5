// SPDX-License-Identifier: GPL-3.0-or-later
// A version of a controller as the team register keeps it, and what the register's answers must hold
// before the program takes them.
#pragma once

#include "history/ControllerHistory.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

struct RegisterVersion
{
    qint64 id = 0; // the register's; 0 for one not sent yet
    QString serial;
    QDateTime taken; // UTC, to the millisecond
    ControllerHistory::Event event = ControllerHistory::Event::Read;
    QByteArray sha256; // 64 lower-case hexadecimal digits
    QString takenBy;   // login name @ host
    QString program;   // the program's version
    qint64 size = 0;
    QString file;       // of a queued version: its file, relative to the history folder
    QByteArray content; // only while it is sent or after it is fetched

    // What makes a version unique in the register.
    QString key() const;

    static constexpr int kMaxTakenBy = 256;
    static constexpr int kMaxProgram = 64;

    // A controller's serial number as the register keeps it: 8 upper-case hexadecimal digits.
    static bool isSerial(const QString& serial);
    static bool isSha256(const QByteArray& hex);
    static QByteArray sha256Of(const QByteArray& content);
    static std::optional<ControllerHistory::Event> eventNamed(const QString& name);
    // Who is taking a version now: the login name and the computer's name.
    static QString currentTaker();
    // "2024-06-11 16:03:27.815 +02:00": the time in local time with its offset.
    static QString localTimeText(const QDateTime& utc);
};
