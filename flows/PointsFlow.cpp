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
    const QString text =
        above.count == 1
            ? language.LanguageText(
                  "SENSOR", "0041",
                  QStringLiteral(
                      "%1 of the imported volumes exceeds the total volume of %2 l: it is %3 l. The "
                      "table holds no more than the total volume. Import the points anyway?"))
            : language.LanguageText(
                  "SENSOR", "0040",
                  QStringLiteral("%1 of the imported volumes exceed the total volume of %2 l; the largest is "
                                 "%3 l. The table holds no more than the total volume. Import the points "
                                 "anyway?"));
    return text.arg(QString::number(above.count), QString::number(totalVolume),
                    FractionText(above.largest, locale));
}

bool AcceptVolumesAbove(const AppContext& context, const PointList& points, qint32 totalVolume,
                        const QLocale& locale)
{
    const PointList::VolumesAbove above = points.volumesAbove(totalVolume, locale);
    return above.count == 0 ||
           context.messages->question(VolumesAboveQuestion(*context.language, above, totalVolume, locale),
                                      MessageService::Answer::No);
}

void StartPointsWriteOver(const AppContext& context, const PointsWrite& request, qint32 totalVolume,
                          const QLocale& locale, const FlowRun& run)
{
    const bool asRead = request.wordsRead && request.points == request.pointsRead;
    // With no tank volume every point's share of it is 0: the table computed from them would be all zeros.
    if (!asRead && totalVolume == 0)
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::VolumesUnknown));
    if (!request.confirm.isEmpty()) {
        if (!context.messages->question(request.confirm, MessageService::Answer::No))
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::Cancelled));
        if (run.gone())
            return;
    }
    PointList points = request.points;
    QString error;
    const PointList::WriteCheck check = points.prepareForWrite(&error);
    if (request.readied)
        request.readied(points);
    if (!TellPointsCheck(context, check, error))
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
    TableWords words{};
    if (asRead) {
        words = *request.wordsRead;
    } else {
        // Points above the total would end as a table full long before its top code.
        if (!request.volumesAccepted && !AcceptVolumesAbove(context, points, totalVolume, locale))
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        if (run.gone())
            return;
        if (!TableWordsOf(points, totalVolume, locale, &words, &error)) {
            context.messages->error(error);
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        }
    }
    if (request.sending)
        request.sending(words);
    StartTableWrite(context, request.sensor, words, request.progressLabel, run);
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
        PointsWrite request;
        request.sensor = sensor;
        request.points = points;
        StartPointsWriteOver(context, request, TotalVolume(context.zentik->Parameters), locale, run);
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
