// SPDX-License-Identifier: GPL-3.0-or-later
// One zentikctl run against a controller: the program's services with the controller object on the chosen
// port, and the terminal's message service and page counter, as the context the flows work in; and running a
// process or a flow to its end as an exit status.
#pragma once

#include "cli/CtlCall.h"
#include "cli/CtlTerminal.h"
#include "flows/Flow.h"
#include "flows/ProgramServices.h"

class CtlSession
{
public:
    explicit CtlSession(const CtlSettings& settings);

    const AppContext& context() const { return m_services.context; }
    CtlMessages& messages() { return m_messages; }

    // Starts the flow with a run whose last step before sending opens the port, waits for its end and
    // turns the outcome into an exit status, saying on stderr what went wrong.
    int runFlow(const std::function<void(const FlowRun&)>& start);

private:
    int exitStatus(const FlowOutcome& outcome);
    void tellPortFailure(const PortFailure& failure) const;

    QString m_port;
    ProgramServices m_services;
    CtlMessages m_messages;
    CtlPageCounter m_pages;
};
