// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the controller's port for a flow: the one place that opens it and decides what a failure means;
// the windows and zentikctl only present the outcome.
#pragma once

#include "app/FlowOutcome.h"

#include <functional>
#include <optional>

class LanguageCatalog;
class TZENTIK;
struct SystemView;

// Gives the controller object's port this name (an open port is opened again under it) and opens it.
// Done, or PortUnavailable with the port, the system's reason and its cause (for a port another program
// holds, that program as the system names it). A name with control characters is refused before the port
// is touched.
FlowOutcome OpenControllerPort(TZENTIK& z, const QString& portName, const SystemView& system);

// Why the controller object's port is closed when the last attempt to open it failed: that attempt's port,
// words and cause. None while the port is open, and for a port that was opened and has gone since.
std::optional<PortFailure> LastOpenFailure(const TZENTIK& z, const SystemView& system);

// Opens the port again under its name, closed first: a device pulled out and plugged in again is another
// device behind the same name, and one that vanished has been closed. What was read stays; nothing happens
// while a process runs.
void ReopenControllerPort(TZENTIK& z);

// A flow's last step before its process: opens the port unless it is open already, so that a flow's second
// process does not clear what its first one read.
std::function<FlowOutcome()> OpenPortBeforeProcess(TZENTIK& z, const QString& portName,
                                                   const SystemView& system);

// "PORT: reason" (the name escaped), with the program that holds the port, or with the hint about the
// port's group when the user lacks the permission.
QString PortFailureText(const LanguageCatalog& language, const PortFailure& failure);
