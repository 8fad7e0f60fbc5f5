// SPDX-License-Identifier: GPL-3.0-or-later
// Configuration files standing in for controllers: the port "file:PATH" is the simulated controller
// loaded from PATH, answering at once, and every write process that succeeds is kept in PATH.
#pragma once

#include "app/FlowOutcome.h"
#include "link/ControllerData.h"
#include "ports/PortFactory.h"

class TankVolumeStore;

// The file a "file:" port names (empty for any other port), and the port of a file.
QString FilePortPath(const QString& portName);
QString FilePortName(const QString& path);

// What the controller behind the file holds: Done with the record (a file that does not exist yet is the
// blank controller: identifiers 00000000, every setting, volume and table word 0), UnreadableFile naming
// the file and why (no name, not a regular file, too large, unreadable), or InvalidFile with the entries
// that fail a load's check, one line each.
FlowOutcome ReadFilePort(const QString& path, TParameters* record = nullptr);

// The lines of other, and beside them the "file:" ports. Each time a file is loaded its tank volumes go
// into volumes under its serial number, as a load would store them; what a write keeps takes the volumes
// of the polled sensors from there, as a save does. volumes must outlive the lines; null keeps none.
SerialLinkFactory WithFilePorts(SerialLinkFactory other, TankVolumeStore* volumes);
