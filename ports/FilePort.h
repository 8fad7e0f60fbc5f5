// SPDX-License-Identifier: GPL-3.0-or-later
// Configuration files standing in for controllers: the port "file:PATH" is the simulated controller
// loaded from PATH, answering at once, and every write process that succeeds is kept in PATH.
#pragma once

#include "app/FlowOutcome.h"
#include "link/ControllerData.h"
#include "ports/PortFactory.h"

// The file a "file:" port names (empty for any other port), and the port of a file.
QString FilePortPath(const QString& portName);
QString FilePortName(const QString& path);

// What the controller behind the file holds: Done with the record (a file that does not exist yet is the
// blank controller: identifiers 00000000, every setting, volume and table word 0), UnreadableFile naming
// the file and why (no name, not a regular file, too large, unreadable), or InvalidFile with the entries
// that fail a load's check, one line each.
FlowOutcome ReadFilePort(const QString& path, TParameters* record = nullptr);

// The lines of other, and beside them the "file:" ports. A file's tank volumes are its Volume_0 and
// Volume_1 (SerialLink::tankVolumes); the tank volume store is never asked about a file nor written for one.
SerialLinkFactory WithFilePorts(SerialLinkFactory other);

// Holds the file behind a "file:" port's line locked for one read, change and write-back, so that no other
// program changes it in between (each waits for the lock with its own change): the write keeps what the
// read found beside this program's change. False for any other line, and for a file whose lock cannot be
// had (its write-back then says why). ReleaseFile ends the hold, as does the end of the line.
bool HoldFile(SerialLink* line);
void ReleaseFile(SerialLink* line);
