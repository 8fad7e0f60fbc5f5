// SPDX-License-Identifier: GPL-3.0-or-later
// The versions waiting for the team register: a text file beside the controller folders of the history,
// one version per line, changed only under its lock and through the checked writer, so that a program
// queueing and several syncs taking entries off at once lose none.
#pragma once

#include "history/RegisterVersion.h"

#include <QList>
#include <QSet>

#include <functional>

class RegisterQueue
{
public:
    explicit RegisterQueue(const QString& historyFolder);

    QString path() const { return m_path; }

    // Adds the version (its file given relative to the history folder). False with error naming the queue.
    bool add(const RegisterVersion& version, QString* error = nullptr);
    // The versions queued, oldest first; none when the queue cannot be read (error says why).
    QList<RegisterVersion> entries(QString* error = nullptr) const;
    // Takes the versions with these keys off the queue, re-read under its lock: what others queued
    // meanwhile stays. A line the program cannot read stays too.
    bool remove(const QSet<QString>& keys, QString* error = nullptr);
    // Reads the queued version's file into its content; false with the system's reason when it is missing
    // or unreadable, with an empty reason when it is no longer the file that was queued.
    bool load(RegisterVersion& version, QString* reason) const;

    // An offline laptop queues for months; still no queue reaches this.
    static constexpr qint64 kMaxBytes = 64 << 20;

private:
    bool read(QList<QByteArray>* lines, QString* error) const;
    // Re-reads the lines under the queue's lock, lets edit change them and writes them back.
    bool change(const std::function<void(QList<QByteArray>&)>& edit, QString* error);

    QString m_folder;
    QString m_path;
};
