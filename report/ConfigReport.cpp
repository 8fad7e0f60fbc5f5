// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ConfigReport.h"

#include "app/LanguageCatalog.h"
#include "link/SerialLink.h"

TConfigReport::TConfigReport() : frxReport1(ConfigReportTemplate())
{
    frxReport1.setValueFunction([this](const QString& variable) { return frxReport1GetValue(variable); });
}

ReportDocument TConfigReport::Prepare(const TParameters& parameters, const LanguageCatalog& language,
                                      const QString& programName, const QLocale& locale,
                                      const QDateTime& printed, const QString& mark)
{
    m_values.emplace(parameters, language, programName, locale, printed);
    m_values->setMark(mark);
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
    return m_values->value(variable, frxReport1.currentRow(frxUserDataSet1),
                           frxReport1.currentRow(frxUserDataSet3));
}

ReportDocument PrepareConfigReport(const TParameters& parameters, const LanguageCatalog& language,
                                   const QString& programName, const QString& port)
{
    TConfigReport report;
    const QString mark =
        port == kSimulatedPortName
            ? language.LanguageText("MESSAGES", "136", QStringLiteral("simulated controller"))
            : QString();
    return report.Prepare(parameters, language, programName, QLocale(), QDateTime::currentDateTime(), mark);
}
