// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a configuration file into the connected controller: the file is read and checked, the user is
// asked (MESSAGES 021) whether to abandon a file that fails its check, the controller is backed up and the
// user shown what will change, then the record to be written and the page buffer are filled from it and
// everything is written (process 6).
#pragma once

#include "flows/Flow.h"

enum class LoadMode {
    Write,
    DryRun, // the controller read and the review shown; nothing is written
};

// Whether a file with a value out of its field's range may still be loaded once the user has been asked: the
// window asks, and its review then shows each value as the controller will hold it; zentikctl refuses such a
// file even with --force, since nobody looks at the review it prints.
enum class OutOfRange { Ask, Refuse };

// A file that cannot be read, a missing one included, ends UnreadableFile before anything is asked. Yes to
// the question ends InvalidFile with the problems, one line per entry; nothing is then sent (so does a value
// out of range with Refuse, told without a question). With a backup (StartBackup), or on a configuration
// file standing in for the controller, which is read instead, the message service's review of the write
// follows: Cancel ends the flow Cancelled with nothing written; a successful write is kept in the history as
// `written`, and the controller object's Parameters then hold what the controller holds, as a read would
// show it.
void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run, LoadMode mode = LoadMode::Write,
                     OutOfRange outOfRange = OutOfRange::Ask);
