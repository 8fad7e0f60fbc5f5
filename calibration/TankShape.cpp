// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/TankShape.h"

#include <algorithm>
#include <cmath>

namespace TankShape {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCubicMillimetresPerLitre = 1e6;

// The area of a circle of radius r below a chord h above its lowest point, 0 <= h <= 2r.
double segmentArea(double r, double h)
{
    const double fromCentre = r - h;
    return r * r * std::acos(std::clamp(fromCentre / r, -1.0, 1.0)) -
           fromCentre * std::sqrt(std::max(0.0, 2 * r * h - h * h));
}

// The volume of a sphere of radius r below a plane h above its lowest point, 0 <= h <= 2r.
double capVolume(double r, double h)
{
    return kPi * h * h * (3 * r - h) / 3;
}

double dimension(const Tank& tank, Field field)
{
    switch (field) {
    case Field::Length:
        return tank.length;
    case Field::Width:
        return tank.width;
    case Field::Height:
        return tank.height;
    case Field::Diameter:
        return tank.diameter;
    default:
        return 0;
    }
}

// A length in millimetres that must be above 0.
Problem::Kind lengthProblem(double value)
{
    if (std::isnan(value))
        return Problem::Kind::NotANumber;
    if (value <= 0)
        return Problem::Kind::NotPositive;
    if (value > kLargestMillimetres)
        return Problem::Kind::TooLarge;
    return Problem::Kind::None;
}

} // namespace

QList<Field> dimensionsOf(Form form)
{
    switch (form) {
    case Form::Rectangular:
        return {Field::Length, Field::Width, Field::Height};
    case Form::Vertical:
        return {Field::Diameter, Field::Height};
    case Form::Horizontal:
        return {Field::Diameter, Field::Length};
    case Form::Elliptical:
        return {Field::Width, Field::Height, Field::Length};
    }
    return {};
}

Problem check(const Tank& tank, const Probe& probe)
{
    for (Field field : dimensionsOf(tank.form)) {
        if (const Problem::Kind kind = lengthProblem(dimension(tank, field)); kind != Problem::Kind::None)
            return {kind, field};
    }
    if (const Problem::Kind kind = lengthProblem(probe.length); kind != Problem::Kind::None)
        return {kind, Field::ProbeLength};
    if (std::isnan(probe.offset))
        return {Problem::Kind::NotANumber, Field::Offset};
    if (std::abs(probe.offset) > kLargestMillimetres)
        return {Problem::Kind::TooLarge, Field::Offset};
    if (probe.points < kFewestPoints || probe.points > kMostPoints)
        return {Problem::Kind::OutOfRange, Field::Points};
    // A probe that reaches into the tank somewhere is fine, even when it starts below the bottom or ends
    // above the top; one that reaches nowhere into it would give a table that never moves.
    if (probe.offset + probe.length <= 0)
        return {Problem::Kind::ProbeBelowBottom, Field::Offset};
    if (probe.offset >= innerHeight(tank))
        return {Problem::Kind::ProbeAboveTop, Field::Offset};
    return {};
}

double innerHeight(const Tank& tank)
{
    return tank.form == Form::Horizontal ? tank.diameter : tank.height;
}

double litresAt(const Tank& tank, double h)
{
    h = std::clamp(h, 0.0, innerHeight(tank));
    double cubicMillimetres = 0;
    switch (tank.form) {
    case Form::Rectangular:
        cubicMillimetres = tank.length * tank.width * h;
        break;
    case Form::Vertical:
        cubicMillimetres = kPi * tank.diameter * tank.diameter / 4 * h;
        break;
    case Form::Horizontal: {
        const double r = tank.diameter / 2;
        cubicMillimetres = tank.length * segmentArea(r, h);
        // The two ends together are a sphere, or for 2:1 heads a sphere squashed to a quarter diameter.
        if (tank.ends == Ends::Hemispherical)
            cubicMillimetres += capVolume(r, h);
        else if (tank.ends == Ends::Elliptical)
            cubicMillimetres += capVolume(r, h) * (tank.diameter / 4) / r;
        break;
    }
    case Form::Elliptical: {
        // An ellipse is a circle of radius B stretched by A / B across.
        const double a = tank.width / 2;
        const double b = tank.height / 2;
        cubicMillimetres = tank.length * a / b * segmentArea(b, h);
        break;
    }
    }
    return cubicMillimetres / kCubicMillimetresPerLitre;
}

double fullLitres(const Tank& tank)
{
    return litresAt(tank, innerHeight(tank));
}

int codeOfPoint(int index, int count)
{
    const int intervals = count - 1;
    // Rounded to the nearest code, halves up; with at most 1024 points codes are at least one apart.
    return (2 * index * kLastLevelCode + intervals) / (2 * intervals);
}

PointList calibrationPoints(const Tank& tank, const Probe& probe, const QLocale& locale)
{
    QStringList volumes, codes;
    for (int i = 0; i < probe.points; ++i) {
        const int code = codeOfPoint(i, probe.points);
        const double h = probe.offset + code * probe.length / kLastLevelCode;
        volumes << VolumeText(litresAt(tank, h), locale);
        codes << QString::number(code);
    }
    return PointList(std::move(volumes), std::move(codes));
}

} // namespace TankShape
