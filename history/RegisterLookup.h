// SPDX-License-Identifier: GPL-3.0-or-later
// Asking the team register without waiting for it: each question runs on another thread with a connection
// of its own, and the answer comes back on the main thread to a receiver that may be gone by then (the
// answer is then dropped).
#pragma once

#include "history/RegisterProblem.h"
#include "history/RegisterVersion.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <utility>

class QObject;

class RegisterLookup
{
public:
    // connection: the configured connection string; historyFolder: where the queue is.
    RegisterLookup(const QString& connection, const QString& historyFolder)
        : m_connection(connection), m_history(historyFolder)
    {}

    struct Listing
    {
        QString serial;
        QList<RegisterVersion> versions; // oldest first
        RegisterProblem problem;
    };
    // Sends what the queue holds (the register is reachable now, and this computer's versions belong in
    // it), then lists the controller's versions.
    void ask(QObject* receiver, const QString& serial, std::function<void(const Listing&)> done) const;

    struct Fetched
    {
        QStringList paths; // in the order asked
        RegisterProblem problem;
        QString writeError; // a file could not be written into the folder
    };
    // Fetches each version (with its place in the listing, for messages) into a file of folder, checked
    // before it is written; nothing is written for a version refused.
    void fetch(QObject* receiver, const QList<std::pair<int, RegisterVersion>>& versions,
               const QString& folder, std::function<void(const Fetched&)> done) const;

    // The name a fetched version's file gets: serial, time (UTC) and event, as the history names versions.
    static QString fileName(const RegisterVersion& version);

private:
    QString m_connection;
    QString m_history;
};
