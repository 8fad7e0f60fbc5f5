// SPDX-License-Identifier: GPL-3.0-or-later
// How good the tables and the point checks are against true tank geometry: the worst error of straight-line
// and smooth tables from equal pours and from equal level steps, how often the check names a mistyped point
// and how often it flags a clean set, how the error estimate compares with the true error, and how fast the
// smooth table and the check are on 1024 points, and zentikctl check-points on them as a whole process.
// Seeded: every run prints the same figures.

#include "calibration/PourPlan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

using TankShape::Ends;
using TankShape::Form;

// A tank as a volume over height; the two-width tank is not one of TankShape's forms.
struct Shape
{
    std::function<double(double)> litres; // at a height in millimetres
    double height = 0;
};

Shape shapeOf(const TankShape::Tank& tank)
{
    return {[tank](double h) { return TankShape::litresAt(tank, h); }, TankShape::innerHeight(tank)};
}

// A box whose width changes at one height.
Shape twoWidths(double length, double lowerWidth, double upperWidth, double height, double kink)
{
    return {[=](double h) {
                h = std::clamp(h, 0.0, height);
                const double lower = std::min(h, kink);
                const double upper = std::max(0.0, h - kink);
                return length * (lowerWidth * lower + upperWidth * upper) / 1e6;
            },
            height};
}

TankShape::Tank tankOf(Form form, double a, double b, double c = 0, Ends ends = Ends::Flat)
{
    TankShape::Tank tank;
    tank.form = form;
    tank.ends = ends;
    if (form == Form::Rectangular)
        tank.length = a, tank.width = b, tank.height = c;
    else if (form == Form::Vertical)
        tank.diameter = a, tank.height = b;
    else if (form == Form::Horizontal)
        tank.diameter = a, tank.length = b;
    else
        tank.width = a, tank.height = b, tank.length = c;
    return tank;
}

double heightOf(const Shape& shape, double litres)
{
    double low = 0, high = shape.height;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2;
        (shape.litres(middle) < litres ? low : high) = middle;
    }
    return (low + high) / 2;
}

struct ProbeAt
{
    double offset = 0;
    double length = 0;
    double height(double code) const { return offset + code * length / kLastLevelCode; }
    double code(double height) const { return (height - offset) * kLastLevelCode / length; }
};

TNormDim arrayOf(const CalibrationPoints& points)
{
    TNormDim array;
    for (const CalibrationPoint& p : points)
        array.append({quint16(p.code), p.litres});
    return array;
}

// The largest difference in litres between the table of the points and the tank over the codes from first
// to last; the table rounded as written when whole is given.
double worstError(const Shape& shape, const ProbeAt& probe, const CalibrationPoints& points,
                  Interpolation method, int first = 0, int last = kLastLevelCode, double whole = 0)
{
    TNormDim array = arrayOf(points);
    if (whole > 0) {
        for (TNormPoint& p : array)
            p.V /= whole;
    }
    const TFractionTable table = whole > 0 ? ComputeFractions(array, method) : TableCurve(array, method);
    double worst = 0;
    for (int n = first; n <= last; ++n) {
        const double litres = whole > 0 ? table[n] * whole : table[n];
        worst = std::max(worst, std::abs(litres - shape.litres(probe.height(n))));
    }
    return worst;
}

// ---- Tables from 10 pours against the true tank ----

struct NamedTank
{
    QByteArray name;
    const char* kind; // curved, straight, kink
    Shape shape;
    TankShape::Tank tank; // form Rectangular with no length for the two-width tank
};

CalibrationPoints equalVolumePoints(const Shape& shape, const ProbeAt& probe, int pours)
{
    CalibrationPoints points{{0, 0}};
    const double full = shape.litres(shape.height);
    for (int i = 1; i <= pours; ++i) {
        const double litres = full * i / pours;
        points.append({litres, int(std::lround(std::clamp(probe.code(heightOf(shape, litres)), 0.0,
                                                          double(kLastLevelCode))))});
    }
    return points;
}

CalibrationPoints equalLevelPoints(const NamedTank& t, const ProbeAt& probe, int pours)
{
    if (t.tank.length > 0) {
        TankShape::Probe p;
        p.offset = probe.offset;
        p.length = probe.length;
        return PointsOfPlan(PlanEqualLevels(t.tank, p, pours));
    }
    CalibrationPoints points{{0, 0}};
    for (int i = 1; i <= pours; ++i) {
        const int code = int(std::lround(kLastLevelCode * double(i) / pours));
        points.append({t.shape.litres(probe.height(code)), code});
    }
    return points;
}

