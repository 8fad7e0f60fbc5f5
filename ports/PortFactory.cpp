// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/PortFactory.h"

#include "link/QSerialLink.h"
#include "sim/SimulatedLink.h"

#include <memory>

SerialLinkFactory defaultSerialLinkFactory()
{
    auto simulator = std::make_shared<ControllerSimulator>();
    simulator->setPacing(qEnvironmentVariable("ZENTIK_SIM_PACING", QStringLiteral("1")) !=
                         QLatin1String("0"));
    return [simulator](const QString& name, QObject* parent) -> SerialLink* {
        if (name == kSimulatedPortName)
            return new SimulatedLink(simulator, name, parent);
        return new QSerialLink(name, parent);
    };
}
