// SPDX-License-Identifier: GPL-3.0-or-later
// Volumes of the tank shapes against values worked out by hand, and the points a probe gives in them.

#include "calibration/PourPlan.h"
#include "calibration/TankShape.h"

#include <QTest>

using namespace TankShape;

Q_DECLARE_METATYPE(TankShape::Tank)
Q_DECLARE_METATYPE(TankShape::Probe)
Q_DECLARE_METATYPE(TankShape::Problem::Kind)
Q_DECLARE_METATYPE(TankShape::Field)
Q_DECLARE_METATYPE(Interpolation)
Q_DECLARE_METATYPE(CalibrationPoints)

namespace {

Tank tankOf(Form form, double a, double b, double c = 0, Ends ends = Ends::Flat)
{
    Tank tank;
    tank.form = form;
    tank.ends = ends;
    switch (form) {
    case Form::Rectangular: // length, width, height
        tank.length = a, tank.width = b, tank.height = c;
        break;
    case Form::Vertical: // diameter, height
        tank.diameter = a, tank.height = b;
        break;
    case Form::Horizontal: // diameter, length
        tank.diameter = a, tank.length = b;
        break;
    case Form::Elliptical: // width, height, length
        tank.width = a, tank.height = b, tank.length = c;
        break;
    }
    return tank;
}

const Tank kBox = tankOf(Form::Rectangular, 2000, 1000, 1500);
const Tank kStanding = tankOf(Form::Vertical, 1000, 2000);
const Tank kLyingFlat = tankOf(Form::Horizontal, 2000, 3000);
const Tank kLyingRound = tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Hemispherical);
const Tank kLyingHeads = tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Elliptical);
const Tank kOval = tankOf(Form::Elliptical, 3000, 2000, 4000);

Probe probeOf(double length, double offset, int points = kDefaultPoints)
{
    Probe probe;
    probe.length = length;
    probe.offset = offset;
    probe.points = points;
    return probe;
}

// The table of the points in litres.
TFractionTable curveOf(const CalibrationPoints& points, Interpolation method)
{
    TNormDim array;
    for (const CalibrationPoint& p : points)
        array.append({quint16(p.code), p.litres});
    return TableCurve(array, method);
}

// The worst difference in litres between the table of the points and the tank over the codes first to last.
double worstError(const Tank& tank, const Probe& probe, const CalibrationPoints& points, Interpolation method,
                  int first = 0, int last = kLastLevelCode)
{
    const TFractionTable table = curveOf(points, method);
    double worst = 0;
    for (int n = first; n <= last; ++n)
        worst =
            qMax(worst, qAbs(table[n] - litresAt(tank, probe.offset + probe.length * n / kLastLevelCode)));
    return worst;
}

QList<double> litresOf(const PointList& points)
{
    QList<double> litres;
    for (const QString& text : points.volumes())
        litres << text.toDouble();
    return litres;
}

} // namespace

class tst_tank_shape : public QObject
{
    Q_OBJECT

private slots:
    void litresAt_handWorkedValues_data();
    void litresAt_handWorkedValues();
    void lyingTanks_halfHighHoldHalfTheirVolume_data();
    void lyingTanks_halfHighHoldHalfTheirVolume();
    void codes_wholeAndRisingFrom0To1023_data();
    void codes_wholeAndRisingFrom0To1023();
    void points_volumesNeverFallAndStopAtBottomAndTop_data();
    void points_volumesNeverFallAndStopAtBottomAndTop();
    void check_namesTheFirstImpossibleValue_data();
    void check_namesTheFirstImpossibleValue();
    void plan_equalStepsFromTheProbesReach_data();
    void plan_equalStepsFromTheProbesReach();
    void lyingTank_smoothTableAndLevelStepsHalveTheError_data();
    void lyingTank_smoothTableAndLevelStepsHalveTheError();
    void errorEstimate_leavesOutOnePointAtATime_data();
    void errorEstimate_leavesOutOnePointAtATime();
};

