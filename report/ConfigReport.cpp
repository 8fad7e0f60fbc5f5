// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ConfigReport.h"

#include "app/LanguageCatalog.h"
#include "flows/PointsFlow.h"
#include "link/SerialLink.h"

#include <algorithm>

namespace {

// The estimated error of a table from the points the report shows of it, its share of what the table
// holds at its top; empty for a table that holds nothing (no total volume, or all words 0).
QString TableErrorOf(const ConfigReportValues& values, int table, const LanguageCatalog& language,
                     const QLocale& locale, Interpolation method)
{
    CalibrationPoints points;
    double top = 0;
    for (int i = 0; i < ConfigReportValues::kPointCount; ++i) {
        points << CalibrationPoint{values.Volume(table, i), ConfigReportValues::LevelCode(i)};
        top = std::max(top, points.last().litres);
    }
    if (top <= 0)
        return QString();
    const ErrorEstimate error = EstimateTableError(points, method, top);
    return language
        .LanguageText("MESSAGES", "199",
                      QStringLiteral("Estimated table error (%1 interpolation): %2 l (%3 % of the tank)"))
        .arg(InterpolationName(language, method), locale.toString(error.litres, 'f', 1),
             locale.toString(error.share * 100, 'f', 2));
}

} // namespace

TConfigReport::TConfigReport() : frxReport1(ConfigReportTemplate())
{
    frxReport1.setValueFunction([this](const QString& variable) { return frxReport1GetValue(variable); });
}

ReportDocument TConfigReport::Prepare(const TParameters& parameters, const LanguageCatalog& language,
                                      const QString& programName, const QLocale& locale,
                                      const QDateTime& printed, const QString& mark, Interpolation method)
{
    m_values.emplace(parameters, language, programName, locale, printed);
    m_values->setMark(mark);
    for (int table = 1; table <= 2; ++table)
        m_tableErrors[table - 1] = TableErrorOf(*m_values, table, language, locale, method);
    frxReport1.setRowCount(frxUserDataSet1, ConfigReportValues::kTableLines);
    frxReport1.setRowCount(frxUserDataSet3, ConfigReportValues::kPointCount);
    ReportDocument document = frxReport1.prepare();
    // The values refer to the caller's language state, which need not outlive this call.
    m_values.reset();
    document.creator = programName;
    return document;
}

QVariant TConfigReport::frxReport1GetValue(const QString& variable) const
{
    if (!m_values)
        return QVariant();
    for (int table = 1; table <= 2; ++table)
        if (variable.compare(QStringLiteral("TableError%1").arg(table), Qt::CaseInsensitive) == 0)
            return m_tableErrors[table - 1];
    return m_values->value(variable, frxReport1.currentRow(frxUserDataSet1),
                           frxReport1.currentRow(frxUserDataSet3));
}

ReportDocument PrepareConfigReport(const TParameters& parameters, const LanguageCatalog& language,
                                   const QString& programName, const QString& port, Interpolation method)
{
    TConfigReport report;
    const QString mark =
        port == kSimulatedPortName
            ? language.LanguageText("MESSAGES", "136", QStringLiteral("simulated controller"))
            : QString();
    return report.Prepare(parameters, language, programName, QLocale(), QDateTime::currentDateTime(), mark,
                          method);
}
