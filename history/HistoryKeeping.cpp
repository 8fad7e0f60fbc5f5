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
    const QDateTime at = QDateTime::currentDateTime();
    QString path;
    if (!context.history->record(p, event, reason, &path, at))
        return false;
    QueueForRegister(context, path, p.SerialNumber, event, at);
    return true;
}

} // namespace

bool KeepsHistory(const AppContext& context)
{
    return context.history && !IsFilePort(context.zentik->ComPort->portName());
}

bool BackupBeforeWrite(const AppContext& context)
{
    return KeepsHistory(context) && !context.noBackup && (!context.options || context.options->backup());
}

FlowOutcome KeepInHistory(const AppContext& context, const TParameters& p, ControllerHistory::Event event)
{
    if (!KeepsHistory(context))
        return FlowOutcome::done();
    QString reason;
    if (keep(context, p, event, &reason))
        return FlowOutcome::done();
    return FlowOutcome::of(FlowOutcome::Kind::FileError,
                           historyFailure(context, reason) + QLatin1Char('\n') +
                               context.language->LanguageText("MESSAGES", "062"));
}

void KeepInHistoryOrWarn(const AppContext& context, const TParameters& p, ControllerHistory::Event event)
{
    if (!KeepsHistory(context))
        return;
    QString reason;
    if (!keep(context, p, event, &reason))
        context.messages->warning(historyFailure(context, reason));
}
