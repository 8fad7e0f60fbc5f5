// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/PointsFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "calibration/TableMath.h"
#include "flows/ReadFlows.h"
#include "flows/TableFlows.h"
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

QString VolumesAboveQuestion(const LanguageCatalog& language, const PointList::VolumesAbove& above,
                             qint32 totalVolume, const QLocale& locale)
{
    return language
        .LanguageText(
            "SENSOR", "0040",
            QStringLiteral("%1 of the imported volumes exceed the total volume of %2 l; the largest is "
                           "%3 l. The table holds no more than the total volume. Import the points "
                           "anyway?"))
        .arg(QString::number(above.count), QString::number(totalVolume), FractionText(above.largest, locale));
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
        // The table holds no more than the total volume: points above it would end as a table full long
        // before its top code. Asked as an import asks; the answer that writes nothing is No.
        if (const PointList::VolumesAbove above = points.volumesAbove(total, locale); above.count > 0) {
            const QString question = VolumesAboveQuestion(*context.language, above, total, locale);
            if (!context.messages->question(question, MessageService::Answer::No))
                return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
            if (run.gone())
                return;
        }
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
