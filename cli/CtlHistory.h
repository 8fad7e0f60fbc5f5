// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands over the controller history: the controllers it holds, the versions of one, a
// version saved as a file, and undoing the last write into the connected controller.
#pragma once

#include "cli/CtlCall.h"

namespace CtlHistory {

// history, history SERIAL, history SERIAL N [--save FILE]: they need no controller.
int run(const CtlCall& call);
int undo(const CtlCall& call);

} // namespace CtlHistory
