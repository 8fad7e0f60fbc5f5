// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration file (*.zkt): a controller's whole configuration with both level recoding tables.
#pragma once

#include "config/IniFile.h"
#include "config/SettingRanges.h"
#include "link/ControllerData.h"

#include <QList>
#include <QPair>

namespace ConfigFile {

using Entry = QPair<QByteArray, QByteArray>; // key, value

inline const QByteArray kParametersSection = "PARAMETERS";
QByteArray pageSection(int page);
QByteArray wordKey(int word);

// The PARAMETERS entries ID .. Volume_1 in the file's order.
QList<Entry> parameterEntries(const TParameters& p);

// Sets the record's entries and all 64 pages in a document, replacing those it holds and keeping the rest.
void store(IniDocument& doc, const TParameters& p);

// Writes the record and all 64 pages into the file with one rewrite; other content of an existing file
// stays. False with error ("Unable to write to <file>") and the system's reason on failure; the previous
// file is then intact.
bool write(const QString& path, const TParameters& p, QString* error = nullptr, QString* reason = nullptr);

// Reads the file for loading: false with error ("Unable to read <file>") and the system's reason when it
// cannot be read, a missing file included (nothing to load is a file error, not a file of zeros).
bool read(const QString& path, IniDocument& doc, QString* error = nullptr, QString* reason = nullptr);

// One entry that fails the check.
struct Problem
{
    QByteArray section;
    QByteArray key;
    std::optional<QByteArray> value; // nullopt: the entry is missing
    // The range a number outside it should lie in; nullopt for a missing entry or one that holds no integer.
    std::optional<SettingRanges::Range> outOf;
    // "[SECTION] key (missing)" or "[SECTION] key=value", the value's control characters escaped ("\x00"),
    // followed by " (MIN..MAX)" for a number out of its range.
    QString describe() const;
};

struct CheckResult
{
    bool valid = true;
    QList<Problem> problems; // every offending entry, in the order examined
    // Whether an entry holds a number its field cannot: loading it would write another value than the file's.
    bool holdsValueOutOfRange() const;
};

// Examines the 11 setting keys and the 2048 table words. An entry is invalid when it is missing, not an
// integer, or outside the range its field holds: negative, except for the signed tank volumes, or too
// large (ID and SW are not examined).
CheckResult check(const IniDocument& doc);
// Which range a setting's value is held to: what a file may hold, or what a user may set.
enum class Ranges { File, Settable };
// The same for the 11 setting keys alone.
CheckResult checkSettings(const IniDocument& doc, Ranges ranges = Ranges::File);
// The setting key (Sensor_on_0 .. P_Mode, Volume_0/1) a name stands for, matched without regard to letter
// case as INI keys are; nullopt for any other name (ID and SW are not settings: they are never written).
std::optional<QByteArray> settingKey(const QByteArray& key);

// Reading a file and checking it, as a load does: Unreadable with the system's reason when it cannot be read
// (a missing file included), Invalid with every problem when it fails its check.
struct CheckedRead
{
    enum class Status { Valid, Unreadable, Invalid };
    Status status = Status::Valid;
    QString reason;
    QList<Problem> problems;
    bool valid() const { return status == Status::Valid; }
};
CheckedRead readChecked(const QString& path, IniDocument& doc);

// Fills the settings fields of newParameters and all of newPages; missing or non-numeric values count
// as 0 and larger values keep the low bits their field holds (7 for the multiplication factor, whose
// eighth bit the write turns into the inversion). Identifiers, slots 2 and 3 and newParameters.Pages stay.
void fill(const IniDocument& doc, TParameters& newParameters, TPages& newPages);
// The same for the settings fields alone.
void fillSettings(const IniDocument& doc, TParameters& newParameters);

} // namespace ConfigFile
