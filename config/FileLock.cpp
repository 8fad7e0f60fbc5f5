// SPDX-License-Identifier: GPL-3.0-or-later
// QLockFile, with dead locks taken over at once and the cause of a lock file that cannot be made.
#include "config/FileLock.h"

#include "config/OwnFiles.h"
#include "config/SystemError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

// An empty lock file is given this long: a live program writes its process ID right after creating it.
constexpr qint64 kEmptyLockGraceMs = 1000;

qint64 msecsOf(const timespec& t)
{
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Whether the process a lock file names (QLockFile: process ID, program, host) cannot be alive.
bool namesNoLiveProcess(const QByteArray& content, const timespec& modified)
{
    if (content.isEmpty()) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        return msecsOf(now) - msecsOf(modified) >= kEmptyLockGraceMs;
    }
    const QList<QByteArray> lines = content.split('\n');
    bool numbered = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&numbered);
    if (!numbered || pid <= 0)
        return true;
    const QByteArray host = lines.value(2).trimmed();
    if (!host.isEmpty() && host != QSysInfo::machineHostName().toUtf8())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// Removes a lock file that belongs to no program that could still change the file: nobody holds its flock
// (QLockFile holds one for as long as it holds the lock) and it names no live process. A link in its place
// is nobody's lock and is removed without being followed. True when the lock file is gone.
bool removeDeadLock(const QByteArray& lockName)
{
    const int fd = ::open(lockName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        return errno == ELOOP && ::unlink(lockName.constData()) == 0;
    }
    struct stat st
    {
    };
    bool removed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        struct stat now
        {
        };
        // Only the file looked at: another program may have put a live lock in its place meanwhile.
        removed = namesNoLiveProcess(QByteArray(buffer, n > 0 ? int(n) : 0), st.st_mtim) &&
                  ::lstat(lockName.constData(), &now) == 0 && now.st_ino == st.st_ino &&
                  now.st_dev == st.st_dev && ::unlink(lockName.constData()) == 0;
    }
    ::close(fd);
    return removed;
}

// The system's words on why no lock file can be made beside the file: one of a lock file's size is
// written there and removed again. Empty when that works.
QString whyNoLockFile(const QByteArray& lockName)
{
    QByteArray probe = OwnFiles::temporaryTemplate(lockName);
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return SystemErrorText(errno);
    const QByteArray content(256, 'x');
    const bool ok =
        ::write(fd, content.constData(), size_t(content.size())) == content.size() && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return ok ? QString() : SystemErrorText(error);
}

#endif

} // namespace

FileLock::FileLock(const QString& path, int waitMs)
    : m_lock(std::make_unique<QLockFile>(path + QStringLiteral(".lock")))
{
    // A change takes milliseconds; a lock older than this belongs to a program that hangs or died.
    m_lock->setStaleLockTime(30000);
    const QByteArray lockName = QFile::encodeName(path + QStringLiteral(".lock"));
    bool locked = m_lock->tryLock(0);
#ifdef Q_OS_UNIX
    const QDeadlineTimer deadline(waitMs);
    // A program that kept leaving dead locks would otherwise be chased for ever.
    for (int takenOver = 0; !locked && m_lock->error() == QLockFile::LockFailedError && takenOver < 100;) {
        if (removeDeadLock(lockName)) {
            ++takenOver;
            locked = m_lock->tryLock(0);
        } else if (deadline.hasExpired()) {
            break;
        } else {
            locked = m_lock->tryLock(int(qMin<qint64>(deadline.remainingTime(), 100)));
        }
    }
#else
    if (!locked)
        locked = m_lock->tryLock(waitMs);
#endif
    if (locked) {
        m_removedWhenStopped = OwnFiles::add(lockName);
        return;
    }
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        m_error = QStringLiteral("%1 is locked by another program").arg(path);
        return;
    case QLockFile::PermissionError:
        m_error = QStringLiteral("cannot create the lock file %1.lock").arg(path);
        break;
    default:
        m_error = QStringLiteral("cannot lock %1").arg(path);
        break;
    }
#ifdef Q_OS_UNIX
    if (const QString cause = whyNoLockFile(lockName); !cause.isEmpty())
        m_error += QStringLiteral(": ") + cause;
#endif
}

FileLock::~FileLock()
{
    // Released first: a stop between the two leaves a lock that names a gone process, taken over at once.
    OwnFiles::release(m_removedWhenStopped);
}

bool FileLock::isLocked() const
{
    return m_lock->isLocked();
}
