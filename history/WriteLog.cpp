// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/WriteLog.h"

#include "config/SafeFile.h"
#include "history/VersionName.h"

#include <QDir>

namespace {

// One line a write: the write's time and its backup's file name (or "-").
const QString kWritesFile = QStringLiteral("writes.txt");
constexpr int kWritesKept = 100;
constexpr qint64 kWritesMaxBytes = 64 * 1024;

} // namespace

namespace WriteLog {

QList<NotedWrite> read(const QDir& folder)
{
    QByteArray content;
    QList<NotedWrite> writes;
    if (SafeFile::read(folder.filePath(kWritesFile), &content, nullptr, kWritesMaxBytes,
                       SafeFile::Links::Refuse) != SafeFile::ReadStatus::Ok)
        return writes;
    for (const QByteArray& line : content.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() != 2 || fields[0].size() != VersionName::kStampLength + 1)
            continue;
        const QString backup = QString::fromUtf8(fields[1]);
        // A name of the folder's own, nothing that leads out of it.
        if (backup != QLatin1String("-") &&
            (backup.contains(QLatin1Char('/')) || !VersionName::parse(backup)))
            continue;
        writes.append({QString::fromUtf8(fields[0]), backup == QLatin1String("-") ? QString() : backup});
    }
    return writes;
}

bool write(const QDir& folder, QList<NotedWrite> writes, QString* error)
{
    if (writes.size() > kWritesKept)
        writes.erase(writes.begin(), writes.end() - kWritesKept);
    QByteArray content;
    for (const NotedWrite& w : writes)
        content += w.time.toUtf8() + '\t' + (w.backup.isEmpty() ? QByteArray("-") : w.backup.toUtf8()) + '\n';
    QString writeError;
    QString reason;
    if (SafeFile::write(folder.filePath(kWritesFile), content, &writeError, &reason,
                        SafeFile::Target::NoLink))
        return true;
    if (error)
        *error = writeError + QStringLiteral(": ") + reason;
    return false;
}

} // namespace WriteLog
