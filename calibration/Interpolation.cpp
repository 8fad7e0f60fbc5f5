// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/Interpolation.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCornerTurn = 0.1;
constexpr double kCornerSharpness = 3;

int signOf(double x)
{
    return (x > 0) - (x < 0);
}

double interiorSlope(double hBefore, double dBefore, double hAfter, double dAfter)
{
    if (signOf(dBefore) * signOf(dAfter) <= 0)
        return 0;
    const double w1 = 2 * hAfter + hBefore;
    const double w2 = hAfter + 2 * hBefore;
    return (w1 + w2) / (w1 / dBefore + w2 / dAfter);
}

// The slope at the end of a stretch whose last step is (h, d) and the step next to it (hNext, dNext).
double endSlope(double h, double d, double hNext, double dNext)
{
    const double slope = ((2 * h + hNext) * d - h * dNext) / (h + hNext);
    if (signOf(slope) != signOf(d))
        return 0;
    // Beyond three times the step's own slope the cubic would overshoot the next point.
    if (signOf(d) != signOf(dNext) && std::abs(slope) > 3 * std::abs(d))
        return 3 * d;
    return slope;
}

// Whether the curve keeps the steps on either side of point i straight, meeting in a corner there: where
// they turn no more than rounding the codes to whole numbers explains (a straight tank), and where they
// turn by a tenth or more between steps that run straight (their slopes change less than a third as much;
// the tank's width changes at the point). One slope at the point would bend the steps on both sides.
bool keepsStepsStraight(const TNormDim& sorted, qsizetype first, qsizetype last, qsizetype i)
{
    auto h = [&](qsizetype k) { return double(sorted[k + 1].N) - sorted[k].N; };
    auto d = [&](qsizetype k) { return (sorted[k + 1].V - sorted[k].V) / h(k); };
    const double before = d(i - 1);
    const double after = d(i);
    const double turn = std::abs(after - before);
    // Each step's codes may be half a code off at either end.
    if (turn <= std::abs(before) / h(i - 1) + std::abs(after) / h(i))
        return true;
    // Whether the steps beside run straight needs a step beyond at least on one side.
    if (turn < kCornerTurn * std::max(std::abs(before), std::abs(after)) || (i - 2 < first && i + 2 > last))
        return false;
    const double wobble =
        (i - 2 >= first ? std::abs(before - d(i - 2)) : 0) + (i + 2 <= last ? std::abs(d(i + 1) - after) : 0);
    return turn > kCornerSharpness * wobble;
}

// Index of the first point with N >= n.
qsizetype firstNotBelow(const TNormDim& sorted, int n)
{
    return std::lower_bound(sorted.begin(), sorted.end(), n,
                            [](const TNormPoint& p, int code) { return int(p.N) < code; }) -
           sorted.begin();
}

} // namespace

Interpolation InterpolationOfOption(qint32 value)
{
    return value == int(Interpolation::Monotone) ? Interpolation::Monotone : Interpolation::Linear;
}

QList<PointSlopes> MonotoneSlopes(const TNormDim& sorted)
{
    const qsizetype count = sorted.size();
    QList<PointSlopes> slopes(count);
    auto h = [&](qsizetype i) { return double(sorted[i + 1].N) - sorted[i].N; };
    auto d = [&](qsizetype i) { return (sorted[i + 1].V - sorted[i].V) / h(i); };
    // Between first and last the curve is one cubic piece after another.
    auto fit = [&](qsizetype first, qsizetype last) {
        if (last - first == 1) {
            slopes[first].out = slopes[last].in = d(first);
            return;
        }
        slopes[first].out = endSlope(h(first), d(first), h(first + 1), d(first + 1));
        slopes[last].in = endSlope(h(last - 1), d(last - 1), h(last - 2), d(last - 2));
        for (qsizetype i = first + 1; i < last; ++i)
            slopes[i].in = slopes[i].out = interiorSlope(h(i - 1), d(i - 1), h(i), d(i));
    };
    qsizetype first = 0;
    while (first < count) {
        qsizetype last = first;
        while (last + 1 < count && sorted[last + 1].N > sorted[last].N)
            ++last;
        qsizetype from = first;
        for (qsizetype i = first + 1; i < last; ++i) {
            if (keepsStepsStraight(sorted, first, last, i)) {
                fit(from, i);
                from = i;
            }
        }
        if (last > from)
            fit(from, last);
        slopes[first].in = slopes[first].out;
        slopes[last].out = slopes[last].in;
        first = last + 1;
    }
    return slopes;
}

double MonotoneFraction(const TNormDim& sorted, const QList<PointSlopes>& slopes, int n)
{
    const qsizetype i = firstNotBelow(sorted, n);
    if (i == sorted.size())
        return sorted.last().V;
    if (i == 0 || int(sorted[i].N) == n)
        return sorted[i].V;
    const TNormPoint& lo = sorted[i - 1];
    const TNormPoint& hi = sorted[i];
    const double h = double(hi.N) - lo.N;
    const double t = (n - lo.N) / h;
    const double u = 1 - t;
    const double value = lo.V * (1 + 2 * t) * u * u + hi.V * t * t * (3 - 2 * t) +
                         h * t * u * (slopes[i - 1].out * u - slopes[i].in * t);
    // Keeps rounding from stepping outside the two points the curve runs between.
    return std::clamp(value, std::min(lo.V, hi.V), std::max(lo.V, hi.V));
}

TFractionTable TableCurve(TNormDim points, Interpolation method)
{
    SortByCode(points);
    TFractionTable curve{};
    if (method == Interpolation::Linear) {
        for (int n = 0; n < kTableEntries; ++n)
            curve[n] = InterpolateFraction(points, static_cast<quint16>(n));
        return curve;
    }
    const QList<PointSlopes> slopes = MonotoneSlopes(points);
    for (int n = 0; n < kTableEntries; ++n)
        curve[n] = MonotoneFraction(points, slopes, n);
    return curve;
}

TFractionTable ComputeFractions(TNormDim points, Interpolation method)
{
    if (method == Interpolation::Linear)
        return ComputeFractions(std::move(points));
    TFractionTable table = TableCurve(std::move(points), method);
    for (double& fraction : table)
        fraction = RoundHalfAway(kFractionScale, fraction);
    return table;
}

bool TableTextsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, QStringList* texts,
                  QString* error, Interpolation method)
{
    if (method == Interpolation::Linear)
        return TableTextsOf(points, totalVolume, locale, texts, error);
    TNormDim array;
    if (!BuildPointArray(points.volumes(), points.codes(), totalVolume, locale, &array, error))
        return false;
    QStringList all;
    all.reserve(kTableEntries);
    for (double fraction : ComputeFractions(std::move(array), method))
        all << FractionText(fraction, locale);
    *texts = std::move(all);
    return true;
}

bool TableWordsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, TableWords* words,
                  QString* error, Interpolation method)
{
    QStringList texts;
    return TableTextsOf(points, totalVolume, locale, &texts, error, method) &&
           WordsOfTableTexts(texts, locale, words, error);
}