void tst_tank_shape::litresAt_handWorkedValues_data()
{
    QTest::addColumn<Tank>("tank");
    QTest::addColumn<double>("h");
    QTest::addColumn<double>("litres");
    // Box 2000 × 1000 × 1500 mm: L·W·h = 2e6 mm² × h; 1 l = 1e6 mm³.
    QTest::newRow("box empty") << kBox << 0.0 << 0.0;
    QTest::newRow("box half") << kBox << 750.0 << 1500.0;   // 2e6 × 750 = 1.5e9 mm³
    QTest::newRow("box full") << kBox << 1500.0 << 3000.0;  // 2e6 × 1500 = 3e9 mm³
    QTest::newRow("box above") << kBox << 1600.0 << 3000.0; // spills over: full
    QTest::newRow("box below") << kBox << -5.0 << 0.0;
    // Standing cylinder D 1000, height 2000: π · 500² · h = 250000π mm² × h.
    QTest::newRow("standing empty") << kStanding << 0.0 << 0.0;
    QTest::newRow("standing half") << kStanding << 1000.0 << 785.398;  // 2.5e8π mm³
    QTest::newRow("standing full") << kStanding << 2000.0 << 1570.796; // 5e8π mm³
    // Lying cylinder D 2000 (R 1000), L 3000: L·[R²·acos((R−h)/R) − (R−h)·√(2Rh−h²)].
    //   h = 500:  1e6·acos(0.5) − 500·√(1e6 − 250000) = 1047197.55 − 433012.70 = 614184.85 mm²
    //   h = 1000: 1e6·acos(0) − 0 = 1570796.33 mm²;  h = 2000: 1e6·acos(−1) + 1000·0 = 3141592.65 mm²
    QTest::newRow("flat ends empty") << kLyingFlat << 0.0 << 0.0;
    QTest::newRow("flat ends quarter") << kLyingFlat << 500.0 << 1842.555; // × 3000
    QTest::newRow("flat ends half") << kLyingFlat << 1000.0 << 4712.389;
    QTest::newRow("flat ends full") << kLyingFlat << 2000.0 << 9424.778;
    // Hemispherical ends add a sphere of R 1000: π·h²·(3R−h)/3.
    //   h = 500: π·250000·2500/3 = 654.498 l; h = 1000: π·1e6·2000/3 = 2094.395 l; h = 2000: 4/3·π·1e9 l
    QTest::newRow("hemispherical empty") << kLyingRound << 0.0 << 0.0;
    QTest::newRow("hemispherical quarter") << kLyingRound << 500.0 << 2497.053; // 1842.555 + 654.498
    QTest::newRow("hemispherical half") << kLyingRound << 1000.0 << 6806.784;   // 4712.389 + 2094.395
    QTest::newRow("hemispherical full") << kLyingRound << 2000.0 << 13613.568;  // 9424.778 + 4188.790
    // 2:1 heads, a = D/4 = 500: π·a·h²·(3R−h)/(3R), half of the sphere's share above.
    QTest::newRow("2:1 heads empty") << kLyingHeads << 0.0 << 0.0;
    QTest::newRow("2:1 heads quarter") << kLyingHeads << 500.0 << 2169.804; // 1842.555 + 327.249
    QTest::newRow("2:1 heads half") << kLyingHeads << 1000.0 << 5759.587;   // 4712.389 + 1047.198
    QTest::newRow("2:1 heads full") << kLyingHeads << 2000.0 << 11519.173;  // 9424.778 + 2094.395
    // Oval section 3000 × 2000 (A 1500, B 1000), L 4000: L·(A/B)·[the circle's segment of radius B] =
    // 6000 × the segments above.
    QTest::newRow("oval empty") << kOval << 0.0 << 0.0;
    QTest::newRow("oval quarter") << kOval << 500.0 << 3685.109; // 6000 × 614184.85 mm²
    QTest::newRow("oval half") << kOval << 1000.0 << 9424.778;
    QTest::newRow("oval full") << kOval << 2000.0 << 18849.556;
    QTest::newRow("oval above") << kOval << 2001.0 << 18849.556;
}

void tst_tank_shape::litresAt_handWorkedValues()
{
    QFETCH(Tank, tank);
    QFETCH(double, h);
    QFETCH(double, litres);
    QVERIFY2(qAbs(litresAt(tank, h) - litres) < 0.0005,
             qPrintable(QString::number(litresAt(tank, h), 'f', 4)));
    if (h >= innerHeight(tank))
        QCOMPARE(fullLitres(tank), litresAt(tank, h));
}

