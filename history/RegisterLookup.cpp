// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterLookup.h"

#include "config/SafeFile.h"
#include "history/RegisterStore.h"
#include "history/RegisterSync.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QThreadPool>

namespace {

// Runs job on a thread of Qt's pool, which the application waits for when it ends; done gets its result on
// the receiver's thread, unless the receiver is gone by then.
template <typename Result>
void runApart(QObject* receiver, std::function<Result()> job, std::function<void(const Result&)> done)
{
    QThreadPool::globalInstance()->start([job, done, receiver = QPointer<QObject>(receiver)] {
        const Result result = job();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, result] {
                if (receiver)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

} // namespace

void RegisterLookup::ask(QObject* receiver, const QString& serial,
                         std::function<void(const Listing&)> done) const
{
    const QString connection = m_connection;
    const QString history = m_history;
    runApart<Listing>(
        receiver,
        [connection, history, serial] {
            Listing listing{serial, {}, {}};
            RegisterStore store(connection);
            // A queue that cannot be sent now does not keep the team's versions from being shown.
            SyncRegister(history, store);
            std::optional<QList<RegisterVersion>> versions;
            if (store.open())
                versions = store.versions(serial);
            if (versions)
                listing.versions = *versions;
            else
                listing.problem = store.problem();
            return listing;
        },
        std::move(done));
}

void RegisterLookup::fetch(QObject* receiver, const QList<std::pair<int, RegisterVersion>>& versions,
                           const QString& folder, std::function<void(const Fetched&)> done) const
{
    const QString connection = m_connection;
    runApart<Fetched>(
        receiver,
        [connection, versions, folder] {
            Fetched fetched;
            RegisterStore store(connection);
            if (!store.open()) {
                fetched.problem = store.problem();
                return fetched;
            }
            for (const auto& [index, version] : versions) {
                const std::optional<QByteArray> content = store.content(version, index);
                if (!content) {
                    fetched.problem = store.problem();
                    return fetched;
                }
                const QString path = QDir(folder).filePath(fileName(version));
                if (!SafeFile::write(path, *content, &fetched.writeError))
                    return fetched;
                fetched.paths << path;
            }
            return fetched;
        },
        std::move(done));
}

QString RegisterLookup::fileName(const RegisterVersion& version)
{
    return QStringLiteral("%1 %2 %3.zkt")
        .arg(version.serial, version.taken.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz'Z'")),
             ControllerHistory::eventName(version.event));
}
