// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration points checked before a table is made of them: points out of order, points off the curve
// their neighbours draw, codes far from those a plan expects, and how far the table may be off between
// the points.
#pragma once

#include "calibration/Interpolation.h"

#include <QList>

// A point as typed: the cumulative volume in litres and the level code read at it.
struct CalibrationPoint
{
    double litres = 0;
    qint32 code = 0;
};
using CalibrationPoints = QList<CalibrationPoint>;

// The points of a point list; false, with the conversion error's text, for a text that is not a number.
bool CalibrationPointsOf(const PointList& list, const QLocale& locale, CalibrationPoints* points,
                         QString* error);

struct PointFlag
{
    enum class Reason {
        CodeFalls,       // more volume than point `other` but a lower code
        VolumeFalls,     // a higher code than point `other` but less volume
        OffTrend,        // off the curve its neighbours draw
        FarFromExpected, // the code lies far from the one planned for it
    };
    Reason reason = Reason::OffTrend;
    int point = -1; // index in the points checked
    int other = -1; // CodeFalls, VolumeFalls: the point it conflicts with
    // OffTrend: the codes its neighbours allow; FarFromExpected: the planned code less and plus the slack.
    double lowestCode = 0;
    double highestCode = 0;
    // OffTrend: how far outside, in steps between its neighbours' codes.
    double steps = 0;
};

// Points whose volume and code disagree with the others, the most suspicious first; each is named once.
// A point that disagrees in order with one not named is flagged for that (CodeFalls, VolumeFalls), any
// other for OffTrend. Repeated codes where the probe is dry (0) or covered (1023) are normal. Made for
// points typed in the order they were poured or sorted by code: a point typed wrongly there stands out
// among its neighbours in that order, and is named before them. Well below a millisecond for 1024 points.
QList<PointFlag> CheckPoints(const CalibrationPoints& points);

// Points whose code lies more than half the way to a neighbouring planned code from the one planned for
// it (and more than a reading's jitter). expected holds one planned code per point, -1 for none.
QList<PointFlag> CheckExpectedCodes(const CalibrationPoints& points, const QList<int>& expected);

struct ErrorEstimate
{
    double litres = 0;
    double share = 0; // of the tank's volume; 0 without one
    int point = -1;   // where it was found; -1 when no point could be left out
};

// How far the table of the points may lie off the true tank between them: each interior point is left out
// in turn, the table made from the rest by the method, and the largest difference at the left-out points
// is taken. Points sharing their code with another and points beside a dry (code 0) or covered (1023)
// probe are not left out. Linear in the number of points.
ErrorEstimate EstimateTableError(const CalibrationPoints& points, Interpolation method, double tankLitres);
