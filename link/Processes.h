// SPDX-License-Identifier: GPL-3.0-or-later
// The controller object's processes as one table (number, name, starter), and starting one with its
// completion bound.
#pragma once

#include "link/UzentikDevice.h"

struct ProcessKind
{
    int id;
    const char* name; // the starter's name
    bool (TZENTIK::*start)(int timeoutMs);
};

// Processes 1 to 6, in the order of their numbers.
inline constexpr ProcessKind kProcesses[] = {
    {Process::ReadConfig, "ReadConfig", &TZENTIK::ReadConfig},
    {Process::SaveConfig, "SaveConfig", &TZENTIK::SaveConfig},
    {Process::ReadTable, "ReadTable", &TZENTIK::ReadTable},
    {Process::WriteTable, "WriteTable", &TZENTIK::WriteTable},
    {Process::ReadAllSettings, "ReadAllSettings", &TZENTIK::ReadAllSettings},
    {Process::LoadAllSettings, "LoadAllSettings", &TZENTIK::LoadAllSettings},
};

// The process with this number; nullptr for any other number.
const ProcessKind* FindProcess(int id);

// Binds the completion event of the process to done (tracked by receiver, which may be null) and starts
// it with this request time-out. False when another process is running: then nothing was bound or started.
// done may already have run when this returns: a process whose first request cannot be written ends
// inside its starter.
bool StartProcess(TZENTIK& z, int process, int timeoutMs, QObject* receiver,
                  std::function<void(TZENTIK*)> done);

// StartProcess for process 1 that may also take the place of a configuration read whose first request is
// still unanswered (TZENTIK::ReplaceConfigRead); the replaced read's completion event is never called.
bool StartReplacingConfigRead(TZENTIK& z, int timeoutMs, QObject* receiver,
                              std::function<void(TZENTIK*)> done);