void tablesAgainstTanks()
{
    QList<NamedTank> tanks;
    auto add = [&](const char* name, const char* kind, const TankShape::Tank& tank) {
        tanks.append({name, kind, shapeOf(tank), tank});
    };
    add("horizontal, flat ends, D 2000 L 3000", "curved", tankOf(Form::Horizontal, 2000, 3000));
    add("horizontal, flat ends, D 1200 L 6000", "curved", tankOf(Form::Horizontal, 1200, 6000));
    add("horizontal, hemispherical, D 2000 L 3000", "curved",
        tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Hemispherical));
    add("horizontal, hemispherical, D 2000 L 500", "curved",
        tankOf(Form::Horizontal, 2000, 500, 0, Ends::Hemispherical));
    add("horizontal, 2:1 heads, D 2000 L 3000", "curved",
        tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Elliptical));
    add("oval section 3000 x 2000, L 4000", "curved", tankOf(Form::Elliptical, 3000, 2000, 4000));
    add("rectangular 2000 x 1000 x 1500", "straight", tankOf(Form::Rectangular, 2000, 1000, 1500));
    add("vertical cylinder D 1000 H 2000", "straight", tankOf(Form::Vertical, 1000, 2000));
    for (double kink : {0.35, 0.5, 0.62}) {
        for (double ratio : {0.5, 2.0}) {
            tanks.append({"two widths 1000/" + QByteArray::number(1000 * ratio) + " mm, change at " +
                              QByteArray::number(kink * 100) + " %",
                          "kink", twoWidths(2000, 1000, 1000 * ratio, 1500, 1500 * kink), TankShape::Tank{}});
        }
    }
    std::printf("Worst table error against the true tank, %% of the tank, probe from bottom to top, table "
                "rounded as written\n");
    std::printf("%-42s %-8s| %-22s| %-22s| %s\n", "", "", "10 equal pours", "10 equal level steps",
                "levels / pours");
    std::printf("%-42s %-8s| %6s %6s %6s | %6s %6s %6s | %6s %6s\n", "tank", "kind", "linear", "smooth",
                "ratio", "linear", "smooth", "ratio", "linear", "smooth");
    for (const NamedTank& t : tanks) {
        const ProbeAt probe{0, t.shape.height};
        const double full = t.shape.litres(t.shape.height);
        const CalibrationPoints byVolume = equalVolumePoints(t.shape, probe, 10);
        const CalibrationPoints byLevel = equalLevelPoints(t, probe, 10);
        double e[4];
        int i = 0;
        for (const CalibrationPoints& points : {byVolume, byLevel})
            for (Interpolation method : {Interpolation::Linear, Interpolation::Monotone})
                e[i++] = 100 * worstError(t.shape, probe, points, method, 0, kLastLevelCode, full) / full;
        std::printf("%-42s %-8s| %6.3f %6.3f %6.2f | %6.3f %6.3f %6.2f | %6.2f %6.2f\n", t.name.constData(),
                    t.kind, e[0], e[1], e[1] / e[0], e[2], e[3], e[3] / e[2], e[2] / e[0], e[3] / e[1]);
    }
    std::printf("\n");
}

// A kink anywhere: the width changes at every height from 20 to 80 % of the tank.
void kinkSweep()
{
    std::printf(
        "Two widths (1000 and 500 or 2000 mm, 2000 x 1500 mm), the change swept from 20 to 80 %% of the "
        "height in 0.5 %% steps, 10 equal pours\n");
    for (double ratio : {0.5, 2.0}) {
        double worstRatio = 0, worstAt = 0;
        int above = 0, count = 0;
        for (double kink = 0.2; kink <= 0.8001; kink += 0.005, ++count) {
            const Shape shape = twoWidths(2000, 1000, 1000 * ratio, 1500, 1500 * kink);
            const ProbeAt probe{0, shape.height};
            const double full = shape.litres(shape.height);
            const CalibrationPoints points = equalVolumePoints(shape, probe, 10);
            const double linear =
                worstError(shape, probe, points, Interpolation::Linear, 0, kLastLevelCode, full);
            const double smooth =
                worstError(shape, probe, points, Interpolation::Monotone, 0, kLastLevelCode, full);
            above += smooth > 1.25 * linear;
            if (smooth / linear > worstRatio) {
                worstRatio = smooth / linear;
                worstAt = kink;
            }
        }
        std::printf(
            "  upper width %4.0f mm: smooth / linear at most %.2f (change at %.1f %%), above 1.25 at %d "
            "of %d heights\n",
            1000 * ratio, worstRatio, 100 * worstAt, above, count);
    }
    std::printf("\n");
}

