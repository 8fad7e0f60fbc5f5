// SPDX-License-Identifier: GPL-3.0-or-later
// A sensor's table from calibration points and back to litres, the one flow for the calibration window's
// Write and zentikctl's write-points: the checks before a table is written from points, the rule for
// volumes above the total volume, the points that look mistyped and the table's estimated error with their
// texts, and reading a table with the total volume its words are shares of.
#pragma once

#include "calibration/PointCheck.h"
#include "flows/Flow.h"

#include <optional>

class LanguageCatalog;
class QLocale;

// Tells the refusal of the check before a table is written from points (PointList::prepareForWrite) as
// the calibration window tells it: SENSOR 0012 or 0013 as a warning, or the conversion error. True, having
// said nothing, when the check passed.
bool TellPointsCheck(const AppContext& context, PointList::WriteCheck check, const QString& error);

// The question whether to go on with points whose volumes exceed the total volume (SENSOR 0040, or 0041
// when only one does).
QString VolumesAboveQuestion(const LanguageCatalog& language, const PointList::VolumesAbove& above,
                             qint32 totalVolume, const QLocale& locale);

// The one rule for volumes above the total volume, however the points came (typed, imported, read, made
// from the tank's shape): the table holds no more than the total, so such points are asked about
// (VolumesAboveQuestion, No the answer that takes nothing) before they replace other points or are
// written. True to go on: none lies above, or the answer was Yes.
bool AcceptVolumesAbove(const AppContext& context, const PointList& points, qint32 totalVolume,
                        const QLocale& locale);

// The points looked at as a table would be made of them: the points that look mistyped and how far the
// table may lie off between the points.
struct PointsReview
{
    CalibrationPoints points; // in the order given, which the flags' indices refer to
    QList<PointFlag> flags;
    ErrorEstimate error;
};
// The review of the points by the method; expected: the planned code of each point (-1 none), or empty.
// The error's share is of tankVolume (the calibration window passes its sensor's tank), or with none (0) of
// the largest volume among the points. False, with the conversion error's text, when a text is not a number.
bool ReviewPoints(const PointList& points, qint32 tankVolume, Interpolation method, const QLocale& locale,
                  PointsReview* review, QString* error, const QList<int>& expected = {});

// Why a point is flagged, in the user's language: what a tooltip says.
QString PointFlagReason(const LanguageCatalog& language, const PointFlag& flag);
// "point K (V l, code N): reason", K counted from 1 in the order the points were given.
QString PointFlagLine(const LanguageCatalog& language, const PointsReview& review, const PointFlag& flag,
                      const QLocale& locale);
QStringList PointFlagLines(const LanguageCatalog& language, const PointsReview& review,
                           const QLocale& locale);
// "estimated table error: X l (Y %)".
QString TableErrorText(const LanguageCatalog& language, const ErrorEstimate& error, const QLocale& locale);
// The method's name as the user reads it.
QString InterpolationName(const LanguageCatalog& language, Interpolation method);

// What a write of a table from points starts from.
struct PointsWrite
{
    int sensor = 1;
    PointList points;
    // A table read, with the points made from it: while the points are still those, its words are written
    // back as they were read, whatever the total volume is now.
    std::optional<TableWords> wordsRead;
    PointList pointsRead;
    // The volumes above the total have been asked about as these points came, and accepted.
    bool volumesAccepted = false;
    Interpolation method = Interpolation::Linear;
    // The code planned for each point (-1 none), checked as well; empty: no plan.
    QList<int> expectedCodes;
    // The front-end's own question, asked once the total volume is known to be there and before the
    // check (No writes nothing); none: not asked.
    QString confirm;
    QString progressLabel;
    // The points as the check left them (duplicates removed, sorted), also when it refused them.
    std::function<void(const PointList&)> readied;
    // The words about to be written.
    std::function<void(const TableWords&)> sending;
};

// Writes the table of the points over the total volume: a total of 0 ends VolumesUnknown (every word would
// be 0), the confirmation's No Cancelled, a refusal of the check (told by TellPointsCheck), No to the
// volumes above the total or No to the points that look mistyped (the question lists them) InvalidFile, all
// with nothing sent; then the table, computed by the method with the window's arithmetic in locale, goes
// to StartTableWrite.
void StartPointsWriteOver(const AppContext& context, const PointsWrite& request, qint32 totalVolume,
                          const QLocale& locale, const FlowRun& run);
// The same with the tank volumes of a configuration read first (zentikctl has no other): the points are
// checked before the read, so that a refusal sends nothing.
void StartPointsWrite(const AppContext& context, int sensor, PointList points, Interpolation method,
                      const QLocale& locale, const FlowRun& run);

// The configuration read, then the table of sensor 1 or 2; present gets the words and the total volume
// before the flow ends Done.
void StartTableReadInLitres(const AppContext& context, int sensor,
                            std::function<void(const TableWords&, qint32 totalVolume)> present,
                            const FlowRun& run);
