// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/BackupFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "app/ProgressView.h"
#include "config/TankVolumeStore.h"
#include "flows/ReadFlows.h"
#include "link/Frames.h"
#include "link/Processes.h"
#include "link/UzentikDevice.h"
#include "ports/FilePort.h"

#include <memory>

bool WriteDiffers(const AppContext& context, int process, const TParameters& held)
{
    const TZENTIK& z = *context.zentik;
    const auto pagesDiffer = [&](int first, int count) {
        for (int page = first; page < first + count; ++page)
            if (z.NewPages[page] != held.Pages[page])
                return true;
        return false;
    };
    if (process == Process::WriteTable)
        return pagesDiffer(qBound(0, int(z.PageIndex), kPageCount - kSensorPages), kSensorPages);
    if (DifferingSettings(held, z.NewParameters) > 0 ||
        (process == Process::LoadAllSettings && pagesDiffer(0, kPageCount)))
        return true;
    // The tank volumes are kept on this computer: a write that changes only them still has to go through,
    // since it is what stores them.
    const std::array<qint32, 2> stored = StoredTankVolumes(context, held.SerialNumber);
    for (int n = 0; n < 2; ++n)
        if (!KeepsStoredVolume(z.NewParameters, n) && z.NewParameters.Volumes[n] != stored[n])
            return true;
    return false;
}

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
        z.RestoreParameters(*shown);
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
        if (use == BackupUse::LookOnly)
            KeepInHistoryOrWarn(context, backup, ControllerHistory::Event::Read);
        then(backup);
    };
    StartReadAll(context, context.language->LanguageText("MESSAGES", "060"), run.continuedBy(read),
                 ReadHistory::NotKept);
}

void RunWrite(const AppContext& context, int process, const QString& progressLabel, const FlowRun& run,
              const std::optional<TParameters>& backup, FlowDone then, const std::optional<TParameters>& held)
{
    const std::optional<TParameters> known =
        (held || backup) && (!context.options || context.options->writeChanged()) ? (backup ? backup : held)
                                                                                  : std::nullopt;
    if (known && !WriteDiffers(context, process, *known))
        return then(FlowOutcome::of(FlowOutcome::Kind::AlreadyHeld));
    const bool readBack = !context.options || context.options->verifyWrite();
    auto kept = std::make_shared<QString>();
    const FlowRun noted = run.preparedBy([context, backup, kept, known, readBack] {
        // A version in the history is never changed, not even opened as a configuration file to write.
        if (const QString file = FilePortPath(context.zentik->ComPort->portName());
            !file.isEmpty() && context.history && context.history->holds(file))
            return FlowOutcome::of(FlowOutcome::Kind::FileError,
                                   context.language->LanguageText("MESSAGES", "182").arg(file));
        const FlowOutcome ready =
            backup ? KeepBackupOfWrite(context, *backup, kept.get()) : FlowOutcome::done();
        // Set only for the write about to start: a plan left behind would hold a stale read.
        if (ready.ok())
            context.zentik->SetWritePlan(known, readBack);
        return ready;
    });
    Flow::runProcess(context, process, progressLabel, noted,
                     [context, process, backup, kept, then](const FlowOutcome& outcome) {
                         const TZENTIK& z = *context.zentik;
                         // The configuration is written only once the controller's serial number has been
                         // read; a page only once it is stored.
                         const bool changedNothing =
                             outcome.kind == FlowOutcome::Kind::ProcessFailed &&
                             (process == Process::WriteTable ? z.PagesStored == 0
                                                             : z.WrittenSerialNumber.isEmpty());
                         if (!kept->isEmpty() && changedNothing)
                             context.history->forgetWrite(backup->SerialNumber, *kept);
                         else if (!backup && !z.WrittenSerialNumber.isEmpty() &&
                                  (outcome.ok() || outcome.kind == FlowOutcome::Kind::ProcessFailed))
                             NoteWriteWithoutBackup(context, z.WrittenSerialNumber);
                         then(outcome);
                     });
}
