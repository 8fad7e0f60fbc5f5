// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlDoctor.h"

#include "cli/CtlExit.h"
#include "cli/CtlSession.h"
#include "flows/PortFlows.h"
#include "ports/FindingTexts.h"
#include "ports/PortFinder.h"

int RunConnectionDoctor(const CtlCall& call)
{
    const CtlSettings& settings = call.settings;
    CtlSession session(settings); // its own port is never opened
    const AppContext& context = session.context();
    PortFinder finder(context.zentik->ComPort->factory());
    QList<DoctorFinding> findings;
    const int status = session.runFlow([&](const FlowRun& run) {
        StartConnectionCheck(
            context, finder, settings.port, [&](const QList<DoctorFinding>& found) { findings = found; },
            run);
    });
    if (status != Exit::Ok)
        return status;
    for (const DoctorFinding& finding : findings)
        printOut(QStringLiteral("%1 %2 %3")
                     .arg(CheckName(finding.check), -12)
                     .arg(finding.ok ? QStringLiteral("ok") : QStringLiteral("PROBLEM"), -7)
                     .arg(FindingText(*context.language, finding)));
    const bool answered = !findings.isEmpty() && findings.last().what == DoctorFinding::What::Answered;
    return answered ? Exit::Ok : Exit::PortUnavailable;
}
