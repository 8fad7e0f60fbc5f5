// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the connected controller to a configuration file: everything is read, then the record and both
// tables are written into the file.
#pragma once

#include "flows/Flow.h"

// fileName gives the file's name once the read has succeeded (the window asks the user only then); no
// name ends the flow Cancelled with nothing written. Done carries the name in detail; FileError names the
// file that could not be written.
void StartConfigFileSave(const AppContext& context, std::function<QString()> fileName,
                         const QString& progressLabel, const FlowRun& run);
