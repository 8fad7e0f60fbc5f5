// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the configuration into the connected controller (process 2): the controller settings window's
// Apply, and zentikctl write-settings, which reads the configuration first and changes only the entries
// named.
#pragma once

#include "config/ConfigFile.h"
#include "flows/Flow.h"

// Writes `written` as the controller's configuration after the backup (StartBackup, RunWrite); the tank
// volumes go into the store under the controller's serial number on the way. Done, Busy, BackupFailed,
// FileError (the history), or ProcessFailed with the result code (13 with the store's error as detail).
void StartConfigWrite(const AppContext& context, const TParameters& written, const FlowRun& run);
// The same for values edited from the configuration asRead: a configuration file standing in for the
// controller whose settings are no longer those is not written (FileError saying so), since the write would
// undo what changed them.
void StartConfigWrite(const AppContext& context, const TParameters& written, const TParameters& asRead,
                      const FlowRun& run);

// Settings given as KEY=VALUE, each checked against the range of its field in the controller settings
// window: Done with the entries (keys as the file names them), or InvalidFile with one line per assignment
// that has no "=", names no setting, or holds a value its field cannot take.
FlowOutcome ParseSettingAssignments(const QStringList& assignments, QList<ConfigFile::Entry>* entries);

// Reads the configuration, changes only these entries and writes it back whole, a configuration file
// standing in for the controller held locked from the read to the write-back. A tank volume not named
// keeps what is kept for it, polled or not, so that the store loses nothing the user did not change.
void StartSettingsWrite(const AppContext& context, const QList<ConfigFile::Entry>& entries,
                        const FlowRun& run);
