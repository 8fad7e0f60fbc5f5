// SPDX-License-Identifier: GPL-3.0-or-later
// A sensor's table from calibration points and back to litres, as zentikctl runs them beside the
// calibration window: writing the table computed from points, and reading a table with the total volume
// its words are shares of. Both read the configuration first (process 1), for the tank volumes.
#pragma once

#include "calibration/PointList.h"
#include "flows/Flow.h"

class LanguageCatalog;
class QLocale;

// Tells the refusal of the check before a table is written from points (PointList::prepareForWrite) as
// the calibration window tells it: SENSOR 0012 or 0013 as a warning, or the conversion error. True, having
// said nothing, when the check passed.
bool TellPointsCheck(const AppContext& context, PointList::WriteCheck check, const QString& error);

// The question whether to go on with points whose volumes exceed the total volume (SENSOR 0040).
QString VolumesAboveQuestion(const LanguageCatalog& language, const PointList::VolumesAbove& above,
                             qint32 totalVolume, const QLocale& locale);

// The points readied as the window's Write readies them (a refusal ends InvalidFile and nothing is sent),
// the configuration read, the table computed over the total volume with the window's arithmetic in
// locale, and written as the sensor's table (1 or 2). A total volume of 0 would make every word 0: the
// flow then ends VolumesUnknown with nothing sent. Points above the total volume are asked about
// (VolumesAboveQuestion); No ends InvalidFile with nothing sent.
void StartPointsWrite(const AppContext& context, int sensor, PointList points, const QLocale& locale,
                      const FlowRun& run);

// The configuration read, then the table of sensor 1 or 2; present gets the words and the total volume
// before the flow ends Done.
void StartTableReadInLitres(const AppContext& context, int sensor,
                            std::function<void(const TableWords&, qint32 totalVolume)> present,
                            const FlowRun& run);