void tst_tank_shape::lyingTanks_halfHighHoldHalfTheirVolume_data()
{
    QTest::addColumn<Tank>("tank");
    QTest::newRow("flat ends") << tankOf(Form::Horizontal, 1234, 5678);
    QTest::newRow("hemispherical") << tankOf(Form::Horizontal, 1234, 5678, 0, Ends::Hemispherical);
    QTest::newRow("2:1 heads") << tankOf(Form::Horizontal, 1234, 10, 0, Ends::Elliptical);
    QTest::newRow("oval") << tankOf(Form::Elliptical, 2500, 1400, 3300);
}

void tst_tank_shape::lyingTanks_halfHighHoldHalfTheirVolume()
{
    QFETCH(Tank, tank);
    QCOMPARE(litresAt(tank, innerHeight(tank) / 2), fullLitres(tank) / 2);
}

void tst_tank_shape::codes_wholeAndRisingFrom0To1023_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("second"); // the code of the second point
    QTest::newRow("2") << 2 << "1023";
    QTest::newRow("3") << 3 << "512"; // 511.5 rounded up
    QTest::newRow("32") << 32 << "33";
    QTest::newRow("1000") << 1000 << "1";
    QTest::newRow("1024") << 1024 << "1";
}

void tst_tank_shape::codes_wholeAndRisingFrom0To1023()
{
    QFETCH(int, count);
    const QStringList codes = calibrationPoints(kBox, probeOf(1500, 0, count), QLocale::c()).codes();
    QCOMPARE(codes.size(), count);
    QCOMPARE(codes.first(), QStringLiteral("0"));
    QCOMPARE(codes.last(), QStringLiteral("1023"));
    QTEST(codes[1], "second");
    // Evenly: the steps differ by one code at most.
    int smallest = kTableEntries, largest = 0;
    for (int i = 1; i < count; ++i) {
        const int step = codes[i].toInt() - codes[i - 1].toInt();
        smallest = qMin(smallest, step);
        largest = qMax(largest, step);
    }
    QVERIFY(smallest >= 1);
    QVERIFY(largest - smallest <= 1);
}

void tst_tank_shape::points_volumesNeverFallAndStopAtBottomAndTop_data()
{
    QTest::addColumn<Tank>("tank");
    QTest::addColumn<Probe>("probe");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    const QList<std::pair<const char*, Tank>> tanks = {{"box", kBox},
                                                       {"standing", kStanding},
                                                       {"flat ends", kLyingFlat},
                                                       {"hemispherical", kLyingRound},
                                                       {"2:1 heads", kLyingHeads},
                                                       {"oval", kOval}};
    for (const auto& [name, tank] : tanks) {
        const double height = innerHeight(tank);
        const double full = std::round(fullLitres(tank) * 1000) / 1000;
        QTest::addRow("%s, probe the tank's height", name) << tank << probeOf(height, 0, 1024) << 0.0 << full;
        // Starts below the bottom and ends above the top: 0 and full at both ends.
        QTest::addRow("%s, probe past both ends", name)
            << tank << probeOf(height * 1.5, -height / 4, 300) << 0.0 << full;
        const double firstLitres = std::round(litresAt(tank, height / 3) * 1000) / 1000;
        const double lastLitres = std::round(litresAt(tank, height * 0.9) * 1000) / 1000;
        QTest::addRow("%s, probe inside", name)
            << tank << probeOf(height * (0.9 - 1 / 3.0), height / 3, 17) << firstLitres << lastLitres;
    }
}

void tst_tank_shape::points_volumesNeverFallAndStopAtBottomAndTop()
{
    QFETCH(Tank, tank);
    QFETCH(Probe, probe);
    QVERIFY(check(tank, probe).ok());
    const QList<double> litres = litresOf(calibrationPoints(tank, probe, QLocale::c()));
    QCOMPARE(litres.size(), probe.points);
    for (int i = 1; i < litres.size(); ++i)
        QVERIFY2(litres[i] >= litres[i - 1], qPrintable(QString::number(i)));
    QTEST(litres.first(), "first");
    QTEST(litres.last(), "last");
}

