// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program writes a file and reads an input file (the lock of a file that several programs
// change is FileLock). A write is whole or not at all: the content goes into a temporary file beside the
// target, reaches the disk, and only then takes the target's place, so a full disk, a crash or a signal
// leaves the old file as it was. An input is read only from a regular file and only up to a bound.
#pragma once

#include <QByteArray>
#include <QString>

namespace SafeFile {

// Far more than any input the program reads (1024 table words, a points file, a configuration file).
constexpr qint64 kMaxInputBytes = 1 << 20;

// What a write does with a symbolic link, or anything else, already at its path.
enum class Target {
    FollowLink, // a link is followed and the file it names is replaced (the user's own files)
    NoLink,     // never written through a link: a link at the path is itself replaced by the file
    NewOnly,    // only where nothing is yet, not even a dangling link; otherwise "File exists"
};

// Replaces the file at path by content. A file that is replaced keeps its owner, group and permissions, as
// writing into it would. A target that exists and is not a regular file (a folder, a device, a pipe) is
// refused and left alone. False on any failure, with error "Unable to write to PATH" and reason the
// system's words; the old file is intact. The temporary file of a write is named PATH.zentik-XXXXXX; one
// that a program stopped by force left in the folder is removed by the next write there once it is stale.
bool write(const QString& path, const QByteArray& content, QString* error = nullptr,
           QString* reason = nullptr, Target target = Target::FollowLink);

// The "Unable to write to PATH" of a failed write.
QString writeErrorText(const QString& path);

enum class ReadStatus {
    Ok,
    Missing,    // no such file
    NotRegular, // a folder, a device, a pipe: never opened, so nothing blocks or runs without end
    TooLarge,   // larger than the bound
    Unreadable, // it exists and cannot be read (reason says why)
};

enum class Links { Follow, Refuse };

// Reads a regular file whole, at most maxBytes. reason gets the system's words (or ours) for anything but Ok.
// With Links::Refuse a symbolic link is NotRegular, whatever it names.
ReadStatus read(const QString& path, QByteArray* content, QString* reason = nullptr,
                qint64 maxBytes = kMaxInputBytes, Links links = Links::Follow);

// Whether path names something that exists and is not a regular file (after following symbolic links).
bool isNonRegular(const QString& path);

// From now on SIGINT, SIGTERM and SIGHUP (unless ignored), and exit(), first remove the temporary files of
// the writes under way and the lock files this program holds; the signal then ends the program as it would
// have. Each program calls it once at start.
void removeOwnFilesWhenStopped();

// Tests stop a write half-way: called with the temporary file's name once the content is in it, before it
// takes the target's place.
void setWriteInterruption(void (*interrupt)(const QString& temporary));

} // namespace SafeFile
