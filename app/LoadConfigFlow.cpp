#include "app/LoadConfigFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "config/ConfigFile.h"
#include "link/UzentikDevice.h"

FlowOutcome ReadCheckedConfig(const QString& fileName, IniDocument& doc)
{
    QString reason;
    if (!ConfigFile::read(fileName, doc, nullptr, &reason))
        return FlowOutcome::unreadable(fileName, reason);
    const ConfigFile::CheckResult check = ConfigFile::check(doc);
    if (check.valid)
        return FlowOutcome::done();
    FlowOutcome invalid = FlowOutcome::of(FlowOutcome::Kind::InvalidFile);
    for (const ConfigFile::Problem& problem : check.problems)
        invalid.problems << problem.describe();
    return invalid;
}

void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run)
{
    TZENTIK& z = *context.zentik;
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    IniDocument doc;
    const FlowOutcome read = ReadCheckedConfig(fileName, doc);
    if (read.kind == FlowOutcome::Kind::UnreadableFile)
        return run.finish(read);
    if (read.kind == FlowOutcome::Kind::InvalidFile) {
        const FlowOutcome& invalid = read;
        const bool abandon = context.messages->questionAbout(
            context.language->LanguageText("MESSAGES", "021"), invalid.problems, MessageService::Answer::Yes);
        if (abandon)
            return run.finish(invalid);
        if (run.gone())
            return;
    }
    // The question let events through: a process may have started meanwhile, and the stores are its own.
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    ConfigFile::fill(doc, z.NewParameters, z.NewPages);
    Flow::runProcess(context, Process::LoadAllSettings, progressLabel, run,
                     [run](const FlowOutcome& outcome) { run.finish(outcome); });
}
