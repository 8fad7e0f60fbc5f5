// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration points from a tank's geometry: the volume of liquid at a height in tanks of common shapes, and
// the points a level probe in such a tank gives, for tanks that cannot be filled in measured portions.
#pragma once

#include "calibration/PointList.h"

#include <QList>

namespace TankShape {

enum class Form {
    Rectangular, // length, width, height
    Vertical,    // cylinder standing on its base: diameter, height
    Horizontal,  // cylinder lying on its side: diameter, length of the cylindrical part, ends
    Elliptical,  // lying tank of elliptical cross-section: width and height of the section, length
};

// The ends of a horizontal cylinder; those that are not flat add to the length of the cylindrical part.
enum class Ends {
    Flat,
    Hemispherical,
    Elliptical, // 2:1 heads, a quarter of the diameter deep
};

// What a computation takes: the tank's dimensions, the probe and the number of points.
enum class Field { Length, Width, Height, Diameter, ProbeLength, Offset, Points };

// Dimensions in millimetres; those the form does not take are ignored.
struct Tank
{
    Form form = Form::Rectangular;
    Ends ends = Ends::Flat;
    double length = 0;
    double width = 0;
    double height = 0;
    double diameter = 0;
};

constexpr int kDefaultPoints = 32;
constexpr int kFewestPoints = 2;
constexpr int kMostPoints = kTableEntries;
// 100 m: more than any tank a level probe measures; keeps volumes far inside what a table can carry.
constexpr double kLargestMillimetres = 100000;

struct Probe
{
    double length = 0; // millimetres from level code 0 to level code 1023
    double offset = 0; // millimetres of level code 0 above the tank's bottom; below it when negative
    int points = kDefaultPoints;
};

struct Problem
{
    enum class Kind {
        None,
        NotANumber,
        NotPositive,      // a dimension or the probe length of 0 or less
        TooLarge,         // beyond kLargestMillimetres
        OutOfRange,       // a number of points outside kFewestPoints..kMostPoints
        ProbeBelowBottom, // every level code would stand for an empty tank
        ProbeAboveTop,    // every level code would stand for a full tank
    };
    Kind kind = Kind::None;
    Field field = Field::Length;

    bool ok() const { return kind == Kind::None; }
};

// The dimensions the form takes, in the order a user is asked for them.
QList<Field> dimensionsOf(Form form);
// The first problem of the values, in the order of dimensionsOf and then the probe's fields.
Problem check(const Tank& tank, const Probe& probe);

// Height from the bottom to the top in millimetres.
double innerHeight(const Tank& tank);
// Litres of liquid standing h millimetres high: 0 at and below the bottom, the full volume at and above the
// top.
double litresAt(const Tank& tank, double h);
double fullLitres(const Tank& tank);

// The level code of point index of count: whole, 0 for the first and 1023 for the last, spread evenly.
int codeOfPoint(int index, int count);
// The probe's points in the tank (values that passed check): level code N stands for the height
// offset + N / 1023 × probe length, its volume in litres with three decimals and the locale's separator.
PointList calibrationPoints(const Tank& tank, const Probe& probe, const QLocale& locale);

} // namespace TankShape
