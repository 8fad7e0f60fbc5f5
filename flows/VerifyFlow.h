// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing the connected controller with a configuration file: the file is read and checked as a load
// checks it, everything is read as for saving (process 5) and what a save would write now is compared with
// what the file holds.
#pragma once

#include "config/ConfigCompare.h"
#include "flows/Flow.h"

// present gets the comparison after a successful read; the flow then ends Done when the controller holds
// what the file says and Differs when it does not. A file that fails its check ends InvalidFile, its
// problems told through the message service (MESSAGES 031), and nothing is sent; one that cannot be read
// ends FileError.
void StartConfigVerify(const AppContext& context, const QString& fileName, const QString& progressLabel,
                       std::function<void(const ConfigCompare::Result&)> present, const FlowRun& run);
