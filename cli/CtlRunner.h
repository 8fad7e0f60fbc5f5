// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of zentikctl: one controller process each, with exit codes for scripts.
#pragma once

#include <QStringList>

namespace Exit {
constexpr int Ok = 0;       // 1..13: the process's result code
constexpr int Differs = 20; // verify: the controller does not hold what the file says
constexpr int Usage = 64;
constexpr int InvalidFile = 65;
constexpr int NothingToUndo = 66; // undo: the history holds no backup of the controller
constexpr int PortUnavailable = 69;
constexpr int FileError = 74;
constexpr int Busy = 75; // the controller object refused to start the process
} // namespace Exit

namespace CtlRunner {
// arguments[0] is the program name. Runs an event loop until the command has finished. The report
// command draws with fonts and needs a QGuiApplication; every other command runs without one.
int run(const QStringList& arguments);
// Whether the command line asks for the report.
bool needsGui(const QStringList& arguments);
} // namespace CtlRunner
