// SPDX-License-Identifier: GPL-3.0-or-later
// The files a stopped program must not leave behind: the temporary files of its writes under way and the
// lock files it holds, removed by the stop signals' handler, and the temporary files that programs stopped
// by force left.
#pragma once

#include <QByteArray>

namespace OwnFiles {

// What names a temporary file of the checked writer: TARGET.zentik-XXXXXX.
inline constexpr char kTemporaryMark[] = ".zentik-";
inline constexpr int kTemporaryRandomLength = 6; // mkstemp's XXXXXX

// The mkstemp template of a temporary file beside the file named.
inline QByteArray temporaryTemplate(const QByteArray& fileName)
{
    return fileName + kTemporaryMark + QByteArray(kTemporaryRandomLength, 'X');
}

// The slot that holds the name until released, or -1 when all are taken (the file then stays after a stop).
int add(const QByteArray& fileName);
void release(int slot);

// From now on SIGINT, SIGTERM and SIGHUP (unless ignored), and exit(), first remove the files held; the
// signal then ends the program as it would have (SafeFile::removeOwnFilesWhenStopped).
void removeWhenStopped();

// Removes what writes stopped by force (a kill -9 between writing and renaming) left in the folder: only
// regular files of this user named as temporary files of the checked writer, nobody writing them, untouched
// for a while.
void removeStaleTemporaries(const QByteArray& folder);

// Holds a name for its lifetime.
class RemovedWhenStopped
{
public:
    explicit RemovedWhenStopped(const QByteArray& fileName) : m_slot(add(fileName)) {}
    ~RemovedWhenStopped() { release(m_slot); }
    RemovedWhenStopped(const RemovedWhenStopped&) = delete;
    RemovedWhenStopped& operator=(const RemovedWhenStopped&) = delete;

private:
    int m_slot;
};

} // namespace OwnFiles