// ---- The point check on generated sets ----

class Random
{
public:
    explicit Random(quint64 seed) : m_engine(seed) {}
    double uniform(double low, double high)
    {
        return low + (high - low) * double(m_engine() >> 11) / double(1ULL << 53);
    }
    int integer(int low, int high) { return low + int(m_engine() % quint64(high - low + 1)); }
    double normal()
    {
        const double u = uniform(1e-12, 1), v = uniform(0, 1);
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * v);
    }

private:
    std::mt19937_64 m_engine;
};

enum class ShapeKind { Rectangular, Vertical, HorizontalFlat, HorizontalRound, TwoWidths };
const char* const kShapeNames[] = {"rectangular", "vertical cylinder", "horizontal, flat ends",
                                   "horizontal, hemispherical", "two widths"};
enum class Bad { None, CodeDigits, CodeToward, VolumeDigits };
const char* const kBadNames[] = {"clean", "code digits swapped", "code toward a neighbour's",
                                 "volume's first digits swapped"};

Shape randomShape(ShapeKind kind, Random& r)
{
    switch (kind) {
    case ShapeKind::Rectangular:
        return shapeOf(
            tankOf(Form::Rectangular, r.uniform(1000, 3000), r.uniform(500, 2000), r.uniform(800, 2500)));
    case ShapeKind::Vertical:
        return shapeOf(tankOf(Form::Vertical, r.uniform(600, 2500), r.uniform(800, 3000)));
    case ShapeKind::HorizontalFlat:
        return shapeOf(tankOf(Form::Horizontal, r.uniform(800, 2500), r.uniform(1500, 6000)));
    case ShapeKind::HorizontalRound:
        return shapeOf(
            tankOf(Form::Horizontal, r.uniform(800, 2500), r.uniform(1500, 6000), 0, Ends::Hemispherical));
    case ShapeKind::TwoWidths: {
        const double width = r.uniform(500, 2000);
        const double ratio = r.integer(0, 1) ? r.uniform(0.5, 0.8) : r.uniform(1.25, 2);
        const double height = r.uniform(800, 2500);
        return twoWidths(r.uniform(1000, 3000), width, width * ratio, height, height * r.uniform(0.3, 0.7));
    }
    }
    return {};
}

struct GeneratedSet
{
    Shape shape;
    ProbeAt probe;
    CalibrationPoints points;
    int bad = -1;
};

// Equal pours of whole litres from the empty tank until the probe is covered, as a technician types them.
GeneratedSet cleanSet(ShapeKind kind, Random& r)
{
    GeneratedSet set;
    set.shape = randomShape(kind, r);
    const double offset = r.uniform(5, 30);
    const double top = set.shape.height * r.uniform(0.85, 0.95);
    set.probe = {offset, top - offset};
    const int pours = r.integer(8, 20);
    const double pour = std::ceil(set.shape.litres(top) * 1.03 / pours);
    set.points.append({0, 0});
    double poured = 0;
    for (int i = 1; i <= pours; ++i) {
        poured += pour * (1 + 0.003 * r.normal());
        const double code = set.probe.code(heightOf(set.shape, poured));
        int read = 0;
        if (code >= kLastLevelCode)
            read = kLastLevelCode;
        else if (code > 0)
            read = std::clamp(int(std::lround(code)) + r.integer(-1, 1), 0, kLastLevelCode);
        set.points.append({pour * i, read});
    }
    return set;
}

int swapDigits(const QString& text, int at)
{
    QString swapped = text;
    std::swap(swapped[at], swapped[at + 1]);
    return swapped.toInt();
}

