// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterQueue.h"

#include "config/FileLock.h"
#include "config/SafeFile.h"

#include <QDir>

namespace {

const QString kFileName = QStringLiteral("register-queue");

// serial, time (UTC), event, SHA-256, who, program, file: tab-separated, one line each.
QByteArray lineOf(const RegisterVersion& v)
{
    return QStringList{v.serial,
                       v.taken.toUTC().toString(Qt::ISODateWithMs),
                       ControllerHistory::eventName(v.event),
                       QString::fromLatin1(v.sha256),
                       v.takenBy,
                       v.program,
                       v.file}
        .join(QLatin1Char('\t'))
        .toUtf8();
}

std::optional<RegisterVersion> entryOf(const QByteArray& line)
{
    const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
    if (fields.size() != 7)
        return std::nullopt;
    RegisterVersion v;
    v.serial = fields[0];
    v.taken = QDateTime::fromString(fields[1], Qt::ISODateWithMs).toUTC();
    const auto event = RegisterVersion::eventNamed(fields[2]);
    v.sha256 = fields[3].toLatin1();
    v.takenBy = fields[4];
    v.program = fields[5];
    v.file = fields[6];
    // A file that leads out of the history is never sent.
    if (!RegisterVersion::isSerial(v.serial) || !v.taken.isValid() || !event ||
        !RegisterVersion::isSha256(v.sha256) || v.takenBy.size() > RegisterVersion::kMaxTakenBy ||
        v.program.size() > RegisterVersion::kMaxProgram || QDir::isAbsolutePath(v.file) ||
        v.file.split(QLatin1Char('/')).contains(QLatin1String("..")))
        return std::nullopt;
    v.event = *event;
    return v;
}

} // namespace

RegisterQueue::RegisterQueue(const QString& historyFolder)
    : m_folder(historyFolder), m_path(QDir(historyFolder).filePath(kFileName))
{}

bool RegisterQueue::read(QList<QByteArray>* lines, QString* error) const
{
    QByteArray content;
    QString reason;
    switch (SafeFile::read(m_path, &content, &reason, kMaxBytes)) {
    case SafeFile::ReadStatus::Ok:
        break;
    case SafeFile::ReadStatus::Missing:
        return true;
    default:
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
        return false;
    }
    *lines = content.split('\n');
    lines->removeAll(QByteArray());
    return true;
}

bool RegisterQueue::change(const std::function<void(QList<QByteArray>&)>& edit, QString* error)
{
    FileLock lock(m_path);
    if (!lock.isLocked()) {
        if (error)
            *error = lock.errorString();
        return false;
    }
    QList<QByteArray> lines;
    if (!read(&lines, error))
        return false;
    edit(lines);
    QString reason;
    if (!SafeFile::write(m_path, lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n', error, &reason)) {
        if (error)
            *error += QStringLiteral(": ") + reason;
        return false;
    }
    return true;
}

bool RegisterQueue::add(const RegisterVersion& version, QString* error)
{
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error =
                QStringLiteral("%1: the folder cannot be created").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    return change([&](QList<QByteArray>& lines) { lines << lineOf(version); }, error);
}

QList<RegisterVersion> RegisterQueue::entries(QString* error) const
{
    QList<QByteArray> lines;
    QList<RegisterVersion> found;
    if (!read(&lines, error))
        return found;
    for (const QByteArray& line : lines)
        if (const std::optional<RegisterVersion> v = entryOf(line))
            found << *v;
    return found;
}

bool RegisterQueue::remove(const QSet<QString>& keys, QString* error)
{
    return change(
        [&](QList<QByteArray>& lines) {
            lines.removeIf([&](const QByteArray& line) {
                const std::optional<RegisterVersion> v = entryOf(line);
                return v && keys.contains(v->key());
            });
        },
        error);
}

bool RegisterQueue::load(RegisterVersion& version, QString* reason) const
{
    const QString path = QDir(m_folder).filePath(version.file);
    if (SafeFile::read(path, &version.content, reason) != SafeFile::ReadStatus::Ok)
        return false;
    if (RegisterVersion::sha256Of(version.content) != version.sha256) {
        reason->clear();
        return false;
    }
    version.size = version.content.size();
    return true;
}
