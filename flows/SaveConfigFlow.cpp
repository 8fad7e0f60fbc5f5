// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/SaveConfigFlow.h"

#include "app/AppContext.h"
#include "config/ConfigFile.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"

void StartConfigFileSave(const AppContext& context, std::function<QString()> fileName,
                         const QString& progressLabel, const FlowRun& run)
{
    StartReadAll(context, progressLabel, run.continuedBy([context, fileName, run](const FlowOutcome& read) {
        if (!read.ok())
            return run.finish(read);
        const QString name = fileName();
        if (name.isEmpty())
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::Cancelled));
        QString error;
        QString reason;
        if (!ConfigFile::write(name, context.zentik->Parameters, &error, &reason))
            return run.finish(FlowOutcome::unwritable(error, reason));
        run.finish(FlowOutcome::of(FlowOutcome::Kind::Done, name));
    }));
}
