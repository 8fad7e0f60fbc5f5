// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Processes.h"

const ProcessKind* FindProcess(int id)
{
    for (const ProcessKind& kind : kProcesses)
        if (kind.id == id)
            return &kind;
    return nullptr;
}

bool StartProcess(TZENTIK& z, int process, int timeoutMs, QObject* receiver,
                  std::function<void(TZENTIK*)> done)
{
    const ProcessKind* kind = FindProcess(process);
    // The event belongs to the running process until it ends: binding it first would steal its end.
    if (!kind || z.IsBusy())
        return false;
    z.SetCompletionEvent(process, receiver, std::move(done));
    return (z.*kind->start)(timeoutMs);
}

bool StartReplacingConfigRead(TZENTIK& z, int timeoutMs, QObject* receiver,
                              std::function<void(TZENTIK*)> done)
{
    if (z.IsBusy() && !z.IsFreshConfigRead())
        return false;
    z.SetCompletionEvent(Process::ReadConfig, receiver, std::move(done));
    return z.ReplaceConfigRead(timeoutMs);
}
