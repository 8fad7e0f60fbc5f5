// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistoryKeeping.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "history/RegisterKeeping.h"
#include "link/UzentikDevice.h"
#include "ports/PortFactory.h"

#include <QDir>

namespace {

QString historyFailure(const AppContext& context, const QString& reason)
{
    return context.language->LanguageText("MESSAGES", "061")
               .arg(QDir::toNativeSeparators(context.history->folder())) +
           QLatin1Char('\n') + reason;
}

// Keeps the version in the history and queues it for the team register.
bool keep(const AppContext& context, const TParameters& p, ControllerHistory::Event event, QString* reason)
{
    const QDateTime at = QDateTime::currentDateTimeUtc();
    QString path;
    if (!context.history->record(p, event, reason, &path, at))
        return false;
    QueueForRegister(context, path, p.SerialNumber, event, at);
    return true;
}

} // namespace

bool KeepsHistory(const AppContext& context)
{
    const QString port = context.zentik->ComPort->portName();
    return context.history && !IsFilePort(port) && port != kSimulatedPortName;
}

bool BackupBeforeWrite(const AppContext& context)
{
    // The simulated controller is read and its write reviewed as a real one's, but nothing of it is kept.
    return context.history && !IsFilePort(context.zentik->ComPort->portName()) && !context.noBackup &&
           (!context.options || context.options->backup());
}

void KeepInHistoryOrWarn(const AppContext& context, const TParameters& p, ControllerHistory::Event event)
{
    if (!KeepsHistory(context))
        return;
    QString reason;
    if (!keep(context, p, event, &reason))
        context.messages->warning(historyFailure(context, reason));
}

FlowOutcome KeepBackupOfWrite(const AppContext& context, const TParameters& backup, QString* path)
{
    if (!KeepsHistory(context))
        return FlowOutcome::done();
    QString reason;
    const QDateTime at = QDateTime::currentDateTimeUtc();
    QString kept;
    if (context.history->recordWrite(backup, &reason, &kept, at)) {
        QueueForRegister(context, kept, backup.SerialNumber, ControllerHistory::Event::BeforeWrite, at);
        if (path)
            *path = kept;
        return FlowOutcome::done();
    }
    // The write that needed the backup is not made.
    return FlowOutcome::of(FlowOutcome::Kind::FileError,
                           historyFailure(context, reason) + QLatin1Char('\n') +
                               context.language->LanguageText("MESSAGES", "062"));
}

void NoteWriteWithoutBackup(const AppContext& context, const QString& serial)
{
    QString reason;
    if (KeepsHistory(context) && !context.history->recordWriteWithoutBackup(serial, &reason))
        context.messages->warning(historyFailure(context, reason));
}
