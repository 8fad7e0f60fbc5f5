// SPDX-License-Identifier: GPL-3.0-or-later
// Why the team register could not do what was asked, told in the user's language: not configured, not
// reachable, or an answer the program refuses to take.
#pragma once

#include <QStringList>

class LanguageCatalog;
class QSqlError;

struct RegisterProblem
{
    enum class Kind {
        None,
        NotConfigured,
        BadAddress,    // what is wrong with the connection string: its MESSAGES key and the value it names
        NoDriver,      // Qt's PostgreSQL driver is missing
        Unreachable,   // where, why
        NewerSchema,   // where, its schema, ours
        Database,      // where, the database's words
        RefusedHash,   // index, serial: the bytes do not match their SHA-256
        RefusedSize,   // index, serial, the bound
        RefusedSerial, // the serial number the register named
        RefusedEntry,  // index, serial, what is wrong: its MESSAGES key and the value it names
    };

    Kind kind = Kind::None;
    QStringList args;

    bool ok() const { return kind == Kind::None; }
    // An answer that came but was not taken: nothing on this computer has been changed by it.
    bool isRefusal() const { return kind >= Kind::RefusedHash; }

    // Unreachable or Database at where, with libpq's words on one line.
    static RegisterProblem ofDatabase(Kind kind, const QString& where, const QSqlError& error);
};

// The problem's text with its values filled in.
QString RegisterProblemText(const LanguageCatalog& language, const RegisterProblem& problem);
