// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlFilePort.h"

#include "cli/CtlExit.h"
#include "cli/CtlTerminal.h"
#include "ports/FilePort.h"

int CtlFilePort::check(const QString& port)
{
    if (!IsFilePort(port))
        return Exit::Ok;
    const QString path = FilePortPath(port);
    const FlowOutcome opened = ReadFilePort(path);
    switch (opened.kind) {
    case FlowOutcome::Kind::Done:
        return Exit::Ok;
    case FlowOutcome::Kind::InvalidFile:
        printErr(
            QStringLiteral("zentikctl: %1 is not a valid configuration file; nothing was done").arg(path));
        for (const QString& problem : opened.problems)
            printErr(QStringLiteral("%1: invalid entry %2").arg(path, problem));
        return Exit::InvalidFile;
    default:
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, opened.detail));
        return Exit::FileError;
    }
}
