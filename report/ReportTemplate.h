// SPDX-License-Identifier: GPL-3.0-or-later
// A report page template as plain data: bands of text cells, frames and line charts, positioned in
// millimetres. The engine reads it; nothing in it knows what is being reported.
#pragma once

#include <QColor>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

struct ReportFont
{
    QString family = QStringLiteral("Arial");
    double pointSize = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// A text cell. "[Name]" inside the text is replaced by the value of the variable Name.
struct ReportText
{
    QString name; // names the cell in the prepared page
    QRectF rect;  // from the left margin and the top of the band
    QString text;
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool frame = false;
    bool wordWrap = false;
    // A text too wide for its cell is set smaller, down to MinimumPointSize, before it is cut short.
    bool shrinkToFit = true;
    int rotation = 0; // 0, or 90 for text reading bottom to top
};

struct ReportFrame
{
    QString name;
    QRectF rect;
    double lineWidth = 0.2;
    QColor color = Qt::black;
};

// A line chart fed row by row from a data set: one point per row. The X values are category labels, so
// the points are equally spaced whatever their values.
struct ReportLineChart
{
    QString name;
    QRectF rect;
    QString dataSet;
    QString xVariable;
    QString yVariable;
    QColor lineColor = Qt::black;
    ReportFont labelFont{QStringLiteral("Arial"), 7};
};

enum class BandKind {
    Title,     // once, at the top of the first page
    Once,      // once, where it falls in the order of the bands
    PerRow,    // once for every row of its data set
    PageFooter // at the bottom of every page
};

struct ReportBand
{
    ReportBand() = default;
    ReportBand(QString bandName, BandKind bandKind, double bandHeight, QString rowsOf = QString())
        : name(std::move(bandName)), kind(bandKind), height(bandHeight), dataSet(std::move(rowsOf))
    {}

    QString name;
    BandKind kind = BandKind::Once;
    double height = 0;
    QString dataSet; // PerRow: whose rows repeat the band
    QList<ReportText> texts;
    QList<ReportFrame> frames;
    QList<ReportLineChart> charts;
};

struct ReportTemplate
{
    QString title; // the document's title (a PDF property, the preview's caption); may hold variables
    QSizeF pageSize{210, 297};
    QMarginsF margins{10, 10, 10, 10};
    QStringList dataSets;
    QList<ReportBand> bands;
};

// How small a text may be set to fit its cell: three quarters of its size, never below 6 pt.
inline double MinimumPointSize(double pointSize)
{
    return qMax(6.0, pointSize * 0.75);
}
