// SPDX-License-Identifier: GPL-3.0-or-later
// Versions queued for the team register as the program queues them, for its tests and benchmark: each kept
// in a history folder as a complete file, each of its own content.
#pragma once

#include "history/ControllerHistory.h"
#include "history/RegisterQueue.h"
#include "tests/common/Fixtures.h"

#include <QDir>
#include <QTimeZone>

// count versions of controllers serial(0), serial(1), ... (controllers of them, in turn), a minute apart
// from start; seed makes their contents and times differ from another home's.
inline bool QueueSampleVersions(const QString& folder, int count, int seed,
                                const std::function<QString(int)>& serial, int controllers = 50,
                                const QDateTime& start = QDateTime(QDate(2025, 3, 1), QTime(8, 0),
                                                                   QTimeZone::utc()))
{
    ControllerHistory history(folder);
    RegisterQueue queue(folder);
    TParameters p = SampleRecord();
    for (int i = 0; i < count; ++i) {
        p.SerialNumber = serial(i % controllers);
        p.Interval = quint8(i);
        p.Pages[i % kPageCount][i % kPageWords] = quint16(i * 7 + seed);
        RegisterVersion v;
        v.serial = p.SerialNumber;
        v.taken = start.addSecs(qint64(i) * 60 + seed);
        v.event = ControllerHistory::Event(i % 3);
        v.takenBy = QStringLiteral("tech%1@laptop%1").arg(seed);
        QString path;
        if (!history.record(p, v.event, nullptr, &path, v.taken))
            return false;
        v.sha256 = RegisterVersion::sha256Of(FileContent(path));
        v.file = QDir(folder).relativeFilePath(path);
        if (!queue.add(v))
            return false;
    }
    return true;
}
