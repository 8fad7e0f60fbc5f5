// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/PointsFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "calibration/TableMath.h"
#include "flows/ReadFlows.h"
#include "flows/TableFlows.h"
#include "link/UzentikDevice.h"

#include <algorithm>
#include <cmath>

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

bool ReviewPoints(const PointList& points, qint32 tankVolume, Interpolation method, const QLocale& locale,
                  PointsReview* review, QString* error, const QList<int>& expected)
{
    PointsReview result;
    if (!CalibrationPointsOf(points, locale, &result.points, error))
        return false;
    result.flags = CheckPoints(result.points);
    if (!expected.isEmpty())
        for (const PointFlag& flag : CheckExpectedCodes(result.points, expected))
            if (std::none_of(result.flags.begin(), result.flags.end(),
                             [&flag](const PointFlag& named) { return named.point == flag.point; }))
                result.flags << flag;
    double tank = tankVolume;
    if (tank <= 0)
        for (const CalibrationPoint& point : result.points)
            tank = std::max(tank, point.litres);
    result.error = EstimateTableError(result.points, method, tank);
    *review = std::move(result);
    return true;
}

QString PointFlagReason(const LanguageCatalog& language, const PointFlag& flag)
{
    const QString other = QString::number(flag.other + 1);
    const QString lowest = QString::number(std::lround(flag.lowestCode));
    const QString highest = QString::number(std::lround(flag.highestCode));
    switch (flag.reason) {
    case PointFlag::Reason::CodeFalls:
        return language
            .LanguageText("MESSAGES", "191", QStringLiteral("more volume than point %1 but a lower code"))
            .arg(other);
    case PointFlag::Reason::VolumeFalls:
        return language
            .LanguageText("MESSAGES", "192", QStringLiteral("a higher code than point %1 but less volume"))
            .arg(other);
    case PointFlag::Reason::OffTrend:
        return language
            .LanguageText("MESSAGES", "193",
                          QStringLiteral("off the curve of its neighbours, which puts its code between %1 "
                                         "and %2"))
            .arg(lowest, highest);
    case PointFlag::Reason::FarFromExpected:
        return language
            .LanguageText("MESSAGES", "194",
                          QStringLiteral("far from the planned code, which puts it between %1 and %2"))
            .arg(lowest, highest);
    }
    return QString();
}

QString PointFlagLine(const LanguageCatalog& language, const PointsReview& review, const PointFlag& flag,
                      const QLocale& locale)
{
    const CalibrationPoint& point = review.points.at(flag.point);
    return language.LanguageText("MESSAGES", "190", QStringLiteral("point %1 (%2 l, code %3): %4"))
        .arg(QString::number(flag.point + 1), FractionText(point.litres, locale), QString::number(point.code),
             PointFlagReason(language, flag));
}

QStringList PointFlagLines(const LanguageCatalog& language, const PointsReview& review, const QLocale& locale)
{
    QStringList lines;
    for (const PointFlag& flag : review.flags)
        lines << PointFlagLine(language, review, flag, locale);
    return lines;
}

QString TableErrorText(const LanguageCatalog& language, const ErrorEstimate& error, const QLocale& locale)
{
    return language.LanguageText("MESSAGES", "196", QStringLiteral("estimated table error: %1 l (%2 %)"))
        .arg(locale.toString(error.litres, 'f', 1), locale.toString(error.share * 100, 'f', 2));
}

QString InterpolationName(const LanguageCatalog& language, Interpolation method)
{
    return method == Interpolation::Monotone
               ? language.LanguageText("MESSAGES", "198", QStringLiteral("monotone"))
               : language.LanguageText("MESSAGES", "197", QStringLiteral("linear"));
}

namespace {

// Points that look mistyped are asked about before a table is made of them (No writes nothing). True to go
// on: none is flagged, or the answer was Yes.
bool AcceptFlaggedPoints(const AppContext& context, const PointsWrite& request, qint32 totalVolume,
                         const QLocale& locale)
{
    PointsReview review;
    QString error;
    // A text that is no number is the table's own check to report.
    if (!ReviewPoints(request.points, totalVolume, request.method, locale, &review, &error,
                      request.expectedCodes) ||
        review.flags.isEmpty())
        return true;
    const QString question =
        context.language
            ->LanguageText("MESSAGES", "195",
                           QStringLiteral("Points that look mistyped: %1. A table made from them bends where "
                                          "the tank does not. Write the table anyway?"))
            .arg(review.flags.size());
    return context.messages->questionAbout(question, PointFlagLines(*context.language, review, locale),
                                           MessageService::Answer::No);
}

} // namespace

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
        if (!AcceptFlaggedPoints(context, request, totalVolume, locale))
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        if (run.gone())
            return;
        if (!TableWordsOf(points, totalVolume, locale, &words, &error, request.method)) {
            context.messages->error(error);
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
        }
    }
    if (request.sending)
        request.sending(words);
    StartTableWrite(context, request.sensor, words, request.progressLabel, run);
}

void StartPointsWrite(const AppContext& context, int sensor, PointList points, Interpolation method,
                      const QLocale& locale, const FlowRun& run)
{
    QString error;
    // Checked on a copy: the points that look mistyped are named in the order they were given.
    if (PointList prepared = points; !TellPointsCheck(context, prepared.prepareForWrite(&error), error))
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::InvalidFile));
    StartConfigRead(
        context, run.continuedBy([context, sensor, points, method, locale, run](const FlowOutcome& read) {
            if (!read.ok())
                return run.finish(read);
            PointsWrite request;
            request.sensor = sensor;
            request.points = points;
            request.method = method;
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
