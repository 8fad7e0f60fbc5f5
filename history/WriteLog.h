// SPDX-License-Identifier: GPL-3.0-or-later
// The writes noted into one controller, oldest first, that undo goes by: each write's time and the file
// name of its backup, kept in writes.txt beside the controller's versions.
#pragma once

#include <QList>
#include <QString>

class QDir;

struct NotedWrite
{
    QString time;   // the stamp of the write
    QString backup; // the backup's file name in the folder; empty: none
};

namespace WriteLog {

// The writes noted in the controller's folder; none where nothing can be read. A line that names anything
// but a version of the folder's own is passed over.
QList<NotedWrite> read(const QDir& folder);
// Replaces the log by writes, of which only the newest are kept. False with error on failure.
bool write(const QDir& folder, QList<NotedWrite> writes, QString* error);

} // namespace WriteLog
