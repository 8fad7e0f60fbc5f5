#include "app/PortOpening.h"

#include "app/LanguageCatalog.h"
#include "link/UzentikDevice.h"

namespace {

PortFailure::Cause causeOf(const QString& reason)
{
    if (reason.contains(QLatin1String("ermission")))
        return PortFailure::Cause::Permission;
    return PortFailure::Cause::Unknown;
}

FlowOutcome failed(TZENTIK& z, const QString& portName, bool reopening)
{
    PortFailure failure;
    failure.port = portName;
    failure.reason = z.ComPort->errorString();
    failure.cause = causeOf(failure.reason);
    failure.reopening = reopening;
    return FlowOutcome::portUnavailable(failure);
}

} // namespace

FlowOutcome OpenControllerPort(TZENTIK& z, const QString& portName)
{
    if (!z.ComPort->setPortName(portName))
        return failed(z, portName, true);
    if (!z.OpenPort())
        return failed(z, portName, false);
    return FlowOutcome::done();
}

std::function<FlowOutcome()> OpenPortBeforeProcess(TZENTIK& z, const QString& portName)
{
    return [&z, portName] {
        if (z.ComPort->isOpen() && z.ComPort->portName() == portName)
            return FlowOutcome::done();
        return OpenControllerPort(z, portName);
    };
}

QString PortFailureText(const LanguageCatalog& language, const PortFailure& failure)
{
    QString text = failure.port + QStringLiteral(": ") + failure.reason;
#ifdef Q_OS_LINUX
    if (failure.cause == PortFailure::Cause::Permission)
        text += QLatin1Char(' ') +
                language.LanguageText(
                    "MESSAGES", "025",
                    QStringLiteral(
                        "(members of the group that owns the port, usually \"dialout\", may open it)"));
#else
    Q_UNUSED(language);
#endif
    return text;
}
