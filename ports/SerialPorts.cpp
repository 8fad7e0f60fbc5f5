// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/SerialPorts.h"

#include "link/SerialLink.h"

#include <QDir>
#include <QSerialPortInfo>

QString PortDisplayText(const SerialPortEntry& port)
{
    QString about = port.description.trimmed();
    const QString maker = port.manufacturer.trimmed();
    if (port.usb && !maker.isEmpty() && !about.contains(maker, Qt::CaseInsensitive))
        about = about.isEmpty() ? maker : about + QStringLiteral(" (") + maker + QLatin1Char(')');
    return about.isEmpty() ? port.name : port.name + QStringLiteral(" — ") + about;
}

QStringList ExtraSerialPorts()
{
    return qEnvironmentVariable("ZENTIK_EXTRA_PORTS").split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

QList<SerialPortEntry> SystemSerialPorts()
{
    QList<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.portName(), info.description(), info.manufacturer(), info.hasVendorIdentifier()});
    for (const QString& path : ExtraSerialPorts())
        if (!PortNames(ports).contains(path))
            ports.append({path, QString(), QString(), false});
    ports.append({kSimulatedPortName, QString(), QString(), false});
    return ports;
}

QStringList PortNames(const QList<SerialPortEntry>& ports)
{
    QStringList names;
    for (const SerialPortEntry& port : ports)
        names << port.name;
    return names;
}
