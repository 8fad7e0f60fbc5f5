// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/PourPlan.h"

#include <algorithm>
#include <cmath>

namespace {

double heightOfCode(const TankShape::Probe& probe, double code)
{
    return probe.offset + code * probe.length / kLastLevelCode;
}

double codeOfHeight(const TankShape::Probe& probe, double height)
{
    return (height - probe.offset) * kLastLevelCode / probe.length;
}

PourPlan planOfTotals(const TankShape::Tank& tank, const TankShape::Probe& probe, const QList<double>& totals)
{
    PourPlan plan;
    plan.emptyCode = CodeAtHeight(probe, 0);
    double before = 0;
    for (double total : totals) {
        plan.pours.append({total - before, total, CodeAtHeight(probe, HeightOfLitres(tank, total))});
        before = total;
    }
    return plan;
}

} // namespace

int CodeAtHeight(const TankShape::Probe& probe, double height)
{
    return int(std::lround(std::clamp(codeOfHeight(probe, height), 0.0, double(kLastLevelCode))));
}

double HeightOfLitres(const TankShape::Tank& tank, double litres)
{
    double low = 0, high = TankShape::innerHeight(tank);
    if (litres >= TankShape::litresAt(tank, high))
        return high;
    // Halving down to well below a micrometre.
    for (int i = 0; i < 60 && high - low > 1e-7; ++i) {
        const double middle = (low + high) / 2;
        (TankShape::litresAt(tank, middle) < litres ? low : high) = middle;
    }
    return (low + high) / 2;
}

PourPlan PlanEqualLevels(const TankShape::Tank& tank, const TankShape::Probe& probe, int pours)
{
    const double top = TankShape::innerHeight(tank);
    const double firstCode = std::max(0.0, std::ceil(codeOfHeight(probe, 0)));
    const double lastCode = std::min(double(kLastLevelCode), std::floor(codeOfHeight(probe, top)));
    QList<double> totals;
    if (probe.offset > 0)
        totals << TankShape::litresAt(tank, probe.offset);
    for (int i = 1; i <= pours; ++i) {
        const double code = std::round(firstCode + (lastCode - firstCode) * i / pours);
        totals << TankShape::litresAt(tank, heightOfCode(probe, code));
    }
    return planOfTotals(tank, probe, totals);
}

PourPlan PlanEqualVolumes(const TankShape::Tank& tank, const TankShape::Probe& probe, int pours)
{
    const double end = std::min(TankShape::innerHeight(tank), probe.offset + probe.length);
    const double last = TankShape::litresAt(tank, end);
    QList<double> totals;
    for (int i = 1; i <= pours; ++i)
        totals << last * i / pours;
    return planOfTotals(tank, probe, totals);
}

CalibrationPoints PointsOfPlan(const PourPlan& plan)
{
    CalibrationPoints points{{0, plan.emptyCode}};
    for (const PlannedPour& pour : plan.pours)
        points.append({pour.total, pour.code});
    return points;
}

QList<int> ExpectedCodesOf(const PourPlan& plan)
{
    QList<int> codes{plan.emptyCode};
    for (const PlannedPour& pour : plan.pours)
        codes << pour.code;
    return codes;
}
