// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SafeFile.h"

#include "config/OwnFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
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

constexpr int kTemporaryMarkLength = sizeof OwnFiles::kTemporaryMark - 1;
// A write holds its temporary file's flock for as long as it runs; one nobody holds and older than this
// belongs to a program that was stopped by force.
constexpr time_t kStaleTemporarySeconds = 10;

bool isTemporaryName(const char* name)
{
    const size_t length = std::strlen(name);
    const size_t tail = kTemporaryMarkLength + OwnFiles::kTemporaryRandomLength;
    if (length <= tail ||
        std::strncmp(name + length - tail, OwnFiles::kTemporaryMark, kTemporaryMarkLength) != 0)
        return false;
    for (size_t i = length - OwnFiles::kTemporaryRandomLength; i < length; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// Removes what writes stopped by force (a kill -9 between writing and renaming) left in the folder: only
// regular files of this user named as our temporary files, nobody writing them, untouched for a while.
void removeStaleTemporaries(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < kStaleTemporarySeconds)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held
        {
        };
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_ino == st.st_ino &&
            held.st_dev == st.st_dev)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
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
        setReason(reason, systemError(EEXIST));
        return false;
    }
    // A link in the way of a write that never goes through one is replaced like an absent file.
    const bool replacing = exists && !S_ISLNK(old.st_mode);
    if (replacing && !S_ISREG(old.st_mode)) {
        setReason(reason, QStringLiteral("not a regular file"));
        return false;
    }
    // Replacing needs only the folder's permission; a file its owner made read-only stays as it is, as it
    // would for writing into it.
    if (replacing && ::access(finalName.constData(), W_OK) != 0) {
        setReason(reason, systemError(errno));
        return false;
    }
    QByteArray temporary = OwnFiles::temporaryTemplate(finalName);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        setReason(reason, systemError(errno));
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
        setReason(reason, systemError(error));
        return false;
    }
    syncFolderOf(finalName);
    removeStaleTemporaries(folderOf(finalName));
    return true;
}

#else

bool replace(const QString& target, const QByteArray& content, QString* reason, Target place)
{
    const QFileInfo info(target);
    if (place != Target::FollowLink && (info.isSymLink() || (place == Target::NewOnly && info.exists()))) {
        setReason(reason,
                  info.isSymLink() ? QStringLiteral("a symbolic link") : QStringLiteral("File exists"));
        return false;
    }
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
        setReason(reason, why);
    }
    return ok;
}

namespace {

// The rest of a read once the file is open: at most maxBytes, and one byte past the bound tells that the
// file has grown since its size was looked at.
ReadStatus readOpened(QFile& file, QByteArray* content, QString* reason, qint64 maxBytes)
{
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

#ifdef Q_OS_UNIX
// Opened without following a link, so that what is read is what was looked at.
ReadStatus readWithoutLinks(const QString& path, QByteArray* content, QString* reason, qint64 maxBytes)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP) {
            setReason(reason, QStringLiteral("a symbolic link"));
            return ReadStatus::NotRegular;
        }
        setReason(reason, systemError(error));
        return error == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setReason(reason, QStringLiteral("not a regular file"));
        return ReadStatus::NotRegular;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        setReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
        return ReadStatus::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setReason(reason, file.errorString());
        return ReadStatus::Unreadable;
    }
    return readOpened(file, content, reason, maxBytes);
}
#endif

} // namespace

ReadStatus read(const QString& path, QByteArray* content, QString* reason, qint64 maxBytes, Links links)
{
    content->clear();
    if (path.isEmpty()) {
        setReason(reason, QStringLiteral("no file name"));
        return ReadStatus::Missing;
    }
    const QFileInfo info(path);
    if (links == Links::Refuse) {
#ifdef Q_OS_UNIX
        return readWithoutLinks(path, content, reason, maxBytes);
#else
        if (info.isSymLink()) {
            setReason(reason, QStringLiteral("a symbolic link"));
            return ReadStatus::NotRegular;
        }
#endif
    }
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
    return readOpened(file, content, reason, maxBytes);
}

void setWriteInterruption(void (*interrupt)(const QString& temporary))
{
    g_interruptWrite = interrupt;
}

} // namespace SafeFile
