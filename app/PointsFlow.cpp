// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PointsFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/ReadFlows.h"
#include "app/TableFlows.h"
#include "link/UzentikDevice.h"

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
        const qint32 total = TotalVolume(context.zentik->Parameters);
        if (total == 0)
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::VolumesUnknown));
        TableWords words{};
        QString error;
        if (!TableWordsOf(points, total, locale, &words, &error)) {
            context.messages->error(error);
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        }
        StartTableWrite(context, sensor, words, QString(), run);
    }));
}

void StartTableReadInLitres(const AppContext& context, int sensor,
                            std::function<void(const TableWords&, qint32 totalVolume)> present,
                            const FlowRun& run)
{
    StartConfigRead(context, run.continuedBy([context, sensor, present, run](const FlowOutcome& read) {
        if (!read.ok())
            return run.finish(read);
        StartTableRead(context, sensor, QString(),
                       run.continuedBy([context, sensor, present, run](const FlowOutcome& outcome) {
                           if (outcome.ok())
                               present(TableWordsRead(*context.zentik, sensor),
                                       TotalVolume(context.zentik->Parameters));
                           run.finish(outcome);
                       }));
    }));
}
