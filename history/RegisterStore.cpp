// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterStore.h"

#include "config/SafeFile.h"

#include "Version.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <atomic>

namespace {

const QString kDriver = QStringLiteral("QPSQL");
// Times travel as text in UTC, to the millisecond as the history names them, whatever the session's zone.
const QString kTimeColumn = QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS')");
// Two programs storing the same versions in another order wait for each other; the database ends one of
// them and it tries again.
const QStringList kRetryStates = {QStringLiteral("40P01"), QStringLiteral("40001")};
constexpr int kTries = 3;

QString uniqueName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("zentik-register-%1").arg(++counter);
}

QDateTime utcTime(const QString& text)
{
    QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    time.setTimeZone(QTimeZone::utc());
    return time;
}

QString timeValue(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z');
}

// What is wrong with a row's event, who, program and time, as the listing and the search read them: the
// MESSAGES key of the words and the value they name; none when nothing is.
QStringList entryFault(const QString& event, const QString& takenBy, const QString& program,
                       const QDateTime& taken)
{
    if (!RegisterVersion::eventNamed(event))
        return {QStringLiteral("220"), event.left(20)};
    if (takenBy.size() > RegisterVersion::kMaxTakenBy)
        return {QStringLiteral("221"), QString::number(RegisterVersion::kMaxTakenBy)};
    if (program.size() > RegisterVersion::kMaxProgram)
        return {QStringLiteral("222"), QString::number(RegisterVersion::kMaxProgram)};
    if (!taken.isValid())
        return {QStringLiteral("223"), QString()};
    return {};
}

} // namespace

RegisterStore::RegisterStore(const QString& connection) : m_name(uniqueName())
{
    if (connection.trimmed().isEmpty()) {
        m_problem = {RegisterProblem::Kind::NotConfigured, {}};
        return;
    }
    QStringList reason;
    const std::optional<RegisterAddress> address = RegisterAddress::parse(connection, &reason);
    if (!address) {
        m_problem = {RegisterProblem::Kind::BadAddress, reason};
        return;
    }
    m_where = address->display();
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        m_problem = {RegisterProblem::Kind::NoDriver, {}};
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_name);
    // These four are quoted by the driver itself; the rest go as options, which it cuts at ';'.
    db.setHostName(address->value(QStringLiteral("host")));
    db.setDatabaseName(address->value(QStringLiteral("dbname")));
    db.setUserName(address->value(QStringLiteral("user")));
    db.setPassword(address->value(QStringLiteral("password")));
    db.setConnectOptions(address->connectOptions({QStringLiteral("host"), QStringLiteral("dbname"),
                                                  QStringLiteral("user"), QStringLiteral("password")}));
    m_usable = true;
}

