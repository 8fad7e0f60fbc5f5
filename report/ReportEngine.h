// SPDX-License-Identifier: GPL-3.0-or-later
// The report engine: lays a page template out into prepared pages, fetching the value of every
// bracketed variable through one callback while its data sets stand at their current rows.
#pragma once

#include "report/ReportDocument.h"
#include "report/ReportTemplate.h"

#include <QHash>
#include <QVariant>

#include <functional>

class ReportEngine
{
public:
    // Given a variable's name as written between the brackets, returns its value; an invalid value
    // prints as an empty text.
    using ValueFunction = std::function<QVariant(const QString& variable)>;

    ReportEngine() = default;
    explicit ReportEngine(ReportTemplate reportTemplate);

    // Declares the template's data sets anew, each with no rows.
    void setTemplate(ReportTemplate reportTemplate);
    const ReportTemplate& reportTemplate() const { return m_template; }
    void setValueFunction(ValueFunction function) { m_value = std::move(function); }

    // Only data sets the template declares have rows; others are ignored.
    void setRowCount(const QString& dataSet, int rows);
    int rowCount(const QString& dataSet) const;
    // The row the engine is laying out, counted from 0; -1 for a data set the template does not declare.
    int currentRow(const QString& dataSet) const;

    // Discards the previously prepared pages and lays the template out anew.
    const ReportDocument& prepare();
    const ReportDocument& document() const { return m_document; }

    // The text with every "[Name]" replaced by the variable's value; other characters stay as they are.
    QString resolve(const QString& text) const;

private:
    struct DataSet
    {
        int rowCount = 0;
        int row = 0;
    };

    void placeBand(ReportPage& page, const ReportBand& band, double top);
    ReportItem layoutText(const ReportText& cell, const QPointF& origin) const;
    void layoutChart(ReportPage& page, const ReportLineChart& chart, const QPointF& origin);
    QString valueText(const QString& variable) const;

    ReportTemplate m_template;
    QHash<QString, DataSet> m_dataSets;
    ValueFunction m_value;
    ReportDocument m_document;
};
