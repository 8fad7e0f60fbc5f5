// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The steps, each from the version before it. A step is never changed once released: a register that
// took it keeps what it made.
const QList<QStringList> kSteps = {
    // 1
    {
        QStringLiteral("CREATE TABLE zentik_schema (version integer NOT NULL)"),
        QStringLiteral("INSERT INTO zentik_schema VALUES (0)"),
        // Each file's bytes once, however many versions share them; the register checks them itself too.
        QStringLiteral("CREATE TABLE zentik_content ("
                       " sha256 text COLLATE \"C\" PRIMARY KEY,"
                       " bytes bytea NOT NULL,"
                       " CONSTRAINT zentik_content_sha256 CHECK (sha256 = encode(sha256(bytes), 'hex')),"
                       " CONSTRAINT zentik_content_size CHECK (octet_length(bytes) <= 1048576))"),
        // The unique key leads with serial and time: it is also the index that lists one controller's
        // versions in time order, and with the "C" collation it serves a search by the serial's start.
        QStringLiteral(
            "CREATE TABLE zentik_version ("
            " id bigserial PRIMARY KEY,"
            " serial text COLLATE \"C\" NOT NULL"
            "  CONSTRAINT zentik_version_serial CHECK (serial ~ '^[0-9A-F]{8}$'),"
            " taken timestamptz NOT NULL,"
            " event text NOT NULL"
            "  CONSTRAINT zentik_version_event CHECK (event IN ('read', 'before-write', 'written')),"
            " sha256 text COLLATE \"C\" NOT NULL REFERENCES zentik_content,"
            " taken_by text NOT NULL CONSTRAINT zentik_version_taken_by CHECK (length(taken_by) <= 256),"
            " program text NOT NULL CONSTRAINT zentik_version_program CHECK (length(program) <= 64),"
            " received timestamptz NOT NULL DEFAULT now(),"
            " CONSTRAINT zentik_version_unique UNIQUE (serial, taken, event, sha256))"),
    },
    // 2
    {
        QStringLiteral("CREATE TABLE zentik_controller ("
                       " serial text COLLATE \"C\" PRIMARY KEY,"
                       " versions integer NOT NULL,"
                       " last_taken timestamptz NOT NULL,"
                       " last_id bigint NOT NULL REFERENCES zentik_version)"),
        QStringLiteral("INSERT INTO zentik_controller (serial, versions, last_taken, last_id)"
                       " SELECT DISTINCT ON (serial) serial, count(*) OVER (PARTITION BY serial), taken, id"
                       " FROM zentik_version ORDER BY serial, taken DESC, id DESC"),
    },
};
static_assert(RegisterSchema::kLatest == 2);

// Every program that upgrades takes this lock first, so that one upgrades and the others then find it done.
constexpr qint64 kUpgradeLock = 0x7a656e74696b; // "zentik"

} // namespace

int RegisterSchema::current(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('zentik_schema') IS NOT NULL")) || !query.next())
        return -1;
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT max(version) FROM zentik_schema")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool RegisterSchema::upgrade(QSqlDatabase& db, int target, const QString& where, RegisterProblem* problem)
{
    QSqlQuery query(db);
    const auto fail = [&](const QSqlError& error) {
        *problem = RegisterProblem::ofDatabase(RegisterProblem::Kind::Database, where, error);
        db.rollback();
        query.exec(QStringLiteral("SELECT pg_advisory_unlock_all()"));
        return false;
    };
    int version = current(db);
    if (version < 0)
        return fail(db.lastError());
    if (version < target && version < kLatest) {
        // Taken before the transaction, so that the transaction sees what the program that held it made.
        if (!query.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kUpgradeLock)))
            return fail(query.lastError());
        while (true) {
            if (!db.transaction())
                return fail(db.lastError());
            version = current(db);
            if (version < 0)
                return fail(db.lastError());
            if (version >= target || version >= kLatest)
                break;
            for (const QString& statement : kSteps[version])
                if (!query.exec(statement))
                    return fail(query.lastError());
            if (!query.exec(QStringLiteral("UPDATE zentik_schema SET version = %1").arg(version + 1)) ||
                !db.commit())
                return fail(query.lastError());
        }
        if (!db.commit() || !query.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kUpgradeLock)))
            return fail(db.lastError());
    }
    if (version > kLatest) {
        *problem = {RegisterProblem::Kind::NewerSchema,
                    {where, QString::number(version), QString::number(kLatest)}};
        return false;
    }
    return true;
}
