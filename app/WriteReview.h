// SPDX-License-Identifier: GPL-3.0-or-later
// What loading a configuration file will change, shown before anything is written: the serial numbers of
// the file and the controller, each setting that changes and, per sensor, how many table words do. Plain
// data with its texts already in the user's language, so that any message service can show it.
#pragma once

#include "link/ControllerData.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class LanguageCatalog;

struct WriteReview
{
    struct Setting
    {
        QString caption; // as in the controller settings window
        QString controller;
        QString file;
    };

    QString heading;         // "Write the configuration file FILE into the controller?"
    QString serials;         // the file's serial number beside the controller's
    QString warning;         // the file comes from another controller; empty when it does not
    QString settingsHeading; // "Settings that will change:", or that none will
    QList<Setting> settings;
    std::array<int, 2> changedWords{}; // of each sensor's 1024
    QStringList tables;                // one line per sensor with its count
    QStringList columns;               // setting, controller, file
    QString writeText;                 // the buttons
    QString cancelText;

    bool otherController() const { return !warning.isEmpty(); }
    // The review as lines: the warning first, then serial numbers, settings and tables.
    QStringList summary() const;
};

// The review of writing `written` and `pages` (as the load fills them from the file fileName, whose ID is
// fileSerial) over `controller`, the record read just before. Tank volumes compare with what the store
// holds for both tanks (storedVolumes), since the load replaces both.
WriteReview ReviewOfWrite(const LanguageCatalog& language, const QString& fileName, const QString& fileSerial,
                          const TParameters& controller, const std::array<qint32, 2>& storedVolumes,
                          const TParameters& written, const TPages& pages);
