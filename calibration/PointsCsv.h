// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration points and level recoding tables as spreadsheet text: reading a points file (two columns,
// volume in litres and level code) and writing points and tables for spreadsheets and fleet-tracking
// platforms.
#pragma once

#include "calibration/PointList.h"
#include "config/SafeFile.h"

namespace PointsCsv {

// A points file may not be larger: a grid of every code has 1024 points, some twenty bytes each.
constexpr qint64 kMaxFileSize = SafeFile::kMaxInputBytes;

struct ReadResult
{
    enum class Status {
        Ok,
        FileError, // the file cannot be read, or is no regular file (error: the reason)
        TooLarge,  // more than kMaxFileSize bytes
        BadLine,   // line (from 1) does not hold a volume and a level code; lineText is its start
        NoPoints,  // nothing but blank lines and a header
    };
    Status status = Status::Ok;
    PointList points;
    int line = 0;
    QString lineText;
    QString error;

    bool ok() const { return status == Status::Ok; }
};

// The points of a file's content, in its order. The separator is a tab when any line holds one, else a
// semicolon when any line holds one, else a comma; the decimal mark is a point, or, with a tab or a
// semicolon between the columns, also a comma. A first line whose first column does not start with a digit
// is a header. Volumes are decimal numbers of 0 or more, codes whole numbers 0 to 1023; blank lines and
// empty columns after the second are ignored, quotes around a column dropped. The volume texts take the
// locale's decimal separator, as if typed; codes are written in plain decimal.
ReadResult parse(const QByteArray& content, const QLocale& locale);
ReadResult readFile(const QString& path, const QLocale& locale);

// The header lines of exported points and tables, naming their columns.
inline const QString kPointsHeader = QStringLiteral("litres;code");
inline const QString kTableHeader = QStringLiteral("code;litres;word");

// One line per point, "volume;code" with a decimal point, as the grid holds them.
QStringList pointLines(const PointList& points, const QLocale& locale);
// A points file for other programs: the header "V;N", then pointLines of volumes with a decimal point.
QStringList pointsFileLines(const PointList& points);
// One line per table entry, "code;volume;word": the volume the word stands for in litres, three decimals.
QStringList tableLines(const TableWords& words, qint32 totalVolume);

// Writes the lines, each ended by CR LF, whole or not at all (SafeFile); false with the system's reason.
bool writeFile(const QString& path, const QStringList& lines, QString* error);

} // namespace PointsCsv
