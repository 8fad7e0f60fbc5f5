// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/VerifyFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "flows/LoadConfigFlow.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"

#include <memory>

void StartConfigVerify(const AppContext& context, const QString& fileName, const QString& progressLabel,
                       std::function<void(const ConfigCompare::Result&)> present, const FlowRun& run)
{
    if (context.zentik->IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    auto file = std::make_shared<IniDocument>();
    const FlowOutcome read = ReadCheckedConfig(fileName, *file);
    if (read.kind == FlowOutcome::Kind::InvalidFile)
        context.messages->informationAbout(context.language->LanguageText("MESSAGES", "031"), read.problems);
    if (!read.ok())
        return run.finish(read);
    StartReadAll(
        context, progressLabel,
        run.continuedBy([context, file, present = std::move(present), run](const FlowOutcome& outcome) {
            if (!outcome.ok())
                return run.finish(outcome);
            const ConfigCompare::Result result = ConfigCompare::compare(*file, context.zentik->Parameters);
            present(result);
            run.finish(result.matches() ? FlowOutcome::done() : FlowOutcome::of(FlowOutcome::Kind::Differs));
        }));
}
