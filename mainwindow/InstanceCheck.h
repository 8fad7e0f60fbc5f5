// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising other running instances by their main window's exact caption. Each instance announces its
// current caption on a local socket named after it; the check asks whether such a socket answers.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// The caption of instance number i: title, blank, version, " [", i, "]".
QString InstanceCaption(const QString& title, const QString& version, int number);

// Tests i = 0 .. storedCount in ascending order (nothing when the count is negative) and stops at the
// first caption for which isRunning answers true.
bool AnyInstanceRunning(const QString& title, const QString& version, int storedCount,
                        const std::function<bool(const QString& caption)>& isRunning);

class InstanceAnnouncer : public QObject
{
    Q_OBJECT
public:
    // scope separates unrelated sets of instances (by default the user's; tests use their own).
    explicit InstanceAnnouncer(const QString& scope = QString(), QObject* parent = nullptr);

    // Starts answering under this caption instead of the previous one.
    void announce(const QString& caption);
    // Whether a running program answers under this caption.
    bool isRunning(const QString& caption) const;
    QString socketName(const QString& caption) const;

private:
    QString m_scope;
    QLocalServer* m_server = nullptr;
};
