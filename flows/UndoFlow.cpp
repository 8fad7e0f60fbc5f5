// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/UndoFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "flows/LoadConfigFlow.h"
#include "flows/ReadFlows.h"
#include "history/HistoryKeeping.h"
#include "link/UzentikDevice.h"
#include "ports/FilePort.h"

#include <QDir>

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
        const LanguageCatalog& language = *context.language;
        const ControllerHistory::UndoChoice choice =
            KeepsHistory(context) ? context.history->undoChoice(serial) : ControllerHistory::UndoChoice();
        if (!choice.skipped.isEmpty()) {
            QStringList lines;
            for (const ControllerHistory::Skipped& s : choice.skipped)
                lines << language.LanguageText("MESSAGES", "178")
                             .arg(QDir::toNativeSeparators(s.path),
                                  s.future ? language.LanguageText("MESSAGES", "179").arg(s.reason)
                                           : s.reason);
            context.messages->warning(lines.join(QLatin1Char('\n')));
        }
        if (choice.writeWithoutBackup)
            return run.finish(
                FlowOutcome::of(FlowOutcome::Kind::NothingToUndo,
                                language.LanguageText("MESSAGES", "180")
                                    .arg(serial, choice.writeWithoutBackup->toLocalTime().toString(
                                                     QStringLiteral("yyyy-MM-dd HH:mm:ss")))));
        if (!choice.backup)
            return run.finish(FlowOutcome::of(
                FlowOutcome::Kind::NothingToUndo,
                language.LanguageText("MESSAGES", choice.skipped.isEmpty() ? "072" : "181").arg(serial)));
        if (version)
            version(choice.backup->path);
        StartConfigLoad(context, choice.backup->path, progressLabel, run);
    }));
}
