// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing one sensor's table with the controller (processes 3 and 4), the same flows for the
// calibration window and zentikctl. Each ends Done, Busy (nothing started or changed), the outcome of the
// run's beforeProcess or ProcessFailed with the result code; the progress view counts the sensor's pages.
#pragma once

#include "calibration/PointList.h"
#include "flows/Flow.h"

class TZENTIK;

// Reads the table of sensor 1 or 2 into the controller object's Parameters.Pages; once it has ended
// Done, TableWordsRead gives its words.
void StartTableRead(const AppContext& context, int sensor, const QString& progressLabel, const FlowRun& run);
// Writes the words as the table of sensor 1 or 2: they go into the sensor's 32 pages of NewPages, the
// other sensor's pages stay as they are. A backup is taken first (StartBackup): its failure ends the flow
// with nothing written.
void StartTableWrite(const AppContext& context, int sensor, const TableWords& words,
                     const QString& progressLabel, const FlowRun& run);

// The 1024 words of the sensor's table in Parameters.Pages, in entry order.
TableWords TableWordsRead(const TZENTIK& z, int sensor);
