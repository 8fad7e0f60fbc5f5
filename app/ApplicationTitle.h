// SPDX-License-Identifier: GPL-3.0-or-later
// The application's title: the main window's first caption, every dialog's caption, the options file's title,
// and with the version the program a report names.
#pragma once

#include "Version.h"

#include <QString>

inline const QString kApplicationTitle = QStringLiteral("ZENTIK Configurator");

// A report's footer and its PDF file's creator: the program, not the window, since the instance number of
// the main window's caption means nothing on paper.
inline QString ReportProgramName()
{
    return kApplicationTitle + QLatin1Char(' ') + QStringLiteral(ZENTIK_VERSION);
}
