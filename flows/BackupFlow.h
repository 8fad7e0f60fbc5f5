// SPDX-License-Identifier: GPL-3.0-or-later
// The backup read before a write (process 5, what the windows show left as it was), and the write itself
// with its backup kept in the controller history as `before-write` right before anything is sent.
#pragma once

#include "flows/Flow.h"
#include "history/HistoryKeeping.h"

#include <optional>

enum class BackupUse {
    BeforeWrite, // only when BackupBeforeWrite; kept by RunWrite once the write is under way
    LookOnly,    // always (a dry run needs the controller's values); kept as `read` at once
};

// Reads the controller whole, then hands the record read to `then` with Parameters as it was before the
// read, and with the tank volumes kept for both tanks; without a backup `then` gets nothing at once. A failed
// read ends the run BackupFailed with its result code; `then` is then not called.
void StartBackup(const AppContext& context, BackupUse use, const FlowRun& run,
                 std::function<void(const std::optional<TParameters>& backup)> then);

// Whether the write process (2, 4 or 6) would change anything in a controller that holds `held`, its tank
// volumes kept on this computer included: the record and pages to be written are the controller object's
// NewParameters and NewPages, a table the one PageIndex selects.
bool WriteDiffers(const AppContext& context, int process, const TParameters& held);

// Runs a write process (2, 4 or 6) as Flow::runProcess does, noted in the history as the newest write into
// the controller right before anything is sent: with its backup kept as `before-write` (a history that
// cannot keep it ends the run FileError, nothing sent), or as a write without a backup once the write has
// named the controller. A cancelled write is never noted; one that ends having changed nothing in the
// controller is forgotten again, so that undo never offers its backup.
// What the controller holds, read right before (the backup, else held), lets the write send only what
// differs (WriteChanged): when nothing does, the run ends AlreadyHeld with nothing sent or kept. The write
// reads back what it sent (VerifyWrite), a difference ending it ProcessFailed with 14.
void RunWrite(const AppContext& context, int process, const QString& progressLabel, const FlowRun& run,
              const std::optional<TParameters>& backup, FlowDone then,
              const std::optional<TParameters>& held = std::nullopt);
