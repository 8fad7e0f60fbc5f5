// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/HistoryRegister.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "config/SafeFile.h"
#include "history/RegisterKeeping.h"

#include <QSet>
#include <QTemporaryDir>

HistoryRegister::HistoryRegister(const AppContext& context, QObject* parent)
    : QObject(parent), m_context(context)
{
    if (const QString connection = ConfiguredRegister(context); !connection.isEmpty() && context.history)
        m_lookup.emplace(connection, context.history->folder());
}

HistoryRegister::~HistoryRegister() = default;

void HistoryRegister::ask(const QString& serial, std::function<void()> answered)
{
    if (!m_lookup || serial == m_askedSerial || !RegisterVersion::isSerial(serial))
        return;
    m_askedSerial = serial;
    m_lookup->ask(this, serial, [this, answered](const RegisterLookup::Listing& listing) {
        if (!listing.problem.ok()) {
            const QString problem = RegisterProblemText(*m_context.language, listing.problem);
            if (problem != m_problem)
                m_context.messages->status(problem);
            m_problem = problem;
            return;
        }
        m_problem.clear();
        m_remoteSerial = listing.serial;
        m_remote = listing.versions;
        answered();
    });
}

QString HistoryRegister::registerKey(const ControllerHistory::Version& v)
{
    if (const auto known = m_localKeys.constFind(v.path); known != m_localKeys.cend())
        return *known;
    RegisterVersion version;
    version.serial = m_remoteSerial;
    version.taken = v.time;
    version.event = v.event;
    QByteArray content;
    if (SafeFile::read(v.path, &content) == SafeFile::ReadStatus::Ok)
        version.sha256 = RegisterVersion::sha256Of(content);
    return *m_localKeys.insert(v.path, version.key());
}

QList<HistoryRegister::Remote> HistoryRegister::notHeld(const QString& serial,
                                                        const QList<ControllerHistory::Version>& local)
{
    if (serial != m_remoteSerial)
        return {};
    QSet<QString> held;
    for (const ControllerHistory::Version& v : local)
        held << registerKey(v);
    QList<Remote> missing;
    for (const RegisterVersion& remote : m_remote) {
        const QString key = remote.key();
        if (held.contains(key))
            continue;
        Remote r;
        r.key = key;
        r.takenBy = remote.takenBy;
        r.version.path = m_fetched.value(key);
        r.version.time = remote.taken.toLocalTime();
        r.version.event = remote.event;
        missing << r;
    }
    return missing;
}

bool HistoryRegister::fetch(const QStringList& keys, std::function<void()> done)
{
    QList<std::pair<int, RegisterVersion>> wanted;
    for (const QString& key : keys)
        for (int i = 0; i < m_remote.size(); ++i)
            if (m_remote[i].key() == key)
                wanted.append({i + 1, m_remote[i]});
    if (wanted.isEmpty() || !m_lookup)
        return false;
    if (!m_folder)
        m_folder = std::make_unique<QTemporaryDir>();
    m_context.messages->status(m_context.language->LanguageText("MESSAGES", "218"));
    m_lookup->fetch(
        this, wanted, m_folder->path(), [this, wanted, done](const RegisterLookup::Fetched& fetched) {
            if (!fetched.problem.ok())
                return m_context.messages->warning(RegisterProblemText(*m_context.language, fetched.problem));
            if (!fetched.writeError.isEmpty())
                return m_context.messages->error(fetched.writeError);
            for (qsizetype i = 0; i < fetched.paths.size(); ++i)
                m_fetched.insert(wanted[i].second.key(), fetched.paths[i]);
            done();
        });
    return true;
}
