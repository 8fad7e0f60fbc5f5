// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-terminal pairs for serving the simulated controller to a real serial port client.
#pragma once

#include <QString>

struct PtyPair
{
    int master = -1;
    int slave = -1; // kept open by the server so the master never sees a hang-up between clients
    QString slavePath;
};

// Opens a pair in raw mode, both ends non-blocking; master < 0 and error set on failure.
PtyPair OpenPseudoTerminal(QString* error = nullptr);
void ClosePseudoTerminal(PtyPair& pty);
