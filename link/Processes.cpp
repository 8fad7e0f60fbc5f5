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

int RunProcess(TZENTIK& z, int process, int timeoutMs, int waitMs)
{
    const ProcessKind* kind = FindProcess(process);
    // The event belongs to the running process until it ends: binding it first would steal its end.
    if (!kind || z.IsBusy())
        return ProcessRun::Refused;
    QEventLoop loop;
    bool done = false;
    TCompletionEvent& event = z.*kind->event;
    // Bound to the loop, so a completion after a run that gave up reaches nothing.
    event.bindFunction(&loop, [&done, &loop](TZENTIK*) {
        done = true;
        loop.quit();
    });
    if (!(z.*kind->start)(timeoutMs))
        return ProcessRun::Refused;
    if (!done) {
        if (waitMs >= 0)
            QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (event.receiver() == &loop)
        event.clear();
    return done ? z.LastError : ProcessRun::Unfinished;
}
