// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/PointCheck.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// A point may lie this share of the step between its neighbours' codes outside the curve they draw...
constexpr double kTrendShare = 0.05;
// ...plus this many codes: a reading jitters by one code and each of the neighbours does too.
constexpr double kCodeJitter = 4;
// Beside a dry or covered probe the step before is all there is to go by: the curve may steepen from it.
constexpr double kLeastGrowth = 1.05;

// The points in order of volume, then code: a point dropped from the check is unlinked, its neighbours
// then look past it.
class VolumeOrder
{
public:
    explicit VolumeOrder(const CalibrationPoints& points) : m_points(points), m_order(points.size())
    {
        std::iota(m_order.begin(), m_order.end(), 0);
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return points[a].litres < points[b].litres ||
                   (points[a].litres == points[b].litres && points[a].code < points[b].code);
        });
        const int count = int(m_order.size());
        m_prev.resize(count);
        m_next.resize(count);
        for (int i = 0; i < count; ++i) {
            m_prev[i] = i - 1;
            m_next[i] = i + 1 < count ? i + 1 : -1;
        }
    }

    int size() const { return int(m_order.size()); }
    int pointAt(int position) const { return m_order[position]; }
    int prev(int position) const { return position < 0 ? -1 : m_prev[position]; }
    int next(int position) const { return position < 0 ? -1 : m_next[position]; }
    void unlink(int position)
    {
        if (m_prev[position] >= 0)
            m_next[m_prev[position]] = m_next[position];
        if (m_next[position] >= 0)
            m_prev[m_next[position]] = m_prev[position];
    }
    double litres(int position) const { return m_points[m_order[position]].litres; }
    double code(int position) const { return m_points[m_order[position]].code; }

private:
    const CalibrationPoints& m_points;
    QList<int> m_order;
    QList<int> m_prev;
    QList<int> m_next;
};

// The code the line through positions a and b gives at the volume of position p; false when a and b
// share their volume.
bool codeOnLine(const VolumeOrder& o, int a, int b, int p, double* code)
{
    if (a < 0 || b < 0 || o.litres(a) == o.litres(b))
        return false;
    *code = o.code(a) + (o.code(b) - o.code(a)) * (o.litres(p) - o.litres(a)) / (o.litres(b) - o.litres(a));
    return true;
}

struct Trend
{
    double lowest = 0;
    double highest = 0;
    double step = 0;
    double score = 0; // above 1: off the trend
};

// The probe does not reach the level yet; the empty tank too, as a probe starts above the bottom.
bool dry(const VolumeOrder& o, int position)
{
    return o.code(position) <= 0;
}

bool covered(const VolumeOrder& o, int position)
{
    return o.code(position) >= kLastLevelCode;
}

// Neither dry nor covered: the code tells the level.
bool wet(const VolumeOrder& o, int position)
{
    return position >= 0 && o.code(position) > 0 && o.code(position) < kLastLevelCode;
}

// How steep the curve may grow from position near away from position far, beside a probe that is dry or
// covered: the slope of the step between them, grown three times as much as it grew from the step beyond
// (farther, far), and by at least kLeastGrowth, as the top of a lying tank steepens fast. False when that
// step is not known.
bool steepestSlope(const VolumeOrder& o, int near, int far, int farther, double* slope)
{
    if (!wet(o, farther) || o.litres(near) == o.litres(far) || o.litres(far) == o.litres(farther))
        return false;
    const double last = (o.code(near) - o.code(far)) / (o.litres(near) - o.litres(far));
    const double previous = (o.code(far) - o.code(farther)) / (o.litres(far) - o.litres(farther));
    if (!(last > 0 && previous > 0))
        return false;
    const double growth = std::max(kLeastGrowth, last / previous);
    *slope = last * growth * growth * growth;
    return true;
}

