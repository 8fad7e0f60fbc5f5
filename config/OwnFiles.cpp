// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OwnFiles.h"

#include "config/SafeFile.h"

#include <atomic>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdlib>
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

void SafeFile::removeOwnFilesWhenStopped()
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
