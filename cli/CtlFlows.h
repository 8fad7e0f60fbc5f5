// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands that run one flow on the controller, the same the windows run: its files are read
// and checked first, the port is opened right before the flow's first process.
#pragma once

#include "cli/CtlCall.h"

namespace CtlFlows {

// Whether the text names a sensor: 1 or 2.
bool isSensor(const QString& text);
// Whether the text names a method of --method: linear or monotone.
bool isMethod(const QString& name);
// write-settings: a setting named twice, letter case aside (which of its values was meant is not known).
QString settingsProblem(const QStringList& assignments);

int read(const CtlCall& call);
int save(const CtlCall& call);
int load(const CtlCall& call);
int verify(const CtlCall& call);
int readTable(const CtlCall& call);
int writeTable(const CtlCall& call);
int writePoints(const CtlCall& call);
// The points of a file checked as write-points checks them, and the table's estimated error.
int checkPoints(const CtlCall& call);
int writeSettings(const CtlCall& call);
int report(const CtlCall& call);

} // namespace CtlFlows
