// SPDX-License-Identifier: GPL-3.0-or-later
// SafeFile::read: an input read only from a regular file and only up to a bound.
#include "config/SafeFile.h"

#include "config/SystemError.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SafeFile {

namespace {

// The rest of a read once the file is open: at most maxBytes, and one byte past the bound tells that the
// file has grown since its size was looked at.
ReadStatus readOpened(QFile& file, QByteArray* content, QString* reason, qint64 maxBytes)
{
    *content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        SetReason(reason, file.errorString());
        content->clear();
        return ReadStatus::Unreadable;
    }
    if (content->size() > maxBytes) {
        SetReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
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
            SetReason(reason, QStringLiteral("a symbolic link"));
            return ReadStatus::NotRegular;
        }
        SetReason(reason, SystemErrorText(error));
        return error == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetReason(reason, QStringLiteral("not a regular file"));
        return ReadStatus::NotRegular;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        SetReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
        return ReadStatus::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        SetReason(reason, file.errorString());
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
        SetReason(reason, QStringLiteral("no file name"));
        return ReadStatus::Missing;
    }
    const QFileInfo info(path);
    if (links == Links::Refuse) {
#ifdef Q_OS_UNIX
        return readWithoutLinks(path, content, reason, maxBytes);
#else
        if (info.isSymLink()) {
            SetReason(reason, QStringLiteral("a symbolic link"));
            return ReadStatus::NotRegular;
        }
#endif
    }
    QFile file(path);
    if (!info.exists()) {
        // The system's own words: "No such file or directory", or why the folder cannot be searched.
        SetReason(reason, file.open(QIODevice::ReadOnly) ? QString() : file.errorString());
        return ReadStatus::Missing;
    }
    if (!info.isFile()) {
        SetReason(reason, QStringLiteral("not a regular file"));
        return ReadStatus::NotRegular;
    }
    if (info.size() > maxBytes) {
        SetReason(reason, QStringLiteral("larger than %1 bytes").arg(maxBytes));
        return ReadStatus::TooLarge;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        SetReason(reason, file.errorString());
        return ReadStatus::Unreadable;
    }
    return readOpened(file, content, reason, maxBytes);
}

} // namespace SafeFile
