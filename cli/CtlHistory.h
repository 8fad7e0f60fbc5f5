// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands over the controller history: the controllers it holds, the versions of one, a
// version saved as a file, and undoing the last write into the connected controller.
#pragma once

#include <QStringList>

class AppPaths;
class CtlSession;

namespace CtlHistory {

// history, history SERIAL, history SERIAL N, undo: the right number of arguments, and a serial number that
// names nothing outside the history.
bool accepts(const QStringList& args);
// The history commands, which need no controller. saveFile: the --save value (history SERIAL N).
int runHistory(const QStringList& args, const AppPaths& paths, const QString& saveFile);
int runUndo(CtlSession& session);

} // namespace CtlHistory
