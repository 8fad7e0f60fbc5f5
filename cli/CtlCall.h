// SPDX-License-Identifier: GPL-3.0-or-later
// What a zentikctl command runs with: its arguments, the options given and the settings of the run.
#pragma once

#include "app/AppPaths.h"

#include <QCommandLineParser>
#include <QStringList>

struct CtlSettings
{
    QString port;
    int timeoutMs = 1000;
    AppPaths paths;
    bool log = false;      // every frame on stderr
    bool force = false;    // load a file that failed its check
    bool noBackup = false; // write without the backup read, whatever options.ini says
    bool dryRun = false;   // load: back up and review, write nothing
};

// The options that belong to commands; points-from-shape's are CtlShape's.
namespace CtlOption {
inline const QString Force = QStringLiteral("force");
inline const QString Csv = QStringLiteral("csv");
inline const QString DryRun = QStringLiteral("dry-run");
inline const QString NoBackup = QStringLiteral("no-backup");
inline const QString Save = QStringLiteral("save");
inline const QString Quiet = QStringLiteral("quiet");
inline const QString Method = QStringLiteral("method");
} // namespace CtlOption

struct CtlCall
{
    QStringList arguments; // after the command's name
    const QCommandLineParser& parser;
    // The paths for every command that uses the home folder; the port for a command on a controller.
    CtlSettings settings;

    bool isSet(const QString& option) const { return parser.isSet(option); }
    QString value(const QString& option) const { return parser.value(option); }
};
