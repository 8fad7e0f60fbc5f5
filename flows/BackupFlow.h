// SPDX-License-Identifier: GPL-3.0-or-later
// The backup read before a write that replaces a table (process 5, kept in the controller history as
// `before-write`, what the windows show left as it was).
#pragma once

#include "flows/Flow.h"
#include "history/HistoryKeeping.h"

#include <optional>

enum class BackupUse {
    BeforeWrite, // only when BackupBeforeWrite; kept as `before-write`, and a failure to keep it stops
    LookOnly,    // always (a dry run needs the controller's values); kept as `read`
};

// Reads the controller whole and keeps it, with the tank volumes kept for both tanks, then hands the record
// read to `then` with Parameters as it was before the read; without a backup `then` gets nothing at once. A
// failed read ends the run BackupFailed with its result code, a history that cannot be kept FileError; `then`
// is then not called.
void StartBackup(const AppContext& context, BackupUse use, const FlowRun& run,
                 std::function<void(const std::optional<TParameters>& backup)> then);
