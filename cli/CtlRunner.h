// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's command line: read, checked against the command table and run, with exit codes for scripts.
#pragma once

#include <QStringList>

namespace CtlRunner {
// arguments[0] is the program name. Runs an event loop until the command has finished. The report
// command draws with fonts and needs a QGuiApplication; every other command runs without one.
int run(const QStringList& arguments);
// Whether the command line asks for the report.
bool needsGui(const QStringList& arguments);
} // namespace CtlRunner
