// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report's page, held as data: every position and size in millimetres from the left
// margin and from the top of the band.

#include "report/ConfigReport.h"

namespace {

enum Style { Label, Value, Heading };

ReportFont fontOf(Style style)
{
    ReportFont font;
    font.bold = style == Value;
    font.underline = style == Heading;
    return font;
}

ReportText cell(const QString& name, double x, double y, double w, double h, const QString& text, Style style)
{
    ReportText t;
    t.name = name;
    t.rect = QRectF(x, y, w, h);
    t.text = text;
    t.font = fontOf(style);
    return t;
}

// A framed cell of the point tables.
ReportText tableCell(const QString& name, double x, const QString& text, bool bold)
{
    ReportText t;
    t.name = name;
    t.rect = QRectF(x, 0, 15, 5);
    t.text = text;
    t.font.bold = bold;
    t.alignment = Qt::AlignRight | Qt::AlignVCenter;
    t.frame = true;
    return t;
}

ReportFrame frame(const QString& name, const QRectF& rect)
{
    ReportFrame f;
    f.name = name;
    f.rect = rect;
    return f;
}

constexpr double kTableColumns[8] = {22, 37, 53, 68, 109, 124, 140, 155};

} // namespace

ReportTemplate ConfigReportTemplate()
{
    ReportTemplate page;
    page.title = QStringLiteral("[0034]");
    page.pageSize = QSizeF(210, 297);
    page.margins = QMarginsF(10, 10, 10, 10);
    page.dataSets = {TConfigReport::frxUserDataSet1, TConfigReport::frxUserDataSet2,
                     TConfigReport::frxUserDataSet3};

    ReportBand title{QStringLiteral("ReportTitle1"), BandKind::Title, 11};
    ReportText heading = cell(QStringLiteral("Title"), 4, 0, 182, 8, QStringLiteral("[0034][Mark]"), Value);
    heading.font.pointSize = 12;
    title.texts << heading;

    // Left half: labels at 4, values at 44/45; right half: labels at 90, values at 132.
    ReportBand block{QStringLiteral("Parameters"), BandKind::Once, 86};
    block.texts = {
        cell(QStringLiteral("SerialLabel"), 4, 2, 38, 4, QStringLiteral("[0020]"), Label),
        cell(QStringLiteral("Serial"), 44, 2, 44, 4, QStringLiteral("[ID]"), Value),
        cell(QStringLiteral("ProgramLabel"), 90, 2, 40, 4, QStringLiteral("[0032]"), Label),
        cell(QStringLiteral("Program"), 132, 2, 54, 4, QStringLiteral("[SW]"), Value),
        cell(QStringLiteral("ReserveLabel"), 4, 7, 38, 4, QStringLiteral("[0022]"), Label),
        cell(QStringLiteral("Reserve"), 44, 7, 44, 4, QStringLiteral("[trl]"), Value),
        cell(QStringLiteral("IntervalLabel"), 90, 7, 40, 4, QStringLiteral("[0023]"), Label),
        cell(QStringLiteral("Interval"), 132, 7, 54, 4, QStringLiteral("[Interval]"), Value),
        cell(QStringLiteral("GaugeHeading"), 4, 18, 84, 4, QStringLiteral("[0029]:"), Heading),
        cell(QStringLiteral("OutputHeading"), 90, 18, 96, 4, QStringLiteral("[0026]:"), Heading),
        cell(QStringLiteral("MultFactorLabel"), 4, 23, 38, 4, QStringLiteral("[0031]"), Label),
        cell(QStringLiteral("MultFactor"), 45, 23, 43, 4, QStringLiteral("[Mult_Factor]"), Value),
        cell(QStringLiteral("OutputMode"), 90, 23, 96, 4, QStringLiteral("[P_Mode]"), Value),
        cell(QStringLiteral("Inversion"), 4, 27, 85, 4, QStringLiteral("[Inversion]"), Value),
        cell(QStringLiteral("Sensor1Heading"), 4, 38, 38, 4, QStringLiteral("[0011]:"), Heading),
        cell(QStringLiteral("Sensor1On"), 45, 38, 43, 4, QStringLiteral("[Sensor_on_0]"), Value),
        cell(QStringLiteral("Sensor2Heading"), 90, 38, 40, 4, QStringLiteral("[0012]:"), Heading),
        cell(QStringLiteral("Sensor2On"), 132, 37, 54, 4, QStringLiteral("[Sensor_on_1]"), Value),
        cell(QStringLiteral("Address1Label"), 4, 43, 38, 4, QStringLiteral("[0002]"), Label),
        cell(QStringLiteral("Address1"), 45, 43, 43, 4, QStringLiteral("[Net_addr_0]"), Value),
        cell(QStringLiteral("Address2Label"), 90, 43, 40, 4, QStringLiteral("[0002]"), Label),
        cell(QStringLiteral("Address2"), 132, 43, 54, 4, QStringLiteral("[Net_addr_1]"), Value),
        cell(QStringLiteral("Volume1Label"), 4, 48, 38, 4, QStringLiteral("[0003]"), Label),
        cell(QStringLiteral("Volume1"), 45, 48, 43, 4, QStringLiteral("[Volumes_0]"), Value),
        cell(QStringLiteral("Volume2Label"), 90, 48, 40, 4, QStringLiteral("[0003]"), Label),
        cell(QStringLiteral("Volume2"), 132, 48, 54, 4, QStringLiteral("[Volumes_1]"), Value),
        cell(QStringLiteral("TotalLabel"), 4, 55, 38, 8, QStringLiteral("[0005]"), Label),
        cell(QStringLiteral("Total"), 45, 55, 43, 4, QStringLiteral("[TotalVol]"), Value),
        cell(QStringLiteral("TablesHeading"), 4, 73, 182, 4, QStringLiteral("[0033]:"), Heading),
    };
    // One-line cells centre their text, so that a label set smaller keeps in line with its value; the
    // total's label may take two lines and starts at the top, level with its value.
    for (ReportText& t : block.texts) {
        const bool total = t.name.startsWith(QLatin1String("Total"));
        t.alignment = Qt::AlignLeft | (total ? Qt::AlignTop : Qt::AlignVCenter);
        t.wordWrap = t.name == QLatin1String("TotalLabel");
    }
    const QString headings[8] = {QStringLiteral("V1 ([0009]) "), QStringLiteral("N "),
                                 QStringLiteral("V1 ([0009]) "), QStringLiteral("N "),
                                 QStringLiteral("V2 ([0009]) "), QStringLiteral("N "),
                                 QStringLiteral("V2 ([0009]) "), QStringLiteral("N ")};
    for (int i = 0; i < 8; ++i) {
        ReportText t = tableCell(QStringLiteral("Heading%1").arg(i + 1), kTableColumns[i], headings[i], true);
        t.rect.moveTop(81);
        block.texts << t;
    }

    // Points 0..15 in the left pair of each table, 16..31 in the right pair.
    ReportBand table{QStringLiteral("Points"), BandKind::PerRow, 5, TConfigReport::frxUserDataSet1};
    const QString cells[8] = {QStringLiteral("[V1_1] "), QStringLiteral("[N1_1] "), QStringLiteral("[V1_2] "),
                              QStringLiteral("[N1_2] "), QStringLiteral("[V2_1] "), QStringLiteral("[N2_1] "),
                              QStringLiteral("[V2_2] "), QStringLiteral("[N2_2] ")};
    for (int i = 0; i < 8; ++i)
        table.texts << tableCell(QStringLiteral("Point%1").arg(i + 1), kTableColumns[i], cells[i], false);

    ReportBand charts{QStringLiteral("Charts"), BandKind::Once, 78};
    charts.frames = {frame(QStringLiteral("Chart1Frame"), QRectF(1, 4, 90, 57)),
                     frame(QStringLiteral("Chart2Frame"), QRectF(91, 4, 97, 57))};
    ReportLineChart chart1;
    chart1.name = QStringLiteral("Chart1");
    chart1.rect = QRectF(11, 8, 76, 47);
    chart1.dataSet = TConfigReport::frxUserDataSet3;
    chart1.xVariable = QStringLiteral("N1");
    chart1.yVariable = QStringLiteral("V1");
    chart1.lineColor = QColor(0x00, 0x00, 0x80); // navy
    ReportLineChart chart2 = chart1;
    chart2.name = QStringLiteral("Chart2");
    chart2.rect = QRectF(98, 8, 76, 47);
    chart2.xVariable = QStringLiteral("N2");
    chart2.yVariable = QStringLiteral("V2");
    chart2.lineColor = QColor(0x80, 0x00, 0x00); // maroon
    charts.charts = {chart1, chart2};
    // The volume captions run up the left side of each chart, centred on it.
    ReportText axis1 =
        cell(QStringLiteral("Chart1Volume"), 7, 26, 4, 11, QStringLiteral("V1 ([0009])"), Value);
    axis1.rotation = 90;
    axis1.alignment = Qt::AlignCenter;
    axis1.shrinkToFit = false;
    ReportText axis2 = axis1;
    axis2.name = QStringLiteral("Chart2Volume");
    axis2.rect.moveLeft(94);
    axis2.text = QStringLiteral("V2 ([0009])");
    charts.texts = {axis1, cell(QStringLiteral("Chart1Level"), 50, 55, 6, 4, QStringLiteral("N"), Label),
                    axis2, cell(QStringLiteral("Chart2Level"), 136, 55, 6, 4, QStringLiteral("N"), Label)};
    // Under each chart, how far its table may lie off between the points: two lines at most.
    for (int table = 1; table <= 2; ++table) {
        ReportText error = cell(QStringLiteral("TableError%1").arg(table), table == 1 ? 4 : 94, 63,
                                table == 1 ? 84 : 92, 8, QStringLiteral("[TableError%1]").arg(table), Label);
        error.wordWrap = true;
        error.alignment = Qt::AlignLeft | Qt::AlignTop;
        charts.texts << error;
    }

    ReportBand footer{QStringLiteral("PageFooter1"), BandKind::PageFooter, 6};
    ReportText program =
        cell(QStringLiteral("ProgramName"), 2, 0, 112, 5, QStringLiteral("[ProgramName]"), Label);
    program.font.italic = true;
    // When it was printed, at the right edge, so that two reports of one controller tell their order.
    ReportText printed =
        cell(QStringLiteral("PrintDate"), 120, 0, 68, 5, QStringLiteral("[0047]: [PrintDate]"), Label);
    printed.font.italic = true;
    printed.alignment = Qt::AlignRight | Qt::AlignTop;
    footer.texts << program << printed;

    page.bands = {title, block, table, charts, footer};
    return page;
}
