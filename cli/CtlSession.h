// SPDX-License-Identifier: GPL-3.0-or-later
// One zentikctl run against a controller: the controller object on the chosen port, the options file, the
// tank volume store, the controller history, the language catalogue of the options file, the terminal's
// message service and page counter, all as the context the flows work in; and running a process or a flow to
// its end as an exit status.
#pragma once

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "cli/CtlCall.h"
#include "cli/CtlTerminal.h"
#include "config/TankVolumeStore.h"
#include "flows/Flow.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"

class CtlSession
{
public:
    explicit CtlSession(const CtlSettings& settings);

    const AppContext& context() const { return m_context; }
    CtlMessages& messages() { return m_messages; }

    // Starts the flow with a run whose last step before sending opens the port, waits for its end and
    // turns the outcome into an exit status, saying on stderr what went wrong.
    int runFlow(const std::function<void(const FlowRun&)>& start);

private:
    int exitStatus(const FlowOutcome& outcome);
    void tellPortFailure(const PortFailure& failure) const;

    QString m_port;
    TankVolumeStore m_store; // before the device, whose write chains save into it
    TZENTIK m_device;
    Options m_options;
    ControllerHistory m_history;
    LanguageCatalog m_language;
    CtlMessages m_messages;
    CtlPageCounter m_pages;
    AppContext m_context;
};
