// SPDX-License-Identifier: GPL-3.0-or-later
// The application's title: the main window's first caption, every dialog's caption, the options file's title.
#pragma once

#include <QString>

inline const QString kApplicationTitle = QStringLiteral("ZENTIK Configurator");
