// SPDX-License-Identifier: GPL-3.0-or-later
// The two ways a table follows its points: straight lines between them, or a smooth curve that never turns
// back where the points do not; the 1024 fractions and the curve to draw by either.
#pragma once

#include "calibration/PointList.h"
#include "calibration/TableMath.h"

#include <QList>

// The value of the options file's Interpolation key.
enum class Interpolation {
    Linear = 0,
    Monotone = 1, // piecewise-cubic with Fritsch-Carlson slopes: MonotoneSlopes
};

// Any value other than 1 is the straight lines a table has always been computed with.
Interpolation InterpolationOfOption(qint32 value);

// The smooth curve's slope (fraction per code) at a point, arriving from the point before and leaving for
// the next. The two differ only where one stretch ends and the next begins at the point.
struct PointSlopes
{
    double in = 0;
    double out = 0;
};

// The slopes of the smooth curve at each point of points sorted by N. Points with strictly rising N form a
// stretch; a repeated N ends one stretch and starts the next, as the straight lines jump there. So does a
// point where the curve keeps the steps on either side straight: where they turn no more than rounding
// codes to whole numbers explains (a straight tank), or where they run straight but turn sharply at it (a
// change of the tank's width), as one slope there would bend both. Inside a stretch the slope is 0
// where the neighbouring steps differ in sign or either is flat, otherwise their weighted harmonic mean;
// at its ends the three-point estimate, clipped so the curve cannot turn back. A stretch of two points is
// a straight line.
QList<PointSlopes> MonotoneSlopes(const TNormDim& sorted);

// The smooth curve's fraction at code n over sorted points with their MonotoneSlopes: flat outside the
// points, the point's own V at its N (the first of equal N, as with straight lines).
double MonotoneFraction(const TNormDim& sorted, const QList<PointSlopes>& slopes, int n);

// The fraction of every code by the method, unrounded: the curve the table holds, as a chart draws it.
TFractionTable TableCurve(TNormDim points, Interpolation method);

// The 1024 table fractions of points in any order, rounded to five decimals. Linear is exactly
// ComputeFractions(points).
TFractionTable ComputeFractions(TNormDim points, Interpolation method);

// TableTextsOf and TableWordsOf by the method; with Linear they are those two.
bool TableTextsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, QStringList* texts,
                  QString* error, Interpolation method);
bool TableWordsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, TableWords* words,
                  QString* error, Interpolation method);
