// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/BackupFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/ProgressView.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"

#include <memory>

void StartBackup(const AppContext& context, BackupUse use, const FlowRun& run,
                 std::function<void(const std::optional<TParameters>& backup)> then)
{
    if (use == BackupUse::BeforeWrite && !BackupBeforeWrite(context))
        return then(std::nullopt);
    TZENTIK& z = *context.zentik;
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    // The read resets Parameters, which the windows show and compute from; they get it back as it was.
    auto shown = std::make_shared<TParameters>(z.Parameters);
    const auto read = [context, use, run, then, shown](const FlowOutcome& outcome) {
        TZENTIK& z = *context.zentik;
        TParameters backup = z.Parameters;
        z.Parameters = *shown;
        // Both tanks as kept, polled or not, so that writing the backup back restores them.
        if (outcome.ok()) {
            const std::array<qint32, 2> stored = StoredTankVolumes(context, backup.SerialNumber);
            backup.Volumes = {stored[0], stored[1], 0, 0};
        }
        if (run.gone()) {
            // Whoever asked for the write has gone: nothing is written, and the progress it would have
            // closed goes with it.
            if (context.progress)
                context.progress->finish();
            return;
        }
        if (outcome.kind == FlowOutcome::Kind::ProcessFailed) {
            FlowOutcome failed = outcome;
            failed.kind = FlowOutcome::Kind::BackupFailed;
            return run.finish(failed);
        }
        if (!outcome.ok())
            return run.finish(outcome);
        if (use == BackupUse::LookOnly) {
            KeepInHistoryOrWarn(context, backup, ControllerHistory::Event::Read);
        } else if (const FlowOutcome kept =
                       KeepInHistory(context, backup, ControllerHistory::Event::BeforeWrite);
                   !kept.ok()) {
            return run.finish(kept);
        }
        then(backup);
    };
    StartReadAll(context, context.language->LanguageText("MESSAGES", "060"), run.continuedBy(read),
                 ReadHistory::NotKept);
}
