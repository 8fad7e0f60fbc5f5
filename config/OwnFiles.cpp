// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OwnFiles.h"

#include <atomic>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Filled and emptied on the program's threads, read by a signal handler: nothing here allocates or locks.
constexpr int kSlots = 32;
constexpr int kNameBytes = 4096;
enum { kFree, kFilling, kHeld };

struct Slot
{
    std::atomic<int> state{kFree};
    char name[kNameBytes];
};

Slot g_slots[kSlots];

#ifdef Q_OS_UNIX

// Async-signal-safe.
void removeAll()
{
    for (Slot& slot : g_slots)
        if (slot.state.load() == kHeld)
            ::unlink(slot.name);
}

void removeAllAndStop(int signal)
{
    removeAll();
    // The handler was reset on entry: raised again, the signal ends the program as it would have.
    ::raise(signal);
}

#endif

} // namespace

namespace OwnFiles {

int add(const QByteArray& fileName)
{
    if (fileName.size() >= kNameBytes)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        std::memcpy(g_slots[i].name, fileName.constData(), size_t(fileName.size()) + 1);
        g_slots[i].state.store(kHeld);
        return i;
    }
    return -1;
}

void release(int slot)
{
    if (slot >= 0 && slot < kSlots)
        g_slots[slot].state.store(kFree);
}

} // namespace OwnFiles

void OwnFiles::removeWhenStopped()
{
#ifdef Q_OS_UNIX
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // exit() from anywhere (Qt's own when the display goes away at logout) ends without the destructors.
    std::atexit(removeAll);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old
        {
        };
        // A signal the program was started to ignore (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action
        {
        };
        action.sa_handler = removeAllAndStop;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

#ifdef Q_OS_UNIX

namespace {

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

} // namespace

void OwnFiles::removeStaleTemporaries(const QByteArray& folder)
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

#else

void OwnFiles::removeStaleTemporaries(const QByteArray&) {}

#endif
