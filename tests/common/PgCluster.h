// SPDX-License-Identifier: GPL-3.0-or-later
// A throwaway PostgreSQL cluster for the register's tests and benchmark: initdb and pg_ctl of
// postgresql-15 in a temporary folder, reached only through a Unix socket there, stopped at the end. Run
// as root, the server runs as the postgres user, as PostgreSQL requires.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class PgCluster
{
public:
    PgCluster() = default;
    ~PgCluster();

    // The folder of initdb, pg_ctl and psql (ZENTIK_PG_BIN, else postgresql-15's); empty when absent.
    static QString binDir();
    bool start(QString* why);
    void stop();

    // Runs the statements as the superuser in the database; out: what psql printed (unaligned, tuples only).
    bool sql(const QString& database, const QString& statements, QString* out = nullptr) const;
    // A database and its owner role made with the two lines the README gives an administrator; the
    // connection string the program takes.
    QString createRegister(const QString& name) const;
    QString socketDir() const { return m_dir ? m_dir->filePath(QStringLiteral("pg")) : QString(); }

private:
    bool runAsServer(const QString& program, const QStringList& arguments, QString* why) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_running = false;
};
