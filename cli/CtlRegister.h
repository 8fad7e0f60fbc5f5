// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands over the team register: sending the queue, where the register is and what waits,
// a controller's versions there, one of them saved byte for byte, and finding controllers.
#pragma once

#include "cli/CtlCall.h"

namespace CtlRegister {

// A serial number: 8 hexadecimal digits.
bool isSerial(const QString& text);
// The start of one: up to 8 of them.
bool isSerialPrefix(const QString& text);

// register sync [--quiet]: with --quiet (the background sync) it prints nothing.
int sync(const CtlCall& call);
int status(const CtlCall& call);
// register history SERIAL [N] [--save FILE]
int history(const CtlCall& call);
// register find TEXT
int find(const CtlCall& call);

} // namespace CtlRegister