// Spoils one interior point on which the probe reads (dry and covered points carry no level); false when
// no point of the set can be spoiled so.
bool spoil(GeneratedSet& set, Bad bad, Random& r)
{
    QList<int> candidates;
    for (int i = 1; i + 1 < set.points.size(); ++i) {
        if (set.points[i].code > 0 && set.points[i].code < kLastLevelCode)
            candidates << i;
    }
    while (!candidates.isEmpty()) {
        const int i = candidates.takeAt(r.integer(0, int(candidates.size()) - 1));
        CalibrationPoint& p = set.points[i];
        if (bad == Bad::CodeDigits) {
            const QString text = QString::number(p.code);
            QList<int> codes;
            for (int at = 0; at + 1 < text.size(); ++at) {
                const int code = swapDigits(text, at);
                if (std::abs(code - p.code) >= 10 && code <= kLastLevelCode)
                    codes << code;
            }
            if (codes.isEmpty())
                continue;
            p.code = codes[r.integer(0, int(codes.size()) - 1)];
        } else if (bad == Bad::CodeToward) {
            const int neighbour = set.points[r.integer(0, 1) ? i - 1 : i + 1].code;
            p.code = int(std::lround(p.code + r.uniform(0.6, 1.0) * (neighbour - p.code)));
        } else {
            const QString text = QString::number(qint64(p.litres));
            if (text.size() < 2 || text[0] == text[1])
                continue;
            p.litres = swapDigits(text, 0);
        }
        set.bad = i;
        return true;
    }
    return false;
}

// A set the check got wrong, for tuning: its points, the spoiled one and what was flagged.
void printMiss(const char* shape, const char* bad, const GeneratedSet& set, const QList<PointFlag>& flags)
{
    std::printf("\n  [%s, %s, point %d]", shape, bad, set.bad);
    for (const CalibrationPoint& p : set.points)
        std::printf(" %g:%d", p.litres, p.code);
    std::printf("\n  flagged:");
    for (const PointFlag& f : flags)
        std::printf(" point %d reason %d other %d codes %.0f-%.0f", f.point, int(f.reason), f.other,
                    f.lowestCode, f.highestCode);
    std::printf("\n");
}

bool flagsPoint(const QList<PointFlag>& flags, int point)
{
    return std::any_of(flags.begin(), flags.end(), [&](const PointFlag& f) { return f.point == point; });
}

void checksOnGeneratedSets(int perCell, bool showMisses)
{
    std::printf("Point check, %d sets per cell: 8-20 equal pours, meter 0.3 %% (1 sigma), codes +-1, probe "
                "starting 5-30 mm up\n",
                perCell);
    std::printf("%-28s %10s %22s %24s %24s\n", "shape", "clean: any", "code digits: named/any",
                "code toward: named/any", "volume digits: named/any");
    Random r(20240611);
    int totals[4][2] = {};
    for (int s = 0; s < 5; ++s) {
        std::printf("%-28s", kShapeNames[s]);
        for (int b = 0; b < 4; ++b) {
            int named = 0, any = 0;
            for (int n = 0; n < perCell;) {
                GeneratedSet set = cleanSet(ShapeKind(s), r);
                if (Bad(b) != Bad::None && !spoil(set, Bad(b), r))
                    continue;
                ++n;
                const QList<PointFlag> flags = CheckPoints(set.points);
                any += !flags.isEmpty();
                named += set.bad >= 0 && flagsPoint(flags, set.bad);
                if (showMisses && (set.bad >= 0 ? !flagsPoint(flags, set.bad) : !flags.isEmpty()))
                    printMiss(kShapeNames[s], kBadNames[b], set, flags);
            }
            totals[b][0] += named;
            totals[b][1] += any;
            if (b == 0)
                std::printf(" %9.2f%%", 100.0 * any / perCell);
            else
                std::printf(" %13.2f%% /%6.2f%%", 100.0 * named / perCell, 100.0 * any / perCell);
        }
        std::printf("\n");
    }
    std::printf("%-28s %9.2f%%", "all shapes", 100.0 * totals[0][1] / (5 * perCell));
    for (int b = 1; b < 4; ++b)
        std::printf(" %13.2f%% /%6.2f%%", 100.0 * totals[b][0] / (5 * perCell),
                    100.0 * totals[b][1] / (5 * perCell));
    std::printf("\n\n");
}

// ---- The error estimate against the true error on clean sets ----

