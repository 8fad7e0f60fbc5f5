// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/PortOpening.h"

#include "app/LanguageCatalog.h"
#include "link/UzentikDevice.h"
#include "ports/SystemProbe.h"

namespace {

PortFailure::Cause causeOf(SerialLink::OpenFailure failure)
{
    switch (failure) {
    case SerialLink::OpenFailure::Missing:
        return PortFailure::Cause::Missing;
    case SerialLink::OpenFailure::NoPermission:
        return PortFailure::Cause::Permission;
    case SerialLink::OpenFailure::InUse:
        return PortFailure::Cause::InUse;
    case SerialLink::OpenFailure::BadName:
        return PortFailure::Cause::BadName;
    case SerialLink::OpenFailure::Other:
        break;
    }
    return PortFailure::Cause::Unknown;
}

FlowOutcome failed(TZENTIK& z, bool reopening, const SystemView& system)
{
    PortFailure failure = LastOpenFailure(z, system).value_or(PortFailure());
    if (failure.port.isEmpty()) { // refused while a process runs: no open was tried
        failure.port = z.ComPort->portName();
        failure.reason = z.ComPort->errorString();
    }
    failure.reopening = reopening;
    return FlowOutcome::portUnavailable(failure);
}

} // namespace

std::optional<PortFailure> LastOpenFailure(const TZENTIK& z, const SystemView& system)
{
    const TComPort& port = *z.ComPort;
    if (port.isOpen() || !port.lastOpenFailed())
        return std::nullopt;
    PortFailure failure;
    failure.port = port.portName();
    failure.reason = port.openError();
    failure.cause = causeOf(port.openFailure());
    if (failure.cause == PortFailure::Cause::InUse)
        if (const std::optional<PortHolder> holder = FindPortHolder(system, failure.port)) {
            failure.holderPid = holder->pid;
            failure.holderName = holder->program;
        }
    return failure;
}

FlowOutcome OpenControllerPort(TZENTIK& z, const QString& portName, const SystemView& system)
{
    if (!IsPrintablePortName(portName)) {
        PortFailure failure;
        failure.port = portName;
        failure.reason = QStringLiteral("the port name holds control characters");
        failure.cause = PortFailure::Cause::BadName;
        return FlowOutcome::portUnavailable(failure);
    }
    if (!z.SetPortName(portName))
        return failed(z, true, system);
    if (!z.OpenPort())
        return failed(z, false, system);
    return FlowOutcome::done();
}

void ReopenControllerPort(TZENTIK& z)
{
    if (z.IsBusy())
        return;
    z.ClosePort();
    z.ReopenPort();
}

std::function<FlowOutcome()> OpenPortBeforeProcess(TZENTIK& z, const QString& portName,
                                                   const SystemView& system)
{
    return [&z, portName, system] {
        if (z.ComPort->isOpen() && z.ComPort->portName() == portName)
            return FlowOutcome::done();
        return OpenControllerPort(z, portName, system);
    };
}

QString PortFailureText(const LanguageCatalog& language, const PortFailure& failure)
{
    const QString port = EscapedPortName(failure.port) + QStringLiteral(": ");
    switch (failure.cause) {
    case PortFailure::Cause::BadName:
        return port + language.LanguageText("MESSAGES", "168",
                                            QStringLiteral("the port name holds control characters"));
    case PortFailure::Cause::InUse:
        if (failure.holderPid > 0)
            return port + language
                              .LanguageText("MESSAGES", "166",
                                            QStringLiteral("another program holds the port: %1 (PID %2)"))
                              .arg(failure.holderName.isEmpty() ? QStringLiteral("?") : failure.holderName,
                                   QString::number(failure.holderPid));
        return port +
               language.LanguageText("MESSAGES", "167", QStringLiteral("another program holds the port"));
    case PortFailure::Cause::Permission:
#ifdef Q_OS_LINUX
        return port + failure.reason + QLatin1Char(' ') +
               language.LanguageText(
                   "MESSAGES", "025",
                   QStringLiteral(
                       "(members of the group that owns the port, usually \"dialout\", may open it)"));
#else
        break;
#endif
    case PortFailure::Cause::Missing:
    case PortFailure::Cause::Unknown:
        break;
    }
    return port + failure.reason;
}
