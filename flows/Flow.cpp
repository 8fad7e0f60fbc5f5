// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/Flow.h"

#include "app/AppContext.h"
#include "app/ProgressView.h"
#include "link/Processes.h"
#include "ports/PortOpening.h"

#include <memory>

namespace {

// The pages a process moves; 0 for the configuration alone.
int pagesOf(int process)
{
    switch (process) {
    case Process::ReadTable:
    case Process::WriteTable:
        return kSensorPages;
    case Process::ReadAllSettings:
    case Process::LoadAllSettings:
        return kPageCount;
    default:
        return 0;
    }
}

} // namespace

void Flow::runProcess(const AppContext& context, int process, const QString& progressLabel,
                      const FlowRun& run, FlowDone then, Start start)
{
    TZENTIK& z = *context.zentik;
    const bool replacing = start == Start::MayReplaceFreshConfigRead && process == Process::ReadConfig;
    if (z.IsBusy() && !(replacing && z.IsFreshConfigRead()))
        return then(FlowOutcome::of(FlowOutcome::Kind::Busy));
    const FlowOutcome before = run.beforeProcess();
    if (!before.ok())
        return then(before);
    ProgressView* progress = pagesOf(process) > 0 ? context.progress : nullptr;
    if (progress)
        progress->prepare(progressLabel, pagesOf(process) - 1);
    auto ended = std::make_shared<bool>(false);
    const bool closesProgress = run.processClosesProgress();
    // A port that could not be opened fails the process with 2 as a vanished one does; the failure then
    // says which it was.
    const bool portWasOpen = z.ComPort->isOpen();
    auto completion = [progress, closesProgress, ended, then, portWasOpen,
                       system = context.system](TZENTIK* z) {
        *ended = true;
        if (progress && closesProgress)
            progress->finish();
        if (z->LastError == Result::Success)
            return then(FlowOutcome::done());
        FlowOutcome failed = FlowOutcome::processFailed(z->LastError, z->LastErrorText);
        failed.port = z->ComPort->portName();
        if (z->LastError == Result::PortWriteFailed && !portWasOpen)
            failed.portFailure = LastOpenFailure(*z, system).value_or(PortFailure());
        if (z->LastError >= Result::RejectedReadPage && z->LastError <= Result::RejectedPageNumber)
            failed.page = z->PageIndex;
        then(failed);
    };
    const bool started =
        replacing ? StartReplacingConfigRead(z, context.timeoutMs, run.receiver(), std::move(completion))
                  : StartProcess(z, process, context.timeoutMs, run.receiver(), std::move(completion));
    if (!started)
        return then(FlowOutcome::of(FlowOutcome::Kind::Busy));
    // A process whose first request could not be written has already ended and said so.
    if (progress && !*ended)
        progress->showModal();
}
