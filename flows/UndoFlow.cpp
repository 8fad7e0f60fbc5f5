// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/UndoFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "flows/LoadConfigFlow.h"
#include "flows/ReadFlows.h"
#include "history/HistoryKeeping.h"
#include "link/UzentikDevice.h"
#include "ports/FilePort.h"

void StartUndo(const AppContext& context, const QString& progressLabel, const FlowRun& run,
               std::function<void(const QString& version)> version)
{
    StartConfigRead(context, run.continuedBy([context, progressLabel, run, version](const FlowOutcome& read) {
        if (read.kind == FlowOutcome::Kind::ProcessFailed) {
            FlowOutcome failed = read; // a read before a write, told as the backup's would be
            failed.kind = FlowOutcome::Kind::BackupFailed;
            return run.finish(failed);
        }
        if (!read.ok())
            return run.finish(read);
        // A file standing in for a controller has no history: a backup of the controller its ID names is
        // never written into the file, nor the file's state into that controller.
        const QString port = context.zentik->ComPort->portName();
        if (IsFilePort(port))
            return run.finish(
                FlowOutcome::of(FlowOutcome::Kind::NothingToUndo,
                                context.language->LanguageText("MESSAGES", "104").arg(FilePortPath(port))));
        const QString serial = context.zentik->Parameters.SerialNumber;
        const std::optional<ControllerHistory::Version> backup =
            KeepsHistory(context) ? context.history->newest(serial, ControllerHistory::Event::BeforeWrite)
                                  : std::nullopt;
        if (!backup)
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::NothingToUndo,
                                              context.language->LanguageText("MESSAGES", "072").arg(serial)));
        if (version)
            version(backup->path);
        StartConfigLoad(context, backup->path, progressLabel, run);
    }));
}
