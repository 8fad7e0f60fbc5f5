#include "link/Processes.h"

#include <QEventLoop>
#include <QTimer>

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
    (z.*kind->event).bindFunction(receiver, std::move(done));
    return (z.*kind->start)(timeoutMs);
}

bool StartReplacingConfigRead(TZENTIK& z, int timeoutMs, QObject* receiver,
                              std::function<void(TZENTIK*)> done)
{
    if (z.IsBusy() && !z.IsFreshConfigRead())
        return false;
    z.OnConfigRead.bindFunction(receiver, std::move(done));
    return z.ReplaceConfigRead(timeoutMs);
}

int RunProcess(TZENTIK& z, int process, int timeoutMs, int waitMs)
{
    QEventLoop loop;
    bool done = false;
    // Bound to the loop, so a completion after a run that gave up reaches nothing.
    if (!StartProcess(z, process, timeoutMs, &loop, [&done, &loop](TZENTIK*) {
            done = true;
            loop.quit();
        }))
        return ProcessRun::Refused;
    TCompletionEvent& event = z.*FindProcess(process)->event;
    if (!done) {
        if (waitMs >= 0)
            QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (event.receiver() == &loop)
        event.clear();
    return done ? z.LastError : ProcessRun::Unfinished;
}
