// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/CalibrationChart.h"

#include "calibration/TableMath.h"

#include <QChart>
#include <QCursor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QRadioButton>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Until the points give the axes a size: the codes' full range over a unit of volume.
constexpr double kInitialMaxX = 1;
constexpr double kInitialMaxY = kLastLevelCode;

// The chart is narrow and tall: fewer labels along the bottom.
constexpr int kBottomTicks = 5;
constexpr int kLeftTicks = 8;
constexpr int kMostMarkedPoints = 128;

// A step of 1, 2 or 5 times a power of ten giving at most about the given number of ticks up to max.
double tickStep(double max, int ticks)
{
    const double raw = max / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw)
            return m * power;
    }
    return 10 * power;
}

// The curve the table of the points holds, volume over code, at every code where it bends: a straight
// stretch is drawn by its ends, so that the straight-line table keeps a line per step.
QList<QPointF> tableCurve(const QList<QPointF>& points, Interpolation method)
{
    if (points.isEmpty())
        return {};
    TNormDim array;
    array.reserve(points.size());
    for (const QPointF& p : points)
        array.append({static_cast<quint16>(static_cast<qint32>(p.y())), p.x()});
    const TFractionTable v = TableCurve(std::move(array), method);
    double scale = 0;
    for (double x : v)
        scale = std::max(scale, std::abs(x));
    const double straight = 1e-9 * (scale > 0 ? scale : 1);
    QList<QPointF> curve;
    for (int n = 0; n < kTableEntries; ++n) {
        if (n == 0 || n == kLastLevelCode || std::abs(v[n - 1] - 2 * v[n] + v[n + 1]) > straight)
            curve.append(QPointF(v[n], n));
    }
    return curve;
}

} // namespace

// Made with its chart: a chart view's own first chart would not be freed when replaced.
CalibrationChart::CalibrationChart(QWidget* parent) : QChartView(new QChart, parent)
{
    buildChart();
    buildModeSwitch();
}

void CalibrationChart::buildChart()
{
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 22, 10, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setPlotAreaBackgroundBrush(QColor(0xF4, 0xF6, 0xF8));
    chart->setPlotAreaBackgroundVisible(true);

    Series1 = new QLineSeries(chart);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series2 = new QLineSeries(chart);
    Series2->setObjectName(QStringLiteral("Series2"));
    PointMarks = new QScatterSeries(chart);
    PointMarks->setObjectName(QStringLiteral("PointMarks"));
    PointMarks->setMarkerSize(6);
    FlaggedMarks = new QScatterSeries(chart);
    FlaggedMarks->setObjectName(QStringLiteral("FlaggedMarks"));
    FlaggedMarks->setMarkerSize(11);
    FlaggedMarks->setColor(QColor(0xFF, 0x8C, 0x3A));
    FlaggedMarks->setBorderColor(Qt::black);
    connect(FlaggedMarks, &QScatterSeries::hovered, this, &CalibrationChart::showFlagReason);
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{Series1, Series2, PointMarks, FlaggedMarks})
        chart->addSeries(series);

    AxisBottom = new QValueAxis(chart);
    AxisLeft = new QValueAxis(chart);
    AxisLeft->setTitleText(QStringLiteral("N"));
    for (QValueAxis* axis : {AxisBottom, AxisLeft}) {
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        QFont f = axis->titleFont();
        f.setBold(true);
        axis->setTitleFont(f);
    }
    setAxisRange(AxisBottom, kInitialMaxX, kBottomTicks);
    setAxisRange(AxisLeft, kInitialMaxY, kLeftTicks);
    chart->addAxis(AxisBottom, Qt::AlignBottom);
    chart->addAxis(AxisLeft, Qt::AlignLeft);
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{Series1, Series2, PointMarks, FlaggedMarks}) {
        series->attachAxis(AxisBottom);
        series->attachAxis(AxisLeft);
    }
    Series1->setPen(QPen(Qt::blue, 2));
    Series2->setPen(QPen(Qt::red, 2));
    PointMarks->setColor(Qt::blue);
    PointMarks->setBorderColor(Qt::blue);
}

void CalibrationChart::buildModeSwitch()
{
    setRenderHint(QPainter::Antialiasing);

    // The mode switch sits on the chart's top edge.
    auto* modes = new QWidget(this);
    auto* modeLayout = new QHBoxLayout(modes);
    modeLayout->setContentsMargins(6, 2, 6, 0);
    modeLayout->setSpacing(12);
    RBL = new QRadioButton(QStringLiteral("V1"), modes);
    RBL->setObjectName(QStringLiteral("RBL"));
    RBue = new QRadioButton(QStringLiteral("V1/V"), modes);
    RBue->setObjectName(QStringLiteral("RBue"));
    RBL->setChecked(true);
    modeLayout->addWidget(RBL);
    modeLayout->addWidget(RBue);
    modes->move(0, 0);
    modes->adjustSize();
}

void CalibrationChart::useSecondSensorColours()
{
    Series1->setPen(QPen(QColor(0xFF, 0xFF, 0x00), 2));
    Series2->setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
    PointMarks->setColor(QColor(0xFF, 0xFF, 0x00));
    PointMarks->setBorderColor(QColor(0xFF, 0xFF, 0x00));
    // A yellow line needs a dark ground to be seen.
    chart()->setPlotAreaBackgroundBrush(QColor(0x3A, 0x40, 0x4A));
    for (QValueAxis* axis : {AxisBottom, AxisLeft})
        axis->setGridLineColor(QColor(0x5C, 0x64, 0x70));
}

