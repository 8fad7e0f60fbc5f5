// SPDX-License-Identifier: GPL-3.0-or-later
// The jobs about the port itself: finding the controller's port, checking the connection, and the details
// that the check gives a failure message about the port.
#pragma once

#include "flows/Flow.h"
#include "ports/SystemProbe.h"

#include <functional>
#include <optional>

class PortFinder;
struct AppContext;

// The details of a failure message about the port: a heading, the system's checks, then last if given;
// none for the simulated controller.
QString ConnectionDetails(const AppContext& context, const QString& port,
                          const std::optional<DoctorFinding>& last = std::nullopt);
// The details of a process that failed on the port: after a time-out the system's checks and that no
// controller answers, after a failed write the system's checks; none for the other result codes.
QString ProcessFailureDetails(const AppContext& context, const QString& port, int resultCode);

// The doctor as a flow: the system's checks, then the controller is asked for its serial number through a
// line of its own (the controller object's port is held meanwhile); ends Done, or Busy while a process runs.
// findings receives every check, the answer last, before the run finishes.
void StartConnectionCheck(const AppContext& context, PortFinder& finder, const QString& port,
                          std::function<void(const QList<DoctorFinding>&)> findings, const FlowRun& run);

// The search as a flow: Busy while the controller object runs a process (nothing is asked), otherwise
// every port is asked and the flow ends Done with the answers in the finder. The controller object's port
// is the held port.
void StartPortSearch(const AppContext& context, PortFinder& finder, const QStringList& ports,
                     const FlowRun& run);
