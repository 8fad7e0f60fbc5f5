// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report: everything is read, then the record goes to the front-end's report, which
// the window previews and zentikctl writes as a PDF file.
#pragma once

#include "flows/Flow.h"
#include "link/ControllerData.h"

// present turns the record into the report and tells how that went (a PDF file that cannot be written
// is a FileError); it runs only after a successful read.
void StartReport(const AppContext& context, std::function<FlowOutcome(const TParameters&)> present,
                 const QString& progressLabel, const FlowRun& run);
