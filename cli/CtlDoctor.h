// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's "doctor": the connection doctor's checks of one port, one line each, for a technician at a
// bench or over ssh.
#pragma once

#include "cli/CtlCall.h"

// Prints each check of the call's port with its finding on stdout; Exit::Ok when the controller answered,
// Exit::PortUnavailable otherwise.
int RunConnectionDoctor(const CtlCall& call);
