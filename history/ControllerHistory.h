// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history: every full read of a controller and every file written into one, kept as an
// ordinary configuration file per event in a folder per serial number, never replacing another version,
// and the writes into each controller in the order they were noted, for undo.
#pragma once

#include "history/VersionName.h"
#include "link/ControllerData.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class IniDocument;

class ControllerHistory
{
public:
    using Event = HistoryEvent;

    struct Version
    {
        QString path;
        // In UTC, to the millisecond. Versions are named in UTC ("…T10-38-29.123Z"); a name without the Z,
        // kept in local time by earlier versions of the program, is read in this computer's time zone.
        QDateTime time;
        int counter = 1; // 2, 3, ... for versions of the same millisecond
        Event event = Event::Read;
    };

    struct Controller
    {
        QString serial;
        QDateTime lastSeen; // in UTC
        int versions = 0;
    };

    // An entry passed over: its file and why.
    struct Skipped
    {
        QString path;
        QString reason;
        bool future = false; // the reason is the time the entry is dated, after the present time
    };

    // What undo writes back into a controller: the backup of the last write into it that the history noted,
    // whatever the clocks and file names say.
    struct UndoChoice
    {
        std::optional<Version> backup;
        // The last write noted left no backup (it was made with backups off), at that time: nothing to undo.
        std::optional<QDateTime> writeWithoutBackup;
        QList<Skipped> skipped; // entries that could not be written back, one each
    };

    explicit ControllerHistory(const QString& folder = QString()) : m_folder(folder) {}

    QString folder() const { return m_folder; }
    void setFolder(const QString& folder) { m_folder = folder; }

    // Keeps the record as a new version of its controller, named after `at` and the event. False with
    // error (naming the folder or the file) when it cannot be written; nothing is left half written, and
    // nothing is ever written through a symbolic link.
    bool record(const TParameters& p, Event event, QString* error = nullptr, QString* path = nullptr,
                const QDateTime& at = QDateTime::currentDateTimeUtc()) const;
    // Keeps what a write is about to replace as a `before-write` version and notes the write as the newest
    // one into its controller, in one step under the folder's lock: undo takes this backup until another
    // write into the controller is noted.
    bool recordWrite(const TParameters& replaced, QString* error = nullptr, QString* path = nullptr,
                     const QDateTime& at = QDateTime::currentDateTimeUtc()) const;
    // Notes a write made without a backup: undo then has nothing to undo until the next write.
    bool recordWriteWithoutBackup(const QString& serial, QString* error = nullptr,
                                  const QDateTime& at = QDateTime::currentDateTimeUtc()) const;
    // Forgets the write noted with that backup, one that ended with nothing sent: undo never offers it.
    void forgetWrite(const QString& serial, const QString& backupPath) const;
    UndoChoice undoChoice(const QString& serial,
                          const QDateTime& now = QDateTime::currentDateTimeUtc()) const;

    // The controllers with at least one version, by serial number. Only names are read.
    QList<Controller> controllers() const;
    // The versions of one controller, oldest first; none for a serial number that cannot name a folder.
    // Only regular files are versions: anything else named like one (a symbolic link, a folder) goes into
    // skipped, when given.
    QList<Version> versions(const QString& serial, QList<Skipped>* skipped = nullptr) const;
    std::optional<Version> newest(const QString& serial, Event event) const;

    // The record a version holds, identifiers included; false with error when it cannot be read. A version
    // is read only as a regular file, never through a symbolic link.
    static bool readVersion(const QString& path, TParameters* p, QString* error = nullptr);
    static bool readVersion(const QString& path, IniDocument* doc, QString* error = nullptr);
    static TParameters recordOf(const IniDocument& version);

    // Whether path names a file in the history folder (a version, or where one could be).
    bool holds(const QString& path) const;

    static QString eventName(Event event) { return VersionName::eventName(event); }
    // A serial number as the controller gives it (hexadecimal text) or any name of letters, digits, '-' and
    // '_': nothing that could lead out of the history folder.
    static bool isSerialName(const QString& serial);

private:
    QString m_folder;
};
