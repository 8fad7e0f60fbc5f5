// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the controller in its history: the backup read before a write that replaces a table (process 5,
// kept as `before-write`, what the windows show left as it was), and one version of any other event.
#pragma once

#include "app/ControllerHistory.h"
#include "app/Flow.h"

#include <optional>

// Whether the connected controller's reads and writes go into the history: there is one, and the port is
// a controller's, not a configuration file standing in for one.
bool KeepsHistory(const AppContext& context);
// Whether a write that replaces a table is preceded by a backup: the history is kept, and neither the
// options file (Backup=0) nor the run (--no-backup) says otherwise.
bool BackupBeforeWrite(const AppContext& context);

// Keeps the record as a version of its controller: Done, or FileError whose detail says, naming the
// folder, that the history could not be written.
FlowOutcome KeepInHistory(const AppContext& context, const TParameters& p, ControllerHistory::Event event);
// The same for a version the work can do without (a read for saving or the report, a file written): a
// failure is told as a warning and the work goes on.
void KeepInHistoryOrWarn(const AppContext& context, const TParameters& p, ControllerHistory::Event event);

enum class BackupUse {
    BeforeWrite, // only when BackupBeforeWrite; kept as `before-write`, and a failure to keep it stops
    LookOnly,    // always (a dry run needs the controller's values); kept as `read`
};

// Reads the controller whole and keeps it, then hands the record read to `then` with Parameters as it was
// before the read; without a backup `then` gets nothing at once. A failed read ends the run BackupFailed
// with its result code, a history that cannot be kept FileError; `then` is then not called.
void StartBackup(const AppContext& context, BackupUse use, const FlowRun& run,
                 std::function<void(const std::optional<TParameters>& backup)> then);
