// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the connected controller in its history: whether its reads and writes are kept, whether a write
// takes a backup first, and keeping one version.
#pragma once

#include "app/FlowOutcome.h"
#include "history/ControllerHistory.h"

struct AppContext;

// Whether the connected controller's reads and writes go into the history: there is one, and the port is
// a real controller's, not a configuration file standing in for one nor the built-in simulated controller.
bool KeepsHistory(const AppContext& context);
// Whether a write is preceded by a backup read: there is a history, the port is not a file's, and neither
// the options file (Backup=0) nor the run (--no-backup) says otherwise. On the simulated controller the
// backup is read and the write reviewed, but nothing is kept.
bool BackupBeforeWrite(const AppContext& context);

// Keeps the record as a version of its controller, one the work can do without (a read for saving or the
// report, a file written): a failure is told as a warning and the work goes on.
void KeepInHistoryOrWarn(const AppContext& context, const TParameters& p, ControllerHistory::Event event);

// Keeps the backup of a write about to be sent (ControllerHistory::recordWrite), path getting its version:
// Done, or FileError whose detail says, naming the folder, that the history could not be written.
FlowOutcome KeepBackupOfWrite(const AppContext& context, const TParameters& backup, QString* path);
// Notes a write made without a backup into the controller with that serial number; a failure is told as a
// warning.
void NoteWriteWithoutBackup(const AppContext& context, const QString& serial);
