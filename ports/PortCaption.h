// SPDX-License-Identifier: GPL-3.0-or-later
// How a serial port is named to the user: the simulated controller says that it is one, and a port name
// shown in running text is never broken across lines.
#pragma once

#include <QString>

class LanguageCatalog;

// "SIM (simulated controller)" for the simulated controller's port, any other port's name as it is.
QString PortCaption(const LanguageCatalog& language, const QString& port);

// The name with a word joiner after each character a line may break at ("/", "-", "_", "."), so that a
// wrapping label keeps "/dev/pts/0" on one line.
QString UnbreakablePortText(const QString& port);
