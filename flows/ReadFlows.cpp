// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/ReadFlows.h"

#include "app/AppContext.h"
#include "config/TankVolumeStore.h"
#include "history/HistoryKeeping.h"
#include "link/UzentikDevice.h"

namespace {

void readWithVolumes(const AppContext& context, int process, const QString& progressLabel, const FlowRun& run,
                     Flow::Start start, bool keep = false)
{
    const auto then = [context, run, keep](const FlowOutcome& outcome) {
        // The controller keeps no tank volumes; the store holds them per serial number.
        if (outcome.ok())
            context.zentik->FillPolledTankVolumes(
                StoredTankVolumes(context, context.zentik->Parameters.SerialNumber));
        if (outcome.ok() && keep)
            KeepInHistoryOrWarn(context, context.zentik->Parameters, ControllerHistory::Event::Read);
        run.finish(outcome);
    };
    Flow::runProcess(context, process, progressLabel, run, then, start);
}

} // namespace

void StartConfigRead(const AppContext& context, const FlowRun& run, Flow::Start start)
{
    readWithVolumes(context, Process::ReadConfig, QString(), run, start);
}

void StartReadAll(const AppContext& context, const QString& progressLabel, const FlowRun& run,
                  ReadHistory history)
{
    readWithVolumes(context, Process::ReadAllSettings, progressLabel, run, Flow::Start::WhenIdle,
                    history == ReadHistory::KeptAsRead);
}

std::array<qint32, 2> StoredTankVolumes(const AppContext& context, const QString& serialNumber)
{
    if (const SerialLink* line = context.zentik->ComPort->link())
        if (const std::optional<std::array<qint32, 2>> own = line->tankVolumes())
            return *own;
    return context.volumes->StoredVolumes(serialNumber);
}
