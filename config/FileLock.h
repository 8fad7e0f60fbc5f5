// SPDX-License-Identifier: GPL-3.0-or-later
// The lock of a file that several programs change (SN.ini, options.ini, the history).
#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Holds the lock of a file shared between programs (SN.ini, options.ini, the history): a lock file beside
// it, PATH.lock, taken by every change so that each one re-reads the file under the lock and none is lost.
// A lock whose holder cannot be alive is taken over at once: nobody holds it and it names no process (a
// program stopped between creating it and writing its process ID; an empty one is given a second) or one
// that has gone.
class FileLock
{
public:
    explicit FileLock(const QString& path, int waitMs = 10000);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const;
    // Why the lock could not be taken, with the system's words where it says why ("No space left on device").
    QString errorString() const { return m_error; }

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
    int m_removedWhenStopped = -1;
};
