// SPDX-License-Identifier: GPL-3.0-or-later
// Pours planned from a tank's shape and its probe: how much to pour each time, the running total and the
// code the probe should then read, for equal steps of level or of volume.
#pragma once

#include "calibration/PointCheck.h"
#include "calibration/TankShape.h"

#include <QList>

struct PlannedPour
{
    double litres = 0; // to pour
    double total = 0;  // in the tank after it
    int code = 0;      // the probe should read
};

struct PourPlan
{
    int emptyCode = 0; // what the probe reads in the empty tank
    QList<PlannedPour> pours;
};

// The level code the probe reads at a height in millimetres above the tank's bottom: whole, 0 to 1023.
int CodeAtHeight(const TankShape::Probe& probe, double height);
// The height at which the tank holds the given litres (its top for more than it holds).
double HeightOfLitres(const TankShape::Tank& tank, double litres);

// Pours that raise the level by equal steps of code, from where the probe starts reading (or the bottom)
// to where it is covered (or the top): on round tanks they give points where the volume bends most, and
// the table's error is about half that from equal volumes. When the probe starts above the bottom, one more
// pour comes first, filling the tank up to the probe's start. Tank and probe must have passed
// TankShape::check; pours is at least 1.
PourPlan PlanEqualLevels(const TankShape::Tank& tank, const TankShape::Probe& probe, int pours);
// Equal pours from the empty tank until the probe is covered or the tank is full.
PourPlan PlanEqualVolumes(const TankShape::Tank& tank, const TankShape::Probe& probe, int pours);

// The points a plan gives when poured as planned: the empty tank, then the total and code of each pour.
CalibrationPoints PointsOfPlan(const PourPlan& plan);
// The code planned for each of those points, for CheckExpectedCodes.
QList<int> ExpectedCodesOf(const PourPlan& plan);
