// SPDX-License-Identifier: GPL-3.0-or-later
// Sending the queued versions to the team register: in batches, each stored in one transaction and only
// then taken off the queue, so that a sync cut off anywhere loses nothing and one run twice stores nothing
// twice.
#pragma once

#include "history/RegisterProblem.h"

#include <QList>
#include <QString>

class RegisterStore;

struct RegisterSyncResult
{
    int sent = 0;    // stored, or found stored already, and taken off the queue
    int waiting = 0; // still queued
    // Queued versions whose file is gone or changed: they can never be sent and have been taken off the
    // queue. reason: the system's words, empty when the file is no longer the one that was queued.
    struct Dropped
    {
        QString file;
        QString reason;
    };
    QList<Dropped> dropped;
    QString queueError; // the queue could not be read or changed (names it)
    RegisterProblem problem;

    bool ok() const { return problem.ok() && queueError.isEmpty() && dropped.isEmpty(); }
};

// Connects the store (not yet open) and sends what the history folder's queue holds.
RegisterSyncResult SyncRegister(const QString& historyFolder, RegisterStore& store);
