// SPDX-License-Identifier: GPL-3.0-or-later
// The team register in its PostgreSQL database: storing versions, listing a controller's, fetching one and
// finding controllers, with every answer checked before the program takes it. Each store has a database
// connection of its own, used only on the thread that made the store; connecting may take seconds, so the
// windows use a store on another thread only.
#pragma once

#include "history/RegisterAddress.h"
#include "history/RegisterProblem.h"
#include "history/RegisterSchema.h"
#include "history/RegisterVersion.h"

#include <QList>

#include <optional>

class QSqlDatabase;
class QSqlError;

struct RegisterController
{
    QString serial;
    int versions = 0;
    RegisterVersion last; // its newest version: time, event, who
};

class RegisterStore
{
public:
    // connection: the configured connection string (RegisterAddress::configured).
    explicit RegisterStore(const QString& connection);
    ~RegisterStore();
    RegisterStore(const RegisterStore&) = delete;
    RegisterStore& operator=(const RegisterStore&) = delete;

    // Connects and brings the register's tables up to the schema (this program's, unless a test asks for
    // an older one). False with problem() set.
    bool open(int schema = RegisterSchema::kLatest);
    const RegisterProblem& problem() const { return m_problem; }
    // Where the register is, for messages (no password).
    QString where() const { return m_where; }

    // Stores the versions, content included, in one transaction; a version the register holds already is
    // left as it is. added: how many were new.
    bool store(QList<RegisterVersion> versions, int* added = nullptr);
    // The controller's versions, oldest first, without their content.
    std::optional<QList<RegisterVersion>> versions(const QString& serial);
    // The bytes of a listed version (index: its place in the list, for messages), checked against its
    // size and SHA-256.
    std::optional<QByteArray> content(const RegisterVersion& version, int index);
    // The controllers whose serial number starts with prefix (hexadecimal digits), by serial number.
    std::optional<QList<RegisterController>> find(const QString& prefix);
    struct Counts
    {
        qint64 versions = 0;
        qint64 controllers = 0;
    };
    std::optional<Counts> counts();

private:
    QSqlDatabase database() const;
    bool fail(const QSqlError& error);
    std::nullopt_t unanswered(const QSqlError& error);
    // An answer the program does not take.
    std::nullopt_t refuse(RegisterProblem::Kind kind, const QStringList& args);
    bool storeOnce(const QList<RegisterVersion>& versions, int* added);

    QString m_name;
    QString m_where;
    RegisterProblem m_problem;
    QString m_state; // the SQLSTATE of the last failure
    bool m_usable = false;
};
