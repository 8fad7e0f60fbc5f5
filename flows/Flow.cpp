// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/Flow.h"

#include "app/AppContext.h"
#include "app/ProgressView.h"
#include "link/Processes.h"
#include "ports/PortOpening.h"

#include <memory>

namespace {

// The keys in a configuration file of the setting this reading command asks for.
QString settingKeys(quint8 command)
{
    switch (command) {
    case Cmd::ReadPolling:
        return QStringLiteral("Sensor_on_0, Sensor_on_1");
    case Cmd::ReadAddress1:
        return QStringLiteral("Net_addr_0");
    case Cmd::ReadAddress2:
        return QStringLiteral("Net_addr_1");
    case Cmd::ReadGauge:
        return QStringLiteral("Inversion, Mult_Factor");
    case Cmd::ReadReserve:
        return QStringLiteral("trl");
    case Cmd::ReadInterval:
        return QStringLiteral("Interval");
    case Cmd::ReadOutputMode:
        return QStringLiteral("P_Mode");
    default:
        return QString();
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
    const int pages = z.PagesToMove(process);
    ProgressView* progress = pages > 0 ? context.progress : nullptr;
    if (progress)
        progress->prepare(progressLabel, pages - 1);
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
        if (z->LastError == Result::ReadBackDiffers) {
            if (z->Command.Request.Cmd == Cmd::ReadPage)
                failed.page = z->PageIndex;
            else
                failed.setting = settingKeys(z->Command.Request.Cmd);
        }
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
