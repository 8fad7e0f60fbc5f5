// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SafeFile.h"

#include "config/OwnFiles.h"
#include "config/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void (*g_interruptWrite)(const QString&) = nullptr;

} // namespace

namespace SafeFile {

namespace {

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

QByteArray folderOf(const QByteArray& fileName)
{
    const qsizetype slash = fileName.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : fileName.left(slash);
}

// The new name reaches the disk with the folder: without it a crash right after the write could bring back
// the old file, or none. A folder that cannot be synced changes nothing about the write itself.
void syncFolderOf(const QByteArray& fileName)
{
    const int fd = ::open(folderOf(fileName).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Puts the written temporary file in its place: over whatever is there, or only where nothing is.
bool putInPlace(const QByteArray& temporary, const QByteArray& finalName, Target target, int* error)
{
    if (target != Target::NewOnly) {
        if (::rename(temporary.constData(), finalName.constData()) == 0)
            return true;
        *error = errno;
        return false;
    }
    // A hard link fails where anything is, a dangling link included, and never follows one.
    if (::link(temporary.constData(), finalName.constData()) == 0) {
        ::unlink(temporary.constData());
        return true;
    }
    *error = errno;
    if (*error == EEXIST)
        return false;
    // A file system without hard links: looked at first, then renamed.
    struct stat st
    {
    };
    if (::lstat(finalName.constData(), &st) == 0) {
        *error = EEXIST;
        return false;
    }
    if (::rename(temporary.constData(), finalName.constData()) == 0)
        return true;
    *error = errno;
    return false;
}

bool replace(const QString& target, const QByteArray& content, QString* reason, Target place)
{
    const QByteArray finalName = QFile::encodeName(target);
    struct stat old
    {
    };
    const bool exists = place == Target::FollowLink ? ::stat(finalName.constData(), &old) == 0
                                                    : ::lstat(finalName.constData(), &old) == 0;
    if (exists && place == Target::NewOnly) {
        SetReason(reason, SystemErrorText(EEXIST));
        return false;
    }
    // A link in the way of a write that never goes through one is replaced like an absent file.
    const bool replacing = exists && !S_ISLNK(old.st_mode);
    if (replacing && !S_ISREG(old.st_mode)) {
        SetReason(reason, QStringLiteral("not a regular file"));
        return false;
    }
    // Replacing needs only the folder's permission; a file its owner made read-only stays as it is, as it
    // would for writing into it.
    if (replacing && ::access(finalName.constData(), W_OK) != 0) {
        SetReason(reason, SystemErrorText(errno));
        return false;
    }
    QByteArray temporary = OwnFiles::temporaryTemplate(finalName);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        SetReason(reason, SystemErrorText(errno));
        return false;
    }
    const OwnFiles::RemovedWhenStopped removedWhenStopped(temporary);
    // Held until the file is in place, so that no other program takes it for one a stopped write left.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    // mkstemp makes the file 0600; a new file gets what the umask allows, a replaced one what it had.
    mode_t mode = 0;
    if (replacing) {
        mode = old.st_mode & 07777;
        // Root replacing another user's file gives it back to its owner. Anyone else cannot, but keeps the
        // file's group where they belong to it, so that a file a group shares stays writable for its owner.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            if (::geteuid() == 0) {
                const int error = errno;
                ::close(fd);
                ::unlink(temporary.constData());
                SetReason(reason, SystemErrorText(error));
                return false;
            }
            // A group the user is not in stays the user's own: the file is still theirs to write.
            if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            }
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content);
    if (ok && g_interruptWrite)
        g_interruptWrite(QFile::decodeName(temporary));
    ok = ok && ::fsync(fd) == 0;
    int error = errno;
    if (ok && !putInPlace(temporary, finalName, place, &error))
        ok = false;
    // Once fsync has succeeded close has nothing left to say about the content.
    ::close(fd);
    if (!ok) {
        ::unlink(temporary.constData());
        SetReason(reason, SystemErrorText(error));
        return false;
    }
    syncFolderOf(finalName);
    OwnFiles::removeStaleTemporaries(folderOf(finalName));
    return true;
}

#else

bool replace(const QString& target, const QByteArray& content, QString* reason, Target place)
{
    const QFileInfo info(target);
    if (place != Target::FollowLink && (info.isSymLink() || (place == Target::NewOnly && info.exists()))) {
        SetReason(reason,
                  info.isSymLink() ? QStringLiteral("a symbolic link") : QStringLiteral("File exists"));
        return false;
    }
    if (isNonRegular(target)) {
        SetReason(reason, QStringLiteral("not a regular file"));
        return false;
    }
    // Unbuffered: QSaveFile only notices errors of its own writes, so a buffer that fails to reach a full
    // disk on commit would still replace the file, with an empty one.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(content) != content.size() ||
        !file.flush() || !file.commit()) {
        SetReason(reason, file.errorString());
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

bool write(const QString& path, const QByteArray& content, QString* error, QString* reason, Target target)
{
    QString why;
    const bool ok = !path.isEmpty() &&
                    replace(target == Target::FollowLink ? targetOf(path) : path, content, &why, target);
    if (path.isEmpty())
        why = QStringLiteral("no file name");
    if (!ok) {
        if (error)
            *error = writeErrorText(path);
        SetReason(reason, why);
    }
    return ok;
}

void setWriteInterruption(void (*interrupt)(const QString& temporary))
{
    g_interruptWrite = interrupt;
}

void removeOwnFilesWhenStopped()
{
    OwnFiles::removeWhenStopped();
}

} // namespace SafeFile