// The codes the neighbours of position p allow. Between two neighbours the curve lies between their chord
// and the lines of the steps beyond them extended, where both lie on one side of the chord (the curve bends
// one way, as where the tank's width changes); where they lie on either side the curve turns from one bend
// into the other and stays as near the chord as the nearer of them. A dry or covered probe only says the
// level lies below or above its reach: a chord to such a neighbour bounds the curve on one side only, and no
// line is drawn through one. The curve never leaves the two neighbours' codes; the first and the last point
// only must not fall behind their one neighbour.
Trend trendAt(const VolumeOrder& o, int p)
{
    Trend t;
    const int a = o.prev(p);
    const int b = o.next(p);
    if (a < 0 && b < 0)
        return t;
    if (a < 0 || b < 0) {
        const int neighbour = a < 0 ? b : a;
        const int beyond = a < 0 ? o.next(b) : o.prev(a);
        t.lowest = a < 0 ? 0 : o.code(a);
        t.highest = a < 0 ? o.code(b) : kLastLevelCode;
        t.step = beyond < 0 ? 0 : std::abs(o.code(neighbour) - o.code(beyond)) / 2;
    } else {
        const double lowCode = std::min(o.code(a), o.code(b));
        const double highCode = std::max(o.code(a), o.code(b));
        const int farA = o.prev(a);
        const int farB = o.next(b);
        double chord = 0, before = 0, after = 0;
        const bool hasChord = codeOnLine(o, a, b, p, &chord);
        const bool hasBefore = wet(o, a) && wet(o, farA) && codeOnLine(o, farA, a, p, &before);
        const bool hasAfter = wet(o, b) && wet(o, farB) && codeOnLine(o, b, farB, p, &after);
        t.lowest = lowCode;
        t.highest = highCode;
        if (!hasChord || !wet(o, p) || (dry(o, a) && covered(o, b))) {
            // Only the order is known.
        } else if (dry(o, a)) {
            t.highest = hasAfter ? std::max(chord, after) : highCode;
            if (double steepest = 0; hasAfter && steepestSlope(o, b, farB, o.next(farB), &steepest))
                t.lowest = o.code(b) - steepest * (o.litres(b) - o.litres(p));
        } else if (covered(o, b)) {
            t.lowest = hasBefore ? std::min(chord, before) : lowCode;
            if (double steepest = 0; hasBefore && steepestSlope(o, a, farA, o.prev(farA), &steepest))
                t.highest = o.code(a) + steepest * (o.litres(p) - o.litres(a));
        } else if (!hasBefore && !hasAfter) {
            t.lowest = t.highest = chord;
        } else {
            const double low = std::min(hasBefore ? before : after, hasAfter ? after : before);
            const double high = std::max(hasBefore ? before : after, hasAfter ? after : before);
            if (high <= chord) {
                t.lowest = high;
                t.highest = chord;
            } else if (low >= chord) {
                t.lowest = chord;
                t.highest = low;
            } else {
                const double nearer = std::min(chord - low, high - chord);
                t.lowest = chord - nearer;
                t.highest = chord + nearer;
            }
        }
        t.lowest = std::clamp(t.lowest, lowCode, highCode);
        t.highest = std::clamp(t.highest, lowCode, highCode);
        t.step = (highCode - lowCode) / 2;
    }
    const double code = o.code(p);
    const double outside = std::max({t.lowest - code, code - t.highest, 0.0});
    t.score = outside / (kTrendShare * t.step + kCodeJitter);
    return t;
}

// The point nearest in volume to position p, among those still checked (score not below 0), that disagrees
// with it in order; -1 when none does.
int orderPartner(const VolumeOrder& o, const QList<Trend>& trends, int p)
{
    for (int distance = 1; distance < o.size(); ++distance) {
        const int before = p - distance;
        const int after = p + distance;
        if (before < 0 && after >= o.size())
            break;
        if (before >= 0 && trends[before].score >= 0 && o.code(before) > o.code(p) &&
            o.litres(before) < o.litres(p))
            return before;
        if (after < o.size() && trends[after].score >= 0 && o.code(after) < o.code(p) &&
            o.litres(after) > o.litres(p))
            return after;
    }
    return -1;
}

