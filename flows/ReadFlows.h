// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the controller with the tank volumes of its polled sensors: the configuration alone (process 1;
// the main window's Refresh, zentikctl's read) or everything (process 5: the configuration and all 64
// pages; the first half of saving a configuration file and of the report). Both end Done with the record
// in the controller object's Parameters.
#pragma once

#include "flows/Flow.h"

#include <QString>

#include <array>

// The port is used as it is: the front-end opens it first, or in the run's beforeProcess. start says
// whether the read may replace one that has only just been started.
void StartConfigRead(const AppContext& context, const FlowRun& run,
                     Flow::Start start = Flow::Start::WhenIdle);
// Whether a read of everything goes into the controller history as `read` (saving, verifying, the report),
// or is kept by its caller (the backup before a write).
enum class ReadHistory { KeptAsRead, NotKept };
// The progress view shows progressLabel while the pages travel. A history that cannot be written is told
// as a warning; the read still ends Done.
void StartReadAll(const AppContext& context, const QString& progressLabel, const FlowRun& run,
                  ReadHistory history = ReadHistory::KeptAsRead);

// The tank volumes kept for the connected controller, both tanks whether polled or not: a configuration
// file standing in for it holds its own (Volume_0, Volume_1), a controller's are in the tank volume store
// under its serial number.
std::array<qint32, 2> StoredTankVolumes(const AppContext& context, const QString& serialNumber);
