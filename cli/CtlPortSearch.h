// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's "--port auto": the port search the settings window runs, over every system port and the
// extra paths of ZENTIK_EXTRA_PORTS.
#pragma once

#include "cli/CtlSession.h"

// The port name that asks zentikctl to search.
inline const QString kAutoPortName = QStringLiteral("auto");

// Puts the one port that answered into settings.port and returns Exit::Ok. With none or several, lists
// on stderr every port asked with what it answered and returns Exit::PortUnavailable.
int FindControllerPort(CtlSettings& settings);
