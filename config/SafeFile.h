// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program writes a file and reads an input file, and the lock of a file that several
// programs change. A write is whole or not at all: the content goes into a temporary file beside the
// target, reaches the disk, and only then takes the target's place, so a full disk, a crash or a signal
// leaves the old file as it was. An input is read only from a regular file and only up to a bound.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QLockFile;

namespace SafeFile {

// Far more than any input the program reads (1024 table words, a points file, a configuration file).
constexpr qint64 kMaxInputBytes = 1 << 20;

// Replaces the file at path by content. A file that is replaced keeps its owner, group and permissions, as
// writing into it would; a symbolic link is followed and the file it names is replaced. A target that
// exists and is not a regular file (a folder, a device, a pipe) is refused and left alone. False on any
// failure, with error "Unable to write to PATH" and reason the system's words; the old file is intact.
bool write(const QString& path, const QByteArray& content, QString* error = nullptr,
           QString* reason = nullptr);

// The "Unable to write to PATH" of a failed write.
QString writeErrorText(const QString& path);

enum class ReadStatus {
    Ok,
    Missing,    // no such file
    NotRegular, // a folder, a device, a pipe: never opened, so nothing blocks or runs without end
    TooLarge,   // larger than the bound
    Unreadable, // it exists and cannot be read (reason says why)
};

// Reads a regular file whole, at most maxBytes. reason gets the system's words (or ours) for anything but Ok.
ReadStatus read(const QString& path, QByteArray* content, QString* reason = nullptr,
                qint64 maxBytes = kMaxInputBytes);

// Whether path names something that exists and is not a regular file (after following symbolic links).
bool isNonRegular(const QString& path);

} // namespace SafeFile

// Holds the lock of a file shared between programs (SN.ini, options.ini, the history): a lock file beside
// it, PATH.lock, taken by every change so that each one re-reads the file under the lock and none is lost.
// A lock left by a program that died is taken over.
class FileLock
{
public:
    explicit FileLock(const QString& path, int waitMs = 10000);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const;
    // Why the lock could not be taken.
    QString errorString() const { return m_error; }

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};
