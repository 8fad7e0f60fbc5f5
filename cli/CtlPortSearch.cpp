// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlPortSearch.h"

#include "cli/CtlExit.h"
#include "flows/PortFlows.h"
#include "ports/PortFinder.h"
#include "ports/SerialPorts.h"

namespace {

QString describe(const PortAnswer& answer, int timeoutMs)
{
    switch (answer.kind) {
    case PortAnswer::Kind::Answered:
        return QStringLiteral("serial number ") + answer.text;
    case PortAnswer::Kind::Silent:
        return QStringLiteral("no answer within %1 ms").arg(timeoutMs);
    case PortAnswer::Kind::Failed:
        break;
    }
    return QStringLiteral("cannot open: ") + answer.text;
}

} // namespace

int FindControllerPort(CtlSettings& settings)
{
    const QStringList candidates = PortSearchCandidates(SystemSerialPorts());
    CtlSession session(settings); // its port is never opened
    PortFinder finder(session.context().zentik->ComPort->factory());
    const int status = session.runFlow(
        [&](const FlowRun& run) { StartPortSearch(session.context(), finder, candidates, run); });
    if (status != Exit::Ok)
        return status;
    const QStringList found = finder.found();
    if (found.size() == 1) {
        settings.port = found.first();
        printErr(QStringLiteral("zentikctl: controller on %1").arg(settings.port));
        return Exit::Ok;
    }
    if (candidates.isEmpty())
        printErr(QStringLiteral("zentikctl: no serial ports to search (ZENTIK_EXTRA_PORTS adds paths)"));
    else if (found.isEmpty())
        printErr(QStringLiteral("zentikctl: no controller answered on any port"));
    else
        printErr(QStringLiteral("zentikctl: controllers answered on %1 ports; choose one with --port")
                     .arg(found.size()));
    for (const PortAnswer& answer : finder.answers())
        printErr(QStringLiteral("  %1: %2").arg(answer.port, describe(answer, finder.timeoutMs())));
    return Exit::PortUnavailable;
}
