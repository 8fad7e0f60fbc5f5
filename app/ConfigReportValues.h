// SPDX-License-Identifier: GPL-3.0-or-later
// The values of the configuration report's variables, taken from one controller record, the open
// language file and the program's name.
#pragma once

#include "link/ControllerData.h"

#include <QDateTime>
#include <QLocale>
#include <QVariant>

class LanguageCatalog;

class ConfigReportValues
{
public:
    static constexpr int kPointCount = 32; // points per table
    static constexpr int kTableLines = 16; // each line shows point r and point r + 16

    // The record is copied: the report shows the controller as it was when preparation began. printed is
    // the date and time the footer names.
    ConfigReportValues(const TParameters& parameters, const LanguageCatalog& language,
                       const QString& programName, const QLocale& locale = QLocale(),
                       const QDateTime& printed = QDateTime::currentDateTime());

    // The value of a variable, its name matched without regard to letter case, with the table at line
    // tableRow and the charts at point chartRow. Texts are strings; N1, N2 are integers and V1, V2
    // doubles. No value (an invalid QVariant) for a name the report does not use, for an output mode
    // without a text, or for a row outside the table or chart.
    QVariant value(const QString& variable, int tableRow, int chartRow) const;
    // What the title carries after its text: a report of the simulated controller says so (mark: its
    // words), so that no one takes it for a real one's.
    void setMark(const QString& mark) { m_mark = mark; }

    // Level code of point i: 32 × i, except that the last point is the top code 1023.
    static int LevelCode(int point);
    // Litres at point i of table t (1 or 2): the table word there as a share of the total volume.
    double Volume(int table, int point) const;
    // Litres with exactly three decimals, the locale's decimal separator and no digit grouping.
    QString VolumeText(double litres) const;

private:
    QString zentikText(const char* key) const;

    TParameters m_parameters;
    const LanguageCatalog& m_language;
    QString m_programName;
    QLocale m_locale;
    QDateTime m_printed;
    QString m_mark;
};
