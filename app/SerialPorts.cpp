#include "app/SerialPorts.h"

#include "link/SerialLink.h"

#include <QSerialPortInfo>

QStringList SystemSerialPorts()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    names << kSimulatedPortName;
    return names;
}
