// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterSync.h"

#include "history/RegisterQueue.h"
#include "history/RegisterStore.h"

#include <QDir>

namespace {

// Versions per transaction: a batch is some megabytes at most, and a sync cut off loses little work.
constexpr int kBatch = 100;

} // namespace

RegisterSyncResult SyncRegister(const QString& historyFolder, RegisterStore& store)
{
    RegisterSyncResult result;
    RegisterQueue queue(historyFolder);
    const QList<RegisterVersion> queued = queue.entries(&result.queueError);
    if (!store.open()) {
        result.problem = store.problem();
        result.waiting = int(queued.size());
        return result;
    }
    for (qsizetype start = 0; start < queued.size() && result.queueError.isEmpty(); start += kBatch) {
        QList<RegisterVersion> batch;
        QSet<QString> done;
        for (RegisterVersion v : queued.mid(start, kBatch)) {
            QString reason;
            if (queue.load(v, &reason)) {
                batch << v;
            } else {
                result.dropped.append(
                    {QDir::toNativeSeparators(QDir(historyFolder).filePath(v.file)), reason});
                done << v.key();
            }
        }
        if (!batch.isEmpty() && !store.store(batch)) {
            result.problem = store.problem();
            break;
        }
        for (const RegisterVersion& v : batch)
            done << v.key();
        if (!queue.remove(done, &result.queueError))
            break;
        result.sent += int(batch.size());
    }
    // Other programs may have queued or sent versions meanwhile.
    result.waiting = int(queue.entries().size());
    return result;
}