void estimateAgainstTruth(int perShape)
{
    std::printf("Error estimate / true worst error between the second and the last-but-one point, clean "
                "sets, %d per shape\n",
                perShape);
    std::printf("%-28s %-7s %8s %8s %8s %12s\n", "shape", "method", "5 %", "median", "95 %", "within 1/3-3");
    Random r(77);
    for (int s = 0; s < 5; ++s) {
        QList<double> ratios[2];
        for (int n = 0; n < perShape; ++n) {
            const GeneratedSet set = cleanSet(ShapeKind(s), r);
            QList<int> codes;
            for (const CalibrationPoint& p : set.points)
                codes << p.code;
            std::sort(codes.begin(), codes.end());
            const int first = std::max(1, codes[1]);
            const int last = std::min(kLastLevelCode - 1, codes[codes.size() - 2]);
            for (int m = 0; m < 2; ++m) {
                const Interpolation method = Interpolation(m);
                const double truth = worstError(set.shape, set.probe, set.points, method, first, last);
                const double estimate = EstimateTableError(set.points, method, 0).litres;
                ratios[m] << estimate / truth;
            }
        }
        for (int m = 0; m < 2; ++m) {
            QList<double>& q = ratios[m];
            std::sort(q.begin(), q.end());
            const qsizetype within =
                std::count_if(q.begin(), q.end(), [](double x) { return x >= 1 / 3.0 && x <= 3; });
            std::printf("%-28s %-7s %8.2f %8.2f %8.2f %11.1f%%\n", m ? "" : kShapeNames[s],
                        m ? "smooth" : "linear", q[q.size() / 20], q[q.size() / 2], q[q.size() * 19 / 20],
                        100.0 * within / q.size());
        }
    }
    std::printf("\n");
}

// ---- Speed on 1024 points ----

template <typename F> double medianMs(F f, int runs = 101)
{
    QList<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        f();
        ms << timer.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void speed()
{
    const TankShape::Tank tank = tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Hemispherical);
    TankShape::Probe probe;
    probe.length = 2000;
    const CalibrationPoints points = PointsOfPlan(PlanEqualLevels(tank, probe, kLastLevelCode));
    TNormDim array = arrayOf(points);
    for (TNormPoint& p : array)
        p.V /= TankShape::fullLitres(tank);
    // The same points with one in twenty codes typed at random.
    CalibrationPoints rough = points;
    Random r(5);
    for (int i = 20; i + 1 < rough.size(); i += 20)
        rough[i].code = r.integer(0, kLastLevelCode);
    volatile double sink = 0;
    std::printf("Speed, %d points (median of 101 runs); spoiled: one code in twenty typed at random\n",
                int(points.size()));
    std::printf("  smooth table (target <= 5 ms)         %8.3f ms\n",
                medianMs([&] { sink = sink + ComputeFractions(array, Interpolation::Monotone)[500]; }));
    std::printf("  straight-line table                   %8.3f ms\n",
                medianMs([&] { sink = sink + ComputeFractions(array, Interpolation::Linear)[500]; }));
    for (const auto& [name, set] : {std::pair("clean", points), std::pair("spoiled", rough)}) {
        const double ms = medianMs([&] {
            sink =
                sink + CheckPoints(set).size() + EstimateTableError(set, Interpolation::Monotone, 0).litres;
        });
        std::printf("  check and smooth estimate, %-10s %8.3f ms, %d points flagged\n", name, ms,
                    int(CheckPoints(set).size()));
    }
}

// zentikctl check-points on a file of 1024 points, as a whole process from start to exit.
void checkPointsProcess(const QString& zentikctl)
{
    const TankShape::Tank tank = tankOf(Form::Horizontal, 2000, 3000, 0, Ends::Hemispherical);
    TankShape::Probe probe;
    probe.length = 2000;
    const CalibrationPoints points = PointsOfPlan(PlanEqualLevels(tank, probe, kLastLevelCode));
    QTemporaryDir home;
    QFile file(home.filePath(QStringLiteral("points.csv")));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("V;N\n");
    for (const CalibrationPoint& p : points)
        file.write(QByteArray::number(p.litres, 'f', 3) + ';' + QByteArray::number(p.code) + '\n');
    file.close();
    int status = -1;
    const double ms = medianMs(
        [&] {
            QProcess process;
            process.start(zentikctl,
                          {QStringLiteral("--home"), home.path(), QStringLiteral("check-points"),
                           QStringLiteral("--method"), QStringLiteral("monotone"), file.fileName()});
            status = process.waitForFinished(30000) ? process.exitCode() : -1;
        },
        21);
    std::printf("  zentikctl check-points, %d points  %8.1f ms (median of 21 processes, exit %d; target "
                "<= 50 ms)\n",
                int(points.size()), ms, status);
}

} // namespace

int main(int argc, char* argv[])
{
    const int perCell = argc > 1 ? std::atoi(argv[1]) : 2000;
    tablesAgainstTanks();
    kinkSweep();
    checksOnGeneratedSets(perCell, qEnvironmentVariableIsSet("ZENTIK_BENCH_MISSES"));
    estimateAgainstTruth(perCell);
    speed();
    checkPointsProcess(
        QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteDir().filePath(QStringLiteral("zentikctl")));
    return 0;
}
