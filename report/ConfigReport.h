// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report: a one-page summary of a controller with both level recoding tables as
// points and charts. Holds the report's template, its data sets and the callback that fills its
// variables.
#pragma once

#include "app/ConfigReportValues.h"
#include "calibration/Interpolation.h"
#include "report/ReportEngine.h"

#include <optional>

class TConfigReport
{
public:
    // The data sets: table lines, (unused), chart points.
    static inline const QString frxUserDataSet1 = QStringLiteral("frxUserDataSet1");
    static inline const QString frxUserDataSet2 = QStringLiteral("frxUserDataSet2");
    static inline const QString frxUserDataSet3 = QStringLiteral("frxUserDataSet3");

    TConfigReport();
    TConfigReport(const TConfigReport&) = delete;
    TConfigReport& operator=(const TConfigReport&) = delete;

    // Lays the report out afresh for one controller record; programName and the time printed are printed in
    // the page footer, programName also as the document's creator.
    // mark: what the title carries after its text (the simulated controller's words), none for a real one.
    // method: the one tables are made with, by which each table's error is estimated from its points.
    ReportDocument Prepare(const TParameters& parameters, const LanguageCatalog& language,
                           const QString& programName, const QLocale& locale = QLocale(),
                           const QDateTime& printed = QDateTime::currentDateTime(),
                           const QString& mark = QString(), Interpolation method = Interpolation::Linear);
    // The engine's callback: a variable's value with the data sets at their current rows; no value
    // outside Prepare.
    QVariant frxReport1GetValue(const QString& variable) const;

    ReportEngine frxReport1;

private:
    std::optional<ConfigReportValues> m_values;
    QString m_tableErrors[2]; // TableError1, TableError2
};

// The report's page: every band, cell, frame and chart with its position, size, text and font.
ReportTemplate ConfigReportTemplate();

// The prepared report for one controller record, in one call; a record read on the port SIM is marked
// as the simulated controller's (MESSAGES 136) in its title.
ReportDocument PrepareConfigReport(const TParameters& parameters, const LanguageCatalog& language,
                                   const QString& programName, const QString& port = QString(),
                                   Interpolation method = Interpolation::Linear);
