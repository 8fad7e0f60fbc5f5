// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair OpenPseudoTerminal(QString* error)
{
    PtyPair pty;
    const auto fail = [&](const char* step) {
        if (error)
            *error =
                QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(strerror(errno)));
        ClosePseudoTerminal(pty);
        return pty;
    };
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (pty.master < 0)
        return fail("posix_openpt");
    if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0)
        return fail("unlockpt");
    const char* name = ptsname(pty.master);
    if (!name)
        return fail("ptsname");
    pty.slavePath = QString::fromLocal8Bit(name);
    pty.slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (pty.slave < 0)
        return fail("open slave");
    termios tio{};
    if (tcgetattr(pty.slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tcsetattr(pty.slave, TCSANOW, &tio);
    }
    return pty;
}

void ClosePseudoTerminal(PtyPair& pty)
{
    if (pty.slave >= 0)
        ::close(pty.slave);
    if (pty.master >= 0)
        ::close(pty.master);
    pty.slave = pty.master = -1;
}
