// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/ReportFlow.h"

#include "app/AppContext.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"

void StartReport(const AppContext& context, std::function<FlowOutcome(const TParameters&)> present,
                 const QString& progressLabel, const FlowRun& run)
{
    StartReadAll(context, progressLabel, run.continuedBy([context, present, run](const FlowOutcome& read) {
        run.finish(read.ok() ? present(context.zentik->Parameters) : read);
    }));
}
