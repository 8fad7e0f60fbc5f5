// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/TableFlows.h"

#include "app/AppContext.h"
#include "flows/BackupFlow.h"
#include "link/UzentikDevice.h"

namespace {

// Selects the sensor's table and, for a write, sets its pages of NewPages; false, changing nothing, while
// another process runs, since the stores belong to it until it ends.
bool prepare(TZENTIK& z, int sensor, const TableWords* written)
{
    return z.SelectSensorTable(sensor) && (!written || z.SetNewTable(sensor, *written));
}

void transfer(const AppContext& context, int process, int sensor, const TableWords* written,
              const QString& progressLabel, const FlowRun& run,
              const std::optional<TParameters>& backup = std::nullopt)
{
    if (!prepare(*context.zentik, sensor, written))
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    const auto finish = [run](const FlowOutcome& outcome) { run.finish(outcome); };
    if (written)
        RunWrite(context, process, progressLabel, run, backup, finish);
    else
        Flow::runProcess(context, process, progressLabel, run, finish);
}

} // namespace

void StartTableRead(const AppContext& context, int sensor, const QString& progressLabel, const FlowRun& run)
{
    transfer(context, Process::ReadTable, sensor, nullptr, progressLabel, run);
}

void StartTableWrite(const AppContext& context, int sensor, const TableWords& words,
                     const QString& progressLabel, const FlowRun& run)
{
    if (context.zentik->IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    StartBackup(context, BackupUse::BeforeWrite, run,
                [context, sensor, words, progressLabel, run](const std::optional<TParameters>& backup) {
                    transfer(context, Process::WriteTable, sensor, &words, progressLabel, run, backup);
                });
}

TableWords TableWordsRead(const TZENTIK& z, int sensor)
{
    TableWords words{};
    const int first = FirstPageOfSensor(sensor);
    for (int n = 0; n < kTableEntries; ++n)
        words[n] = TableEntry(z.Parameters.Pages, first, n);
    return words;
}
