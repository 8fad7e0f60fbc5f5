// Opening the controller's port for a flow: the one place that opens it and decides what a failure means;
// the windows and zentikctl only present the outcome.
#pragma once

#include "app/FlowOutcome.h"

#include <functional>

class LanguageCatalog;
class TZENTIK;

// Gives the controller object's port this name (an open port is opened again under it) and opens it.
// Done, or PortUnavailable with the port, the system's reason and its cause.
FlowOutcome OpenControllerPort(TZENTIK& z, const QString& portName);

// A flow's last step before its process: opens the port unless it is open already, so that a flow's second
// process does not clear what its first one read.
std::function<FlowOutcome()> OpenPortBeforeProcess(TZENTIK& z, const QString& portName);

// "PORT: reason", with the hint about the port's group when the user lacks the permission.
QString PortFailureText(const LanguageCatalog& language, const PortFailure& failure);
