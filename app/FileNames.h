// SPDX-License-Identifier: GPL-3.0-or-later
// The names the file dialogs propose and the folders they open in: a name from the controller's serial
// number and the date ("A1B2C3D4 2026-12-10 sensor 1 points.csv"), the last folder used for each kind of
// file (kept in options.ini), and the extension a typed name lacks.
#pragma once

#include <QDate>
#include <QString>

class Options;

namespace FileNames {

enum class Kind { Configuration, Points, Table, Report, Log };

// The extension of the kind without its dot ("zkt", "csv", "pdf", "log").
QString extensionOf(Kind kind);

// The proposed name: the serial number (left out while no controller has been read, "00000000"), the date,
// for points and tables the sensor, then the kind's extension. A log's name has none: its ".log" is always
// appended when it is written.
QString proposedName(Kind kind, const QString& serialNumber, const QDate& date, int sensor = 0);

// The name with ".extension" added when its file name has no extension at all.
QString withExtension(const QString& path, const QString& extension);

// The folder last used for the kind; empty when none is kept or it no longer exists.
QString lastFolder(Options& options, Kind kind);
// Keeps the folder of the chosen file for the next dialog of the kind (under the options file's lock).
bool keepFolder(Options& options, Kind kind, const QString& chosenFile);

// What a save dialog starts on: the proposed name in the kind's last folder (or just the name).
QString proposedPath(Options& options, Kind kind, const QString& serialNumber, int sensor = 0);

} // namespace FileNames