void tst_tank_shape::check_namesTheFirstImpossibleValue_data()
{
    using Kind = Problem::Kind;
    QTest::addColumn<Tank>("tank");
    QTest::addColumn<Probe>("probe");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Field>("field");
    const Probe probe = probeOf(1000, 0);
    QTest::newRow("fine") << kBox << probe << Kind::None << Field::Length;
    QTest::newRow("no diameter") << tankOf(Form::Vertical, 0, 2000) << probe << Kind::NotPositive
                                 << Field::Diameter;
    QTest::newRow("negative width") << tankOf(Form::Rectangular, 100, -1, 100) << probe << Kind::NotPositive
                                    << Field::Width;
    QTest::newRow("height not a number")
        << tankOf(Form::Elliptical, 100, qQNaN(), 100) << probe << Kind::NotANumber << Field::Height;
    QTest::newRow("length infinite") << tankOf(Form::Horizontal, 100, qInf()) << probe << Kind::TooLarge
                                     << Field::Length;
    QTest::newRow("a dimension the form does not take")
        << tankOf(Form::Vertical, 1000, 1000, -5) << probe << Kind::None << Field::Length;
    QTest::newRow("probe 0") << kBox << probeOf(0, 0) << Kind::NotPositive << Field::ProbeLength;
    QTest::newRow("offset not a number") << kBox << probeOf(10, qQNaN()) << Kind::NotANumber << Field::Offset;
    QTest::newRow("1 point") << kBox << probeOf(1000, 0, 1) << Kind::OutOfRange << Field::Points;
    QTest::newRow("1025 points") << kBox << probeOf(1000, 0, 1025) << Kind::OutOfRange << Field::Points;
    QTest::newRow("probe ends at the bottom")
        << kBox << probeOf(500, -500) << Kind::ProbeBelowBottom << Field::Offset;
    QTest::newRow("probe starts at the top")
        << kBox << probeOf(500, 1500) << Kind::ProbeAboveTop << Field::Offset;
    QTest::newRow("lying: the top is the diameter")
        << kLyingRound << probeOf(500, 2000) << Kind::ProbeAboveTop << Field::Offset;
}

void tst_tank_shape::check_namesTheFirstImpossibleValue()
{
    QFETCH(Tank, tank);
    QFETCH(Probe, probe);
    const Problem problem = check(tank, probe);
    QTEST(problem.kind, "kind");
    if (!problem.ok())
        QTEST(problem.field, "field");
}

void tst_tank_shape::plan_equalStepsFromTheProbesReach_data()
{
    QTest::addColumn<Probe>("probe");
    QTest::addColumn<bool>("levels"); // equal level steps, else equal volumes
    QTest::addColumn<int>("emptyCode");
    QTest::addColumn<QList<int>>("codes"); // of the first two pours and the last
    // The lying tank with round ends, 2000 mm high.
    QTest::newRow("levels, probe from the bottom")
        << probeOf(2000, 0) << true << 0 << QList<int>{102, 205, 1023};
    // One pour fills up to the probe's start (code 0); the tank's top is code 1079, beyond the probe.
    QTest::newRow("levels, probe 100 mm up") << probeOf(1800, 100) << true << 0 << QList<int>{0, 102, 1023};
    // The bottom is code 102.3: the empty tank reads 102 and the steps start at 103.
    QTest::newRow("levels, probe below the bottom")
        << probeOf(2000, -200) << true << 102 << QList<int>{195, 287, 1023};
    // 10 % of the volume (1361 l) stands 336 mm high in this tank, 10 % of its lower half (681 l) 215 mm.
    QTest::newRow("volumes") << probeOf(2000, 0) << false << 0 << QList<int>{172, 271, 1023};
    QTest::newRow("volumes, probe ends below the top")
        << probeOf(1000, 0) << false << 0 << QList<int>{220, 344, 1023};
}

void tst_tank_shape::plan_equalStepsFromTheProbesReach()
{
    QFETCH(Probe, probe);
    QFETCH(bool, levels);
    QFETCH(QList<int>, codes);
    const PourPlan plan =
        levels ? PlanEqualLevels(kLyingRound, probe, 10) : PlanEqualVolumes(kLyingRound, probe, 10);
    QTEST(plan.emptyCode, "emptyCode");
    QCOMPARE(plan.pours.size(), probe.offset > 0 ? 11 : 10);
    QCOMPARE(QList<int>({plan.pours[0].code, plan.pours[1].code, plan.pours.last().code}), codes);
    double total = 0;
    for (const PlannedPour& pour : plan.pours) {
        total += pour.litres;
        QCOMPARE(pour.total, total);
        if (levels) // the volume at the height the code stands for
            QCOMPARE(pour.total,
                     litresAt(kLyingRound, probe.offset + pour.code * probe.length / kLastLevelCode));
        else
            QCOMPARE(pour.litres, plan.pours[0].litres);
    }
    const QList<int> expected = ExpectedCodesOf(plan);
    QCOMPARE(expected.size(), PointsOfPlan(plan).size());
    QVERIFY(CheckExpectedCodes(PointsOfPlan(plan), expected).isEmpty());
}

