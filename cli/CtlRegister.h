// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands over the team register: sending the queue, where the register is and what waits,
// a controller's versions there, one of them saved byte for byte, and finding controllers.
#pragma once

#include <QStringList>

class AppPaths;

namespace CtlRegister {

// register sync | status | history SERIAL [N] | find TEXT, with SERIAL 8 hexadecimal digits and TEXT up to
// 8 of them.
bool accepts(const QStringList& args);
// saveFile: the --save value (history SERIAL N); quiet: sync prints nothing (the background sync).
int run(const QStringList& args, const AppPaths& paths, const QString& saveFile, bool quiet);

} // namespace CtlRegister