RegisterStore::~RegisterStore()
{
    if (!m_usable)
        return;
    database().close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase RegisterStore::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool RegisterStore::fail(const QSqlError& error)
{
    m_state = error.nativeErrorCode();
    m_problem = RegisterProblem::ofDatabase(RegisterProblem::Kind::Database, m_where, error);
    return false;
}

std::nullopt_t RegisterStore::unanswered(const QSqlError& error)
{
    fail(error);
    return std::nullopt;
}

std::nullopt_t RegisterStore::refuse(RegisterProblem::Kind kind, const QStringList& args)
{
    m_problem = {kind, args};
    return std::nullopt;
}

bool RegisterStore::open(int schema)
{
    if (!m_usable)
        return false;
    QSqlDatabase db = database();
    if (!db.isOpen() && !db.open()) {
        m_problem = RegisterProblem::ofDatabase(RegisterProblem::Kind::Unreachable, m_where, db.lastError());
        return false;
    }
    return RegisterSchema::upgrade(db, schema, m_where, &m_problem);
}

bool RegisterStore::store(QList<RegisterVersion> versions, int* added)
{
    // One order for every program, so that two storing the same versions wait rather than deadlock.
    std::sort(versions.begin(), versions.end(),
              [](const RegisterVersion& a, const RegisterVersion& b) { return a.key() < b.key(); });
    for (int attempt = 1;; ++attempt) {
        if (storeOnce(versions, added))
            return true;
        database().rollback();
        if (attempt == kTries || !kRetryStates.contains(m_state))
            return false;
    }
}

bool RegisterStore::storeOnce(const QList<RegisterVersion>& versions, int* added)
{
    QSqlDatabase db = database();
    if (added)
        *added = 0;
    if (!db.transaction())
        return fail(db.lastError());
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Contents the register holds already are not sent again: most reads of a controller repeat the last.
    // Only checked digits stand in the statement; the register refuses any other value itself.
    QStringList quoted;
    for (const RegisterVersion& v : versions)
        if (RegisterVersion::isSha256(v.sha256))
            quoted << QLatin1Char('\'') + QString::fromLatin1(v.sha256) + QLatin1Char('\'');
    QSet<QByteArray> held;
    if (!quoted.isEmpty()) {
        if (!query.exec(QStringLiteral("SELECT sha256 FROM zentik_content WHERE sha256 IN (%1)")
                            .arg(quoted.join(QLatin1Char(',')))))
            return fail(query.lastError());
        while (query.next())
            held << query.value(0).toString().toLatin1();
    }
    QList<const RegisterVersion*> bySha;
    for (const RegisterVersion& v : versions)
        bySha << &v;
    std::sort(bySha.begin(), bySha.end(), [](auto a, auto b) { return a->sha256 < b->sha256; });
    query.prepare(
        QStringLiteral("INSERT INTO zentik_content (sha256, bytes) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    for (const RegisterVersion* v : bySha) {
        if (held.contains(v->sha256))
            continue;
        held << v->sha256;
        query.addBindValue(QString::fromLatin1(v->sha256));
        query.addBindValue(v->content);
        if (!query.exec())
            return fail(query.lastError());
    }
    // The controller's row counts only versions new to the register and keeps the newest.
    query.prepare(QStringLiteral(
        "WITH v AS (INSERT INTO zentik_version (serial, taken, event, sha256, taken_by, program)"
        " VALUES (?, ?::timestamptz, ?, ?, ?, ?) ON CONFLICT DO NOTHING RETURNING id, serial, taken)"
        " INSERT INTO zentik_controller AS c (serial, versions, last_taken, last_id)"
        " SELECT serial, 1, taken, id FROM v"
        " ON CONFLICT (serial) DO UPDATE SET versions = c.versions + 1,"
        "  last_taken = greatest(c.last_taken, excluded.last_taken),"
        "  last_id = CASE WHEN excluded.last_taken >= c.last_taken THEN excluded.last_id ELSE c.last_id END"
        " RETURNING 1"));
    for (const RegisterVersion& v : versions) {
        query.addBindValue(v.serial);
        query.addBindValue(timeValue(v.taken));
        query.addBindValue(ControllerHistory::eventName(v.event));
        query.addBindValue(QString::fromLatin1(v.sha256));
        query.addBindValue(v.takenBy);
        query.addBindValue(v.program.isEmpty() ? QStringLiteral(ZENTIK_VERSION) : v.program);
        if (!query.exec())
            return fail(query.lastError());
        if (added && query.next())
            ++*added;
    }
    if (!db.commit())
        return fail(db.lastError());
    return true;
}

std::optional<QList<RegisterVersion>> RegisterStore::versions(const QString& serial)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Texts are read only a little past their bound: a row a hostile register blew up is not carried here.
    query.prepare(QStringLiteral("SELECT v.id, left(v.serial, 9), %1, left(v.event, 20), left(v.sha256, 65),"
                                 " left(v.taken_by, %2), left(v.program, %3), octet_length(c.bytes)"
                                 " FROM zentik_version v LEFT JOIN zentik_content c ON c.sha256 = v.sha256"
                                 " WHERE v.serial = ? ORDER BY v.taken, v.id")
                      .arg(kTimeColumn.arg(QStringLiteral("v.taken")))
                      .arg(RegisterVersion::kMaxTakenBy + 1)
                      .arg(RegisterVersion::kMaxProgram + 1));
    query.addBindValue(serial);
    if (!query.exec())
        return unanswered(query.lastError());
    QList<RegisterVersion> found;
    while (query.next()) {
        RegisterVersion v;
        v.id = query.value(0).toLongLong();
        v.serial = query.value(1).toString();
        v.taken = utcTime(query.value(2).toString());
        const QString event = query.value(3).toString();
        v.sha256 = query.value(4).toString().toLatin1();
        v.takenBy = query.value(5).toString();
        v.program = query.value(6).toString();
        v.size = query.value(7).isNull() ? -1 : query.value(7).toLongLong();
        const QString index = QString::number(found.size() + 1);
        if (v.serial != serial)
            return refuse(RegisterProblem::Kind::RefusedSerial, {v.serial});
        QStringList fault = entryFault(event, v.takenBy, v.program, v.taken);
        if (fault.isEmpty() && !RegisterVersion::isSha256(v.sha256))
            fault = QStringList{QStringLiteral("224"), QString()};
        if (fault.isEmpty() && v.size < 0)
            fault = QStringList{QStringLiteral("225"), QString()};
        if (!fault.isEmpty())
            return refuse(RegisterProblem::Kind::RefusedEntry, QStringList{index, serial} + fault);
        v.event = *RegisterVersion::eventNamed(event);
        found << v;
    }
    return found;
}

std::optional<QByteArray> RegisterStore::content(const RegisterVersion& version, int index)
{
    const QString number = QString::number(index);
    const QString bound = QString::number(SafeFile::kMaxInputBytes);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // A content larger than any configuration file is not even carried here.
    query.prepare(
        QStringLiteral("SELECT CASE WHEN octet_length(bytes) <= %1 THEN bytes END, octet_length(bytes)"
                       " FROM zentik_content WHERE sha256 = ?")
            .arg(bound));
    query.addBindValue(QString::fromLatin1(version.sha256));
    if (!query.exec())
        return unanswered(query.lastError());
    if (!query.next())
        return refuse(RegisterProblem::Kind::RefusedEntry,
                      {number, version.serial, QStringLiteral("225"), QString()});
    if (query.value(1).toLongLong() > SafeFile::kMaxInputBytes)
        return refuse(RegisterProblem::Kind::RefusedSize, {number, version.serial, bound});
    const QByteArray bytes = query.value(0).toByteArray();
    if (RegisterVersion::sha256Of(bytes) != version.sha256)
        return refuse(RegisterProblem::Kind::RefusedHash, {number, version.serial});
    return bytes;
}

std::optional<QList<RegisterController>> RegisterStore::find(const QString& prefix)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT left(c.serial, 9), c.versions, %1, left(v.event, 20), left(v.taken_by, %2)"
                       " FROM zentik_controller c JOIN zentik_version v ON v.id = c.last_id"
                       " WHERE c.serial LIKE ? ORDER BY c.serial")
            .arg(kTimeColumn.arg(QStringLiteral("v.taken")))
            .arg(RegisterVersion::kMaxTakenBy + 1));
    // The prefix is hexadecimal digits only: nothing in it is a wildcard.
    query.addBindValue(prefix + QLatin1Char('%'));
    if (!query.exec())
        return unanswered(query.lastError());
    QList<RegisterController> found;
    while (query.next()) {
        RegisterController c;
        c.serial = query.value(0).toString();
        c.versions = query.value(1).toInt();
        c.last.serial = c.serial;
        c.last.taken = utcTime(query.value(2).toString());
        const QString event = query.value(3).toString();
        c.last.takenBy = query.value(4).toString();
        if (!RegisterVersion::isSerial(c.serial))
            return refuse(RegisterProblem::Kind::RefusedSerial, {c.serial});
        if (const QStringList fault = entryFault(event, c.last.takenBy, QString(), c.last.taken);
            !fault.isEmpty())
            return refuse(RegisterProblem::Kind::RefusedEntry,
                          QStringList{QString::number(c.versions), c.serial} + fault);
        c.last.event = *RegisterVersion::eventNamed(event);
        found << c;
    }
    return found;
}

std::optional<RegisterStore::Counts> RegisterStore::counts()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT count(*) FROM zentik_version), (SELECT count(*) FROM zentik_controller)")) ||
        !query.next())
        return unanswered(query.lastError());
    return Counts{query.value(0).toLongLong(), query.value(1).toLongLong()};
}
