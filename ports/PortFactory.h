// SPDX-License-Identifier: GPL-3.0-or-later
// Chooses the serial line behind a port name: "SIM" is the built-in simulated controller, anything else
// a real port (a system name such as ttyUSB0 or a path such as /dev/pts/3).
#pragma once

#include "link/SerialLink.h"

// Each factory made here holds its own simulated controller, which keeps what was written to it for as
// long as the factory lives. Pacing at the real line rate is on unless ZENTIK_SIM_PACING=0.
SerialLinkFactory defaultSerialLinkFactory();

// "file:PATH" names a configuration file that stands in for a controller: no backup is taken before
// writing into it and nothing of it goes into the controller history.
inline bool IsFilePort(const QString& portName)
{
    return portName.startsWith(QLatin1String("file:"));
}
