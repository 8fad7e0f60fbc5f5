// SPDX-License-Identifier: GPL-3.0-or-later
// Level recoding table arithmetic: calibration points to the 1024 fractions of a sensor's table, the texts
// the calibration window keeps them in, and the conversion between fractions and the controller's words.
#pragma once

#include "link/ControllerData.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>

// One calibration point: the level code and its share of the total volume.
struct TNormPoint
{
    quint16 N = 0;
    double V = 0;
};
using TNormDim = QList<TNormPoint>;

using TFractionTable = std::array<double, kTableEntries>;

constexpr int kLastLevelCode = kTableEntries - 1;
// The table word that stands for the whole total volume.
constexpr double kWholeVolumeWord = 65535.0;
// Computed fractions are kept to five decimals.
constexpr qint32 kFractionScale = 100000;
// FindFreeCode results from here on refuse a new point.
constexpr qint32 kNoFreeCode = kTableEntries;

// x rounded to the nearest multiple of 1/a, halves away from zero. Only the fractional part is scaled,
// so the integer part loses no precision.
double RoundHalfAway(qint32 a, double x);

// The fraction for code n by piecewise-linear interpolation over points sorted by N (at least one
// point). Flat below the first and above the last point; a code equal to a repeated N takes the first
// of those points, codes after it interpolate from the last of them.
double InterpolateFraction(const TNormDim& points, quint16 n);

// Orders points by N, keeping the order of points with equal N.
void SortByCode(TNormDim& points);

// The 1024 table fractions of the points (in any order), each rounded to five decimals.
TFractionTable ComputeFractions(TNormDim points);

// The point array of a point grid's texts: N the low 16 bits of the whole-number N text, V the volume
// text over the total volume (0 for every point when the total is 0). False with the conversion error's
// text when a text does not read as a number.
bool BuildPointArray(const QStringList& volumeTexts, const QStringList& codeTexts, qint32 totalVolume,
                     const QLocale& locale, TNormDim* points, QString* error);

// Whole numbers as typed into a grid: optional leading blanks and sign, decimal digits, signed 32 bits.
bool TextToInteger(const QString& text, qint32* value);
// Decimal numbers with the locale's decimal separator and an optional exponent; blanks around allowed.
bool TextToFloat(const QString& text, const QLocale& locale, double* value);
// The general error handler's texts for a text that is not a number.
QString IntegerConversionError(const QString& text);
QString FloatConversionError(const QString& text);

// General number format with 15 significant digits: fixed notation from 0.0001 up to 15 integer digits,
// otherwise scientific ("1.5E-5"); no trailing zeros; the locale's decimal separator, no grouping.
QString FractionText(double value, const QLocale& locale);
// Litres with exactly three decimals and the locale's decimal separator.
QString VolumeText(double litres, const QLocale& locale);

// The table word of a fraction: fraction × 65535 rounded to nearest, ties to even. A fraction above 1
// (points above the total volume) gives 65535 and one below 0 gives 0: a wrapped word would tell the
// controller that a full tank is nearly empty.
quint16 FractionToWord(double fraction);
double WordToFraction(quint16 word);

// The free-code search that limits inserting points, over the points' level codes: the codes with -1
// added are sorted; for a step of 512, 256, … 1 a chain starts at -1 and jumps by the step whenever the
// walk (which leaves out the largest value) meets its current end; the first step whose end lies below
// 1022, or the last step, gives the result. kNoFreeCode or more refuses the insertion.
qint32 FindFreeCode(const QList<qint32>& codes);

// Points kept by halving a list of the given length: the first, every second after it and the last.
// Lists of two or fewer are kept whole.
QList<int> HalvedPositions(int count);
