// SPDX-License-Identifier: GPL-3.0-or-later
// The team register's side of the controller history window: the versions colleagues took of the controller
// shown, asked for without the window waiting, those of them this computer does not hold, and fetching the
// ones a command needs into a folder of their own.
#pragma once

#include "history/ControllerHistory.h"
#include "history/RegisterLookup.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

struct AppContext;
class QTemporaryDir;

class HistoryRegister : public QObject
{
public:
    HistoryRegister(const AppContext& context, QObject* parent);
    ~HistoryRegister() override;

    // Asks for the controller's versions unless that was done since the last forget(); answered runs when
    // they have come. A register that cannot be reached is said in the status line, once.
    void ask(const QString& serial, std::function<void()> answered);
    // The next ask() asks again (a read or write has just ended: a colleague's versions may have come too).
    void forget() { m_askedSerial.clear(); }

    // A version of the register this computer does not hold: its key (time, event and SHA-256), who took it,
    // and its file once it has been fetched.
    struct Remote
    {
        ControllerHistory::Version version;
        QString key;
        QString takenBy;
    };
    // Those of the controller's versions in the register that none of local is, oldest first; none until
    // the register has answered for the controller.
    QList<Remote> notHeld(const QString& serial, const QList<ControllerHistory::Version>& local);

    // Fetches the versions with these keys; done runs once their files are there (fetchedFile). False, and
    // nothing asked, when there is none to fetch.
    bool fetch(const QStringList& keys, std::function<void()> done);
    QString fetchedFile(const QString& key) const { return m_fetched.value(key); }

private:
    QString registerKey(const ControllerHistory::Version& v);

    const AppContext& m_context;
    std::optional<RegisterLookup> m_lookup;  // none: no register is configured
    QString m_askedSerial;                   // whose versions were asked for last
    QString m_remoteSerial;                  // whose versions m_remote holds
    QString m_problem;                       // told once, not after every read
    QList<RegisterVersion> m_remote;         // the register's, oldest first
    QHash<QString, QString> m_fetched;       // file of each register version fetched, by key
    QHash<QString, QString> m_localKeys;     // register key of each local version, by file
    std::unique_ptr<QTemporaryDir> m_folder; // of the versions fetched
};