void tst_tank_shape::lyingTank_smoothTableAndLevelStepsHalveTheError_data()
{
    QTest::addColumn<Tank>("tank");
    QTest::newRow("flat ends") << kLyingFlat;
    QTest::newRow("hemispherical") << kLyingRound;
    QTest::newRow("2:1 heads") << kLyingHeads;
}

void tst_tank_shape::lyingTank_smoothTableAndLevelStepsHalveTheError()
{
    QFETCH(Tank, tank);
    const Probe probe = probeOf(innerHeight(tank), 0);
    const CalibrationPoints pours = PointsOfPlan(PlanEqualVolumes(tank, probe, 10));
    const CalibrationPoints steps = PointsOfPlan(PlanEqualLevels(tank, probe, 10));
    auto error = [&](const CalibrationPoints& points, Interpolation method) {
        return worstError(tank, probe, points, method);
    };
    for (const CalibrationPoints& points : {pours, steps})
        QVERIFY(error(points, Interpolation::Monotone) <= error(points, Interpolation::Linear) / 2);
    QVERIFY(error(steps, Interpolation::Linear) <= error(pours, Interpolation::Linear) * 0.6);
}

void tst_tank_shape::errorEstimate_leavesOutOnePointAtATime_data()
{
    QTest::addColumn<Interpolation>("method");
    QTest::addColumn<CalibrationPoints>("points"); // none: 16 pours filling the lying tank
    QTest::newRow("poured, linear") << Interpolation::Linear << CalibrationPoints{};
    QTest::newRow("poured, smooth") << Interpolation::Monotone << CalibrationPoints{};
    // Whether a neighbour of a left-out point is a corner takes in the third point beyond it.
    QTest::newRow("codes read with a jitter, smooth")
        << Interpolation::Monotone
        << CalibrationPoints{{0, 0},      {961, 179},  {1922, 295}, {2883, 399}, {3844, 496},
                             {4805, 592}, {5766, 690}, {6727, 793}, {7688, 910}, {8649, 1023}};
}

void tst_tank_shape::errorEstimate_leavesOutOnePointAtATime()
{
    QFETCH(Interpolation, method);
    QFETCH(CalibrationPoints, points);
    // The probe 250 mm up (860 l) and 50 mm below the top: the first pour is still dry, the last covers it.
    const Probe probe = probeOf(1700, 250);
    const bool poured = points.isEmpty();
    if (poured) {
        points.append({0, 0});
        for (int i = 1; i <= 16; ++i) {
            const double litres = i * fullLitres(kLyingRound) / 16;
            points.append({litres, CodeAtHeight(probe, HeightOfLitres(kLyingRound, litres))});
        }
        QVERIFY(points[1].code == 0 && points[2].code > 0);
        QVERIFY(points[15].code < kLastLevelCode && points[16].code == kLastLevelCode);
    }
    const ErrorEstimate estimate = EstimateTableError(points, method, fullLitres(kLyingRound));
    // Each point between wet neighbours left out of the whole table in turn.
    double largest = 0;
    int at = -1;
    for (int k = 1; k + 1 < points.size(); ++k) {
        if (points[k - 1].code == 0 || points[k + 1].code == kLastLevelCode)
            continue;
        CalibrationPoints rest = points;
        rest.removeAt(k);
        const double difference = qAbs(curveOf(rest, method)[points[k].code] - points[k].litres);
        if (difference > largest)
            largest = difference, at = k;
    }
    QCOMPARE(estimate.point, at);
    QVERIFY(qAbs(estimate.litres - largest) < 1e-9);
    QCOMPARE(estimate.share, estimate.litres / fullLitres(kLyingRound));
    if (poured) { // within three times the true error between the second and the last-but-one point
        const double truth = worstError(kLyingRound, probe, points, method, 1, points[15].code);
        QVERIFY2(estimate.litres < 3 * truth && estimate.litres > truth / 3,
                 qPrintable(QStringLiteral("%1 against %2").arg(estimate.litres).arg(truth)));
    }
}

QTEST_APPLESS_MAIN(tst_tank_shape)
#include "tst_tank_shape.moc"
