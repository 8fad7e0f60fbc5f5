// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/PortFlows.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "link/UzentikDevice.h"
#include "ports/FindingTexts.h"
#include "ports/PortFactory.h"
#include "ports/PortFinder.h"

#include <memory>

QString ConnectionDetails(const AppContext& context, const QString& port,
                          const std::optional<DoctorFinding>& last)
{
    if (port == kSimulatedPortName)
        return QString();
    QList<DoctorFinding> findings = ExamineSystem(context.system, port);
    if (last)
        findings << *last;
    if (findings.isEmpty())
        return QString();
    return context.language->LanguageText("MESSAGES", "169", QStringLiteral("Connection check of %1:"))
               .arg(EscapedPortName(port)) +
           QLatin1Char('\n') + FindingsText(*context.language, findings);
}

QString ProcessFailureDetails(const AppContext& context, const QString& port, int resultCode)
{
    if (resultCode == Result::TimeOut)
        return ConnectionDetails(
            context, port,
            DoctorFinding{DoctorFinding::Check::Answer, DoctorFinding::What::Silent, false, {port}, {}});
    if (resultCode == Result::PortWriteFailed)
        return ConnectionDetails(context, port);
    return QString();
}

void StartConnectionCheck(const AppContext& context, PortFinder& finder, const QString& port,
                          std::function<void(const QList<DoctorFinding>&)> findings, const FlowRun& run)
{
    if (context.zentik->IsBusy() || finder.isRunning())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    auto found = std::make_shared<QList<DoctorFinding>>(ExamineSystem(context.system, port));
    finder.setTimeoutMs(context.timeoutMs);
    finder.setHeldPort(context.zentik);
    finder.start({port}, [&finder, found, findings = std::move(findings), run] {
        if (!finder.answers().isEmpty())
            *found << AnswerFinding(finder.answers().first());
        if (findings)
            findings(*found);
        run.finish(FlowOutcome::done());
    });
}

void StartPortSearch(const AppContext& context, PortFinder& finder, const QStringList& ports,
                     const FlowRun& run)
{
    if (context.zentik->IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    finder.setHeldPort(context.zentik);
    finder.start(ports, [run] { run.finish(FlowOutcome::done()); });
}
