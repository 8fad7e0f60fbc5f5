// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history: every full read of a controller and every file written into one, kept as an
// ordinary configuration file per event in a folder per serial number, never replacing another version.
#pragma once

#include "link/ControllerData.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class IniDocument;

class ControllerHistory
{
public:
    enum class Event { Read, BeforeWrite, Written };

    struct Version
    {
        QString path;
        QDateTime time;  // local time, to the millisecond
        int counter = 1; // 2, 3, ... for versions of the same millisecond
        Event event = Event::Read;
    };

    struct Controller
    {
        QString serial;
        QDateTime lastSeen;
        int versions = 0;
    };

    explicit ControllerHistory(const QString& folder = QString()) : m_folder(folder) {}

    QString folder() const { return m_folder; }
    void setFolder(const QString& folder) { m_folder = folder; }

    // Keeps the record as a new version of its controller, named after `at` and the event. False with
    // error (naming the folder or the file) when it cannot be written; nothing is left half written.
    bool record(const TParameters& p, Event event, QString* error = nullptr, QString* path = nullptr,
                const QDateTime& at = QDateTime::currentDateTime()) const;

    // The controllers with at least one version, by serial number. Only names are read.
    QList<Controller> controllers() const;
    // The versions of one controller, oldest first; none for a serial number that cannot name a folder.
    QList<Version> versions(const QString& serial) const;
    std::optional<Version> newest(const QString& serial, Event event) const;

    // The record a version holds, identifiers included; false with error when it cannot be read.
    static bool readVersion(const QString& path, TParameters* p, QString* error = nullptr);
    static TParameters recordOf(const IniDocument& version);

    static QString eventName(Event event);
    // A serial number as the controller gives it (hexadecimal text) or any name of letters, digits, '-' and
    // '_': nothing that could lead out of the history folder.
    static bool isSerialName(const QString& serial);

private:
    QString m_folder;
};
