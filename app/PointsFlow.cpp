#include "app/PointsFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/ProgressView.h"
#include "app/ReadFlows.h"
#include "app/TableFlows.h"
#include "link/UzentikDevice.h"

namespace {

// The table transfers as steps of a flow, over the calibration window's table flows.
void transferTable(const AppContext& context, int sensor, const TableWords* written, const FlowRun& run,
                   std::function<void(const FlowOutcome&, const TableWords&)> then)
{
    const auto ended = [context, then](const FlowOutcome& outcome, const TableWords& words) {
        if (context.progress)
            context.progress->finish();
        then(outcome, words);
    };
    TZENTIK& z = *context.zentik;
    const TableFlows::Start start =
        written ? TableFlows::startWrite(z, sensor, *written, context.timeoutMs, run.receiver(),
                                         [ended](const FlowOutcome& outcome) { ended(outcome, {}); })
                : TableFlows::startRead(z, sensor, context.timeoutMs, run.receiver(), ended);
    if (start == TableFlows::Start::Refused)
        return then(FlowOutcome::of(FlowOutcome::Kind::Busy), {});
    if (start == TableFlows::Start::Running)
        TableFlows::showProgress(context.progress, QString());
}

} // namespace

bool TellPointsCheck(const AppContext& context, PointList::WriteCheck check, const QString& error)
{
    switch (check) {
    case PointList::WriteCheck::Passed:
        return true;
    case PointList::WriteCheck::NotANumber:
        context.messages->error(error);
        return false;
    case PointList::WriteCheck::FirstCodeNotZero:
        context.messages->warning(context.language->LanguageText("SENSOR", "0012"));
        return false;
    case PointList::WriteCheck::LastCodeNotLast:
        context.messages->warning(context.language->LanguageText("SENSOR", "0013"));
        return false;
    }
    return false;
}

void StartPointsWrite(const AppContext& context, int sensor, PointList points, const QLocale& locale,
                      const FlowRun& run)
{
    QString error;
    if (!TellPointsCheck(context, points.prepareForWrite(&error), error))
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
    StartConfigRead(context, run.continuedBy([context, sensor, points, locale, run](const FlowOutcome& read) {
        if (!read.ok())
            return run.finish(read);
        TableWords words{};
        QString error;
        if (!TableWordsOf(points, TotalVolume(context.zentik->Parameters), locale, &words, &error)) {
            context.messages->error(error);
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        }
        transferTable(context, sensor, &words, run,
                      [run](const FlowOutcome& written, const TableWords&) { run.finish(written); });
    }));
}

void StartTableReadInLitres(const AppContext& context, int sensor,
                            std::function<void(const TableWords&, qint32 totalVolume)> present,
                            const FlowRun& run)
{
    StartConfigRead(context, run.continuedBy([context, sensor, present, run](const FlowOutcome& read) {
        if (!read.ok())
            return run.finish(read);
        transferTable(context, sensor, nullptr, run,
                      [context, present, run](const FlowOutcome& outcome, const TableWords& words) {
                          if (outcome.ok())
                              present(words, TotalVolume(context.zentik->Parameters));
                          run.finish(outcome);
                      });
    }));
}