// Points out of step with the order they were typed in: between two neighbours that agree with each other
// in volume and code, but not between them in one of the two. A point typed wrongly stays in place and
// stands out so; its neighbours do not. Nothing is marked when the points were not typed in order (more
// than one in ten would stand out).
QList<bool> outOfTypedOrder(const CalibrationPoints& points)
{
    auto inOrder = [](const CalibrationPoint& a, const CalibrationPoint& b) {
        return a.litres <= b.litres && a.code <= b.code;
    };
    QList<bool> marked(points.size(), false);
    qsizetype count = 0;
    for (qsizetype i = 1; i + 1 < points.size(); ++i) {
        const CalibrationPoint& before = points[i - 1];
        const CalibrationPoint& after = points[i + 1];
        if (inOrder(before, after) && !(inOrder(before, points[i]) && inOrder(points[i], after))) {
            marked[i] = true;
            ++count;
        }
    }
    if (count > std::max<qsizetype>(1, points.size() / 10))
        marked.fill(false);
    return marked;
}

PointFlag orderFlag(const VolumeOrder& o, int p, int partner)
{
    PointFlag flag;
    flag.point = o.pointAt(p);
    flag.other = o.pointAt(partner);
    flag.reason =
        o.litres(p) > o.litres(partner) ? PointFlag::Reason::CodeFalls : PointFlag::Reason::VolumeFalls;
    return flag;
}

} // namespace

bool CalibrationPointsOf(const PointList& list, const QLocale& locale, CalibrationPoints* points,
                         QString* error)
{
    CalibrationPoints all;
    all.reserve(list.size());
    for (int i = 0; i < list.size(); ++i) {
        CalibrationPoint point;
        if (!TextToInteger(list.codes()[i], &point.code)) {
            *error = IntegerConversionError(list.codes()[i]);
            return false;
        }
        if (!TextToFloat(list.volumes()[i], locale, &point.litres)) {
            *error = FloatConversionError(list.volumes()[i]);
            return false;
        }
        all << point;
    }
    *points = std::move(all);
    return true;
}

QList<PointFlag> CheckPoints(const CalibrationPoints& points)
{
    VolumeOrder order(points);
    const int count = order.size();
    QList<Trend> trends(count);
    for (int p = 0; p < count; ++p)
        trends[p] = trendAt(order, p);
    const QList<bool> typedWrongly = outOfTypedOrder(points);
    // The worst point first, those out of their typed order before all others: once it is out of the way
    // its neighbours are judged without it.
    QList<int> suspects;
    QList<Trend> suspectTrends;
    for (;;) {
        int p = -1;
        for (int q = 0; q < count; ++q) {
            if (trends[q].score > 1 &&
                (p < 0 || std::pair(typedWrongly[order.pointAt(q)], trends[q].score) >
                              std::pair(typedWrongly[order.pointAt(p)], trends[p].score)))
                p = q;
        }
        if (p < 0)
            break;
        suspects << p;
        suspectTrends << trends[p];
        order.unlink(p);
        trends[p].score = -1;
        // A point's trend looks up to three points away.
        for (int q = order.prev(p), i = 0; q >= 0 && i < 3; q = order.prev(q), ++i)
            trends[q] = trendAt(order, q);
        for (int q = order.next(p), i = 0; q >= 0 && i < 3; q = order.next(q), ++i)
            trends[q] = trendAt(order, q);
    }
    QList<PointFlag> flags;
    for (int i = 0; i < suspects.size(); ++i) {
        const int p = suspects[i];
        if (const int partner = orderPartner(order, trends, p); partner >= 0) {
            flags << orderFlag(order, p, partner);
            continue;
        }
        PointFlag flag;
        flag.point = order.pointAt(p);
        flag.lowestCode = suspectTrends[i].lowest;
        flag.highestCode = suspectTrends[i].highest;
        const double outside =
            std::max(flag.lowestCode - points[flag.point].code, points[flag.point].code - flag.highestCode);
        flag.steps = suspectTrends[i].step > 0 ? outside / suspectTrends[i].step : 0;
        flags << flag;
    }
    // Falls too small to stand out from the trend still make the table turn back: of each pair the point
    // further off the trend is named.
    QList<bool> named(count, false);
    for (int p : suspects)
        named[p] = true;
    for (int p = 0; p < count; ++p) {
        const int before = order.prev(p);
        if (named[p] || before < 0 || order.code(p) >= order.code(before) ||
            order.litres(p) == order.litres(before))
            continue;
        const bool blameBefore = trends[before].score > trends[p].score && !named[before];
        const int blamed = blameBefore ? before : p;
        flags << orderFlag(order, blamed, blameBefore ? p : before);
        named[blamed] = true;
    }
    return flags;
}

