#include "app/ReadFlows.h"

#include "app/AppContext.h"
#include "config/TankVolumeStore.h"
#include "link/UzentikDevice.h"

namespace {

void readWithVolumes(const AppContext& context, int process, const QString& progressLabel, const FlowRun& run)
{
    Flow::runProcess(context, process, progressLabel, run, [context, run](const FlowOutcome& outcome) {
        // The controller keeps no tank volumes; the store holds them per serial number.
        if (outcome.ok())
            context.volumes->LoadTankVolumes(context.zentik->Parameters);
        run.finish(outcome);
    });
}

} // namespace

void StartConfigRead(const AppContext& context, const FlowRun& run)
{
    readWithVolumes(context, Process::ReadConfig, QString(), run);
}

void StartReadAll(const AppContext& context, const QString& progressLabel, const FlowRun& run)
{
    readWithVolumes(context, Process::ReadAllSettings, progressLabel, run);
}
