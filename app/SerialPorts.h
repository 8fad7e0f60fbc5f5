// The serial ports the program offers: the system's, in the order the system gives, then "SIM".
#pragma once

#include <QStringList>

QStringList SystemSerialPorts();
