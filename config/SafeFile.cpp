// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SafeFile {

namespace {

void setReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

// The file a write replaces: a symbolic link is followed, so that the link stays a link.
QString targetOf(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? info.symLinkTarget() : target;
    }
    return path;
}

#ifdef Q_OS_UNIX

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray& content)
{
    const char* data = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// The new name reaches the disk with the folder: without it a crash right after the write could bring back
// the old file, or none. A folder that cannot be synced changes nothing about the write itself.
void syncFolderOf(const QByteArray& fileName)
{
    const qsizetype slash = fileName.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : fileName.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool replace(const QString& target, const QByteArray& content, QString* reason)
{
    const QByteArray finalName = QFile::encodeName(target);
    struct stat old
    {
    };
    const bool exists = ::stat(finalName.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        setReason(reason, QStringLiteral("not a regular file"));
        return false;
    }
    // Replacing needs only the folder's permission; a file its owner made read-only stays as it is, as it
    // would for writing into it.
    if (exists && ::access(finalName.constData(), W_OK) != 0) {
        setReason(reason, systemError(errno));
        return false;
    }
    QByteArray temporary = finalName + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        setReason(reason, systemError(errno));
        return false;
    }
    // mkstemp makes the file 0600; a new file gets what the umask allows, a replaced one what it had.
    mode_t mode = 0;
    if (exists) {
        mode = old.st_mode & 07777;
        // Root replacing another user's file gives it back to its owner. Anyone else cannot, but keeps the
        // file's group where they belong to it, so that a file a group shares stays writable for its owner.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            if (::geteuid() == 0) {
                const int error = errno;
                ::close(fd);
                ::unlink(temporary.constData());
                setReason(reason, systemError(error));
                return false;
            }
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(temporary.constData());
        setReason(reason, systemError(ok ? errno : error));
        return false;
    }
    if (::rename(temporary.constData(), finalName.constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        setReason(reason, systemError(renameError));
        return false;
    }
    syncFolderOf(finalName);
    return true;
}

#else

bool replace(const QString& target, const QByteArray& content, QString* reason)
{
    if (isNonRegular(target)) {
        setReason(reason, QStringLiteral("not a regular file"));
        return false;
    }
    // Unbuffered: QSaveFile only notices errors of its own writes, so a buffer that fails to reach a full
    // disk on commit would still replace the file, with an empty one.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(content) != content.size() ||
        !file.flush() || !file.commit()) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
}

#endif

} // namespace

QString writeErrorText(const QString& path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

bool isNonRegular(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

bool write(const QString& path, const QByteArray& content, QString* error, QString* reason)
{
    QString why;
    const bool ok = !path.isEmpty() && replace(targetOf(path), content, &why);
    if (path.isEmpty())
        why = QStringLiteral("no file name");
    if (!ok) {
        if (error)
            *error = writeErrorText(path);
        setReason(reason, why);
    }
    return ok;
}

ReadStatus read(const QString& path, QByteArray* content, QString* reason, qint64 maxBytes)
{
    content->clear();
    if (path.isEmpty()) {
        setReason(reason, QStringLiteral("no file name"));
        return ReadStatus::Missing;
    }
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists()) {
        // The system's own words: "No such file or directory", or why the folder cannot be searched.
        setReason(reason, file.open(QIODevice::ReadOnly) ? QString() : file.errorString());
        return ReadStatus::Missing;
    }
    if (!info.isFile()) {
        setReason(reason, QStringLiteral("not a regular file"));
        return ReadStatus::NotRegular;
    }
    if (info.size() > maxBytes) {
        setReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
        return ReadStatus::TooLarge;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setReason(reason, file.errorString());
        return ReadStatus::Unreadable;
    }
    // The size may have grown since it was looked at: one byte past the bound tells.
    *content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        setReason(reason, file.errorString());
        content->clear();
        return ReadStatus::Unreadable;
    }
    if (content->size() > maxBytes) {
        setReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
        content->clear();
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

} // namespace SafeFile

FileLock::FileLock(const QString& path, int waitMs)
    : m_lock(std::make_unique<QLockFile>(path + QStringLiteral(".lock")))
{
    // A change takes milliseconds; a lock older than this belongs to a program that hangs or died.
    m_lock->setStaleLockTime(30000);
    if (m_lock->tryLock(waitMs))
        return;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        m_error = QStringLiteral("%1 is locked by another program").arg(path);
        break;
    case QLockFile::PermissionError:
        m_error = QStringLiteral("cannot create the lock file %1.lock").arg(path);
        break;
    default:
        m_error = QStringLiteral("cannot lock %1").arg(path);
        break;
    }
}

FileLock::~FileLock() = default;

bool FileLock::isLocked() const
{
    return m_lock->isLocked();
}