void CalibrationChart::setModeCaptions(const QString& prefix)
{
    m_prefix = prefix;
    RBL->setText(prefix);
    RBue->setText(prefix + QStringLiteral("/V"));
    RBL->parentWidget()->adjustSize();
}

void CalibrationChart::setVolumeUnit(const QString& unit)
{
    m_unit = unit;
    if (!RBue->isChecked())
        AxisBottom->setTitleText(m_prefix + QLatin1Char(',') + m_unit);
}

bool CalibrationChart::showVolumes(const QStringList& volumes, const QStringList& codes,
                                   const QLocale& locale, QString* error)
{
    AxisBottom->setTitleText(m_prefix + QLatin1Char(',') + m_unit);
    QList<QPointF> points;
    if (!pointsOf(volumes, codes, locale, &points, error))
        return false;
    m_points = points;
    QList<QPointF> plain, flagged;
    for (qsizetype i = 0; i < points.size(); ++i)
        (m_flagged.contains(static_cast<int>(i)) ? flagged : plain).append(points[i]);
    plot(Series1, tableCurve(points, m_method), points);
    // The points of a table read, one at nearly every code, would hide the curve under their markers.
    if (points.size() <= kMostMarkedPoints)
        PointMarks->replace(plain);
    FlaggedMarks->replace(flagged);
    return true;
}

bool CalibrationChart::showFractions(const QStringList& fractions, const QStringList& codes,
                                     const QLocale& locale, QString* error)
{
    AxisBottom->setTitleText(m_prefix + QStringLiteral("/V"));
    QList<QPointF> points;
    if (!pointsOf(fractions, codes, locale, &points, error))
        return false;
    // The line joins the points in the order of their fractions.
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    plot(Series2, points, points);
    return true;
}

void CalibrationChart::showFlagReason(const QPointF& at, bool entered)
{
    if (!entered)
        return QToolTip::hideText();
    // The marker under the pointer is the flagged point nearest to where the chart says it was hovered.
    int nearest = -1;
    double distance = 0;
    for (auto i = m_flagged.cbegin(); i != m_flagged.cend(); ++i) {
        if (i.key() >= m_points.size())
            continue;
        const QPointF d = m_points[i.key()] - at;
        const double squared = d.x() * d.x() + d.y() * d.y();
        if (nearest < 0 || squared < distance) {
            nearest = i.key();
            distance = squared;
        }
    }
    if (nearest >= 0)
        QToolTip::showText(QCursor::pos(), m_flagged.value(nearest), this);
}

void CalibrationChart::hideModeSwitch()
{
    RBL->parentWidget()->hide();
}

void CalibrationChart::plot(QLineSeries* series, const QList<QPointF>& line, const QList<QPointF>& points)
{
    double maxX = 0, maxY = 0;
    for (const QPointF& p : points) {
        maxX = qMax(maxX, p.x());
        maxY = qMax(maxY, p.y());
    }
    for (QXYSeries* each : std::initializer_list<QXYSeries*>{Series1, Series2, PointMarks, FlaggedMarks})
        each->clear();
    series->replace(line);
    if (maxX != 0 || maxY != 0) {
        // An axis whose points all lie at 0 keeps a drawable range.
        const double rangeX = maxX > 0 ? maxX : kInitialMaxX;
        const double rangeY = maxY > 0 ? maxY : kInitialMaxY;
        setAxisRange(AxisBottom, rangeX, bottomTicks(rangeX));
        setAxisRange(AxisLeft, rangeY, kLeftTicks);
    }
}

int CalibrationChart::bottomTicks(double max) const
{
    // A larger desktop font would otherwise shorten the labels to "1..." and "2...".
    const QFontMetrics metrics(AxisBottom->labelsFont());
    const int leftAxis = metrics.horizontalAdvance(QStringLiteral("1000")) + 2 * metrics.height() + 16;
    const int plotWidth = width() - 14 - leftAxis;
    for (int ticks = kBottomTicks; ticks > 2; --ticks) {
        const double step = tickStep(max, ticks);
        const int labels = static_cast<int>(std::floor(max / step)) + 1;
        const QString widest = QString::number((labels - 1) * step, 'g', 6);
        if (labels * (metrics.horizontalAdvance(widest) + 2 * metrics.averageCharWidth()) <= plotWidth)
            return ticks;
    }
    return 2;
}

void CalibrationChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    setAxisRange(AxisBottom, AxisBottom->max(), bottomTicks(AxisBottom->max()));
}

void CalibrationChart::setAxisRange(QValueAxis* axis, double max, int ticks)
{
    // Never a moment with a fine step over a wide range: the axis would lay out hundreds of labels.
    const double step = tickStep(max, ticks);
    if (step > axis->tickInterval()) {
        axis->setTickInterval(step);
        axis->setRange(0, max);
    } else {
        axis->setRange(0, max);
        axis->setTickInterval(step);
    }
}

bool CalibrationChart::pointsOf(const QStringList& x, const QStringList& y, const QLocale& locale,
                                QList<QPointF>* points, QString* error)
{
    points->reserve(y.size());
    for (qsizetype i = 0; i < y.size(); ++i) {
        double px = 0, py = 0;
        for (auto [text, value] : {std::pair{x.value(i), &px}, std::pair{y[i], &py}}) {
            if (!TextToFloat(text, locale, value)) {
                *error = FloatConversionError(text);
                return false;
            }
        }
        points->append(QPointF(px, py));
    }
    return true;
}