QList<PointFlag> CheckExpectedCodes(const CalibrationPoints& points, const QList<int>& expected)
{
    QList<int> planned;
    for (int code : expected) {
        if (code >= 0)
            planned << code;
    }
    std::sort(planned.begin(), planned.end());
    planned.erase(std::unique(planned.begin(), planned.end()), planned.end());
    QList<PointFlag> flags;
    for (int i = 0; i < points.size() && i < expected.size(); ++i) {
        const int code = expected[i];
        if (code < 0)
            continue;
        const auto at = std::lower_bound(planned.begin(), planned.end(), code);
        double gap = kLastLevelCode;
        if (at != planned.begin())
            gap = std::min(gap, double(code - *(at - 1)));
        if (at + 1 != planned.end())
            gap = std::min(gap, double(*(at + 1) - code));
        const double slack = std::max(kCodeJitter, gap / 2);
        if (std::abs(points[i].code - code) <= slack)
            continue;
        PointFlag flag;
        flag.reason = PointFlag::Reason::FarFromExpected;
        flag.point = i;
        flag.lowestCode = code - slack;
        flag.highestCode = code + slack;
        flags << flag;
    }
    return flags;
}

ErrorEstimate EstimateTableError(const CalibrationPoints& points, Interpolation method, double tankLitres)
{
    QList<int> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return quint16(points[a].code) < quint16(points[b].code); });
    TNormDim sorted;
    sorted.reserve(order.size());
    for (int i : order)
        sorted.append({quint16(points[i].code), points[i].litres});
    ErrorEstimate estimate;
    const qsizetype count = sorted.size();
    // Without point k the curve at its code runs between its neighbours, whose slopes take in the next
    // point on either side, and whether either is a corner the point after that.
    constexpr qsizetype kReach = 3;
    for (qsizetype k = 1; k + 1 < count; ++k) {
        // Beside a dry or covered probe the table does not interpolate the level, and a code read more than
        // once takes one of its volumes: neither says how well the table follows the tank.
        if (sorted[k].N == sorted[k - 1].N || sorted[k].N == sorted[k + 1].N || sorted[k - 1].N == 0 ||
            sorted[k + 1].N >= kLastLevelCode)
            continue;
        TNormDim rest;
        for (qsizetype i = std::max<qsizetype>(0, k - kReach); i <= std::min(count - 1, k + kReach); ++i) {
            if (i != k)
                rest.append(sorted[i]);
        }
        const double value = method == Interpolation::Linear
                                 ? InterpolateFraction(rest, sorted[k].N)
                                 : MonotoneFraction(rest, MonotoneSlopes(rest), sorted[k].N);
        const double difference = std::abs(value - sorted[k].V);
        if (estimate.point < 0 || difference > estimate.litres) {
            estimate.litres = difference;
            estimate.point = order[k];
        }
    }
    estimate.share = tankLitres > 0 ? estimate.litres / tankLitres : 0;
    return estimate;
}
