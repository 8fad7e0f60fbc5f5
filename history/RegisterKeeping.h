// SPDX-License-Identifier: GPL-3.0-or-later
// The team register beside the history: queueing each version the history keeps, and sending the queue in
// the background, so that no save, load or undo ever waits for the register.
#pragma once

#include "history/ControllerHistory.h"

struct AppContext;

// The connection string of the register this program uses (ZENTIK_REGISTER, else the options file's
// Register), empty when none is configured.
QString ConfiguredRegister(const AppContext& context);

// Queues the version the history has just kept at path, taken at `at`, when a register is configured, and
// starts sending the queue in the background. A queue that cannot be written is told as a warning; the
// job goes on.
void QueueForRegister(const AppContext& context, const QString& path, const QString& serial,
                      ControllerHistory::Event event, const QDateTime& at);

// Starts "zentikctl register sync --quiet" on this program's home and history, detached: it goes on after
// a program that ends at once, as zentikctl does after a save. Nothing happens where zentikctl is missing;
// the queue then waits for the next sync.
void StartRegisterSync(const AppContext& context);

// Starts that sync when a register is configured and versions wait in the queue: those kept while the
// register could not be reached go out once it can.
void SyncWaitingVersions(const AppContext& context);
