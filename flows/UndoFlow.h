// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing the last write into the connected controller: its serial number read (process 1), the backup of
// the last write the history noted (ControllerHistory::undoChoice) loaded as any file is, with its own
// backup and review, so that a second undo redoes. Entries passed over are told in one warning, a line each.
#pragma once

#include "flows/Flow.h"

// Ends NothingToUndo (detail: the message that says so) when the history holds no backup of the controller
// that can be written back, when the last write left none, or when the port is a configuration file;
// otherwise as StartConfigLoad ends. version, when given, learns the file about to be loaded.
void StartUndo(const AppContext& context, const QString& progressLabel, const FlowRun& run,
               std::function<void(const QString& version)> version = {});
