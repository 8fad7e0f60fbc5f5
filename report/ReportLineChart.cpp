// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportLineChart.h"

#include "report/ReportMetrics.h"

#include <cmath>

namespace {

constexpr double kTick = 0.8;          // mm
constexpr double kLabelGap = 0.7;      // between a label and its tick
constexpr double kMinLabelSpace = 1.5; // between neighbouring X labels
constexpr double kTargetGridStep = 8;  // mm between horizontal grid lines, roughly
const QColor kAxisColor(Qt::black);
const QColor kGridColor(200, 200, 200);

ReportItem line(const QString& element, QPointF from, QPointF to, const QColor& color, double width)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.element = element;
    item.points = QPolygonF{from, to};
    item.rect = QRectF(from, to).normalized();
    item.color = color;
    item.lineWidth = width;
    return item;
}

// A label in its cell, moved back inside the chart where it would stand out (if only by a rounding error).
ReportItem label(const QString& element, const QRectF& cell, const QString& text, const ReportFont& font,
                 Qt::Alignment alignment, const QRectF& chart)
{
    ReportItem item;
    item.element = element;
    item.rect = cell;
    item.lines = QStringList{text};
    item.font = font;
    item.alignment = alignment;
    const QSizeF size(ReportMetrics::textWidth(font, text), ReportMetrics::lineHeight(font));
    double x = cell.left();
    if (alignment & Qt::AlignRight)
        x = cell.right() - size.width();
    else if (alignment & Qt::AlignHCenter)
        x = cell.center().x() - size.width() / 2;
    double y = cell.top();
    if (alignment & Qt::AlignVCenter)
        y = cell.center().y() - size.height() / 2;
    item.textRect = QRectF(QPointF(x, y), size);
    const QPointF shift(qMax(chart.left(), qMin(x, chart.right() - size.width())) - x,
                        qMax(chart.top(), qMin(y, chart.bottom() - size.height())) - y);
    item.rect.translate(shift);
    item.textRect.translate(shift);
    return item;
}

// The shown X labels: every step-th point, so that the widest label keeps clear of its neighbours, and
// always the last point, which ends the axis.
QList<int> shownLabels(int count, double spacing, double widest)
{
    QList<int> shown;
    if (count == 0)
        return shown;
    int step = 1;
    while (step < count && step * spacing < widest + kMinLabelSpace)
        step *= 2;
    for (int i = 0; i < count; i += step)
        shown << i;
    if (shown.last() != count - 1) {
        if ((count - 1 - shown.last()) * spacing < widest + kMinLabelSpace) {
            if (shown.size() == 1)
                return shown; // no room for a second label at all
            shown.removeLast();
        }
        shown << count - 1;
    }
    return shown;
}

// Tick spacing for an axis from low to high with about the given number of intervals: 1, 2, 2.5 or 5
// times a power of ten.
double NiceAxisStep(double low, double high, int intervals)
{
    intervals = qMax(1, intervals);
    const double raw = (high - low) / intervals;
    if (!(raw > 0))
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    // The finest step whose rounded-out range needs at most one interval more than asked.
    for (double m : {1.0, 2.0, 2.5, 5.0}) {
        const double step = m * magnitude;
        const double count = std::ceil(high / step - 1e-9) - std::floor(low / step + 1e-9);
        if (count <= intervals + 1)
            return step;
    }
    return 10 * magnitude;
}

} // namespace

QList<ReportItem> LayoutLineChart(const ReportLineChart& chart, const QRectF& rect, const QStringList& labels,
                                  const QList<double>& values, const QLocale& locale)
{
    QList<ReportItem> items;
    const ReportFont& font = chart.labelFont;
    const double labelHeight = ReportMetrics::lineHeight(font);
    const QString axisName = chart.name + QStringLiteral(".axis");
    const QString gridName = chart.name + QStringLiteral(".grid");
    const QString xLabelName = chart.name + QStringLiteral(".xlabel");
    const QString yLabelName = chart.name + QStringLiteral(".ylabel");

    // Value range: always from zero, so that an empty tank sits on the axis.
    double low = 0;
    double high = 0;
    for (double v : values) {
        low = qMin(low, v);
        high = qMax(high, v);
    }
    if (high - low <= 0)
        high = low + 1;
    const double plotTop = rect.top() + labelHeight / 2 + 0.1;
    const double plotBottom = rect.bottom() - kTick - kLabelGap - labelHeight;
    const int intervals = qMax(2, int((plotBottom - plotTop) / kTargetGridStep));
    const double step = NiceAxisStep(low, high, intervals);
    low = std::floor(low / step + 1e-9) * step;
    high = std::ceil(high / step - 1e-9) * step;
    const int decimals = qMax(0, int(std::ceil(-std::log10(step) - 1e-9)));

    QLocale numbers(locale);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QStringList yTexts;
    QList<double> yTicks;
    for (int i = 0; low + i * step <= high + step * 1e-6; ++i) {
        const double v = low + i * step;
        yTicks << v;
        yTexts << numbers.toString(std::abs(v) < step * 1e-6 ? 0.0 : v, 'f', decimals);
    }
    double yLabelWidth = 0;
    for (const QString& t : yTexts)
        yLabelWidth = qMax(yLabelWidth, ReportMetrics::textWidth(font, t));
    double xLabelWidth = 0;
    for (const QString& t : labels)
        xLabelWidth = qMax(xLabelWidth, ReportMetrics::textWidth(font, t));

    // The labels keep a gap on the left too, for an axis caption that may stand just outside the chart.
    const double plotLeft = rect.left() + kLabelGap + yLabelWidth + kLabelGap + kTick;
    const double lastHalf = labels.isEmpty() ? 0 : ReportMetrics::textWidth(font, labels.last()) / 2;
    const double plotRight = rect.right() - qMax(lastHalf, kTick);
    const double spacing = labels.size() > 1 ? (plotRight - plotLeft) / (labels.size() - 1) : 0;
    // The last point ends the axis exactly; plotLeft + i * spacing may miss it by a rounding error.
    auto xOf = [&](int i) { return i > 0 && i == labels.size() - 1 ? plotRight : plotLeft + i * spacing; };
    auto yOf = [&](double v) { return plotBottom - (v - low) / (high - low) * (plotBottom - plotTop); };

    for (int i = 0; i < yTicks.size(); ++i) {
        const double y = yOf(yTicks[i]);
        if (i > 0)
            items << line(gridName, {plotLeft, y}, {plotRight, y}, kGridColor, 0.1);
        items << line(axisName, {plotLeft - kTick, y}, {plotLeft, y}, kAxisColor, 0.2);
        items << label(yLabelName,
                       QRectF(rect.left() + kLabelGap, y - labelHeight / 2, yLabelWidth, labelHeight),
                       yTexts[i], font, Qt::AlignRight | Qt::AlignVCenter, rect);
    }
    items << line(axisName, {plotLeft, plotTop}, {plotLeft, plotBottom}, kAxisColor, 0.2);
    items << line(axisName, {plotLeft, plotBottom}, {plotRight, plotBottom}, kAxisColor, 0.2);

    for (int i : shownLabels(int(labels.size()), spacing, xLabelWidth)) {
        const double x = xOf(i);
        const double width = ReportMetrics::textWidth(font, labels[i]);
        items << line(axisName, {x, plotBottom}, {x, plotBottom + kTick}, kAxisColor, 0.2);
        items << label(xLabelName, QRectF(x - width / 2, plotBottom + kTick + kLabelGap, width, labelHeight),
                       labels[i], font, Qt::AlignHCenter | Qt::AlignTop, rect);
    }

    if (!values.isEmpty()) {
        ReportItem series;
        series.kind = ReportItem::Kind::Polyline;
        series.element = chart.name;
        for (int i = 0; i < values.size(); ++i)
            series.points << QPointF(xOf(i), yOf(values[i]));
        series.rect = series.points.boundingRect();
        series.color = chart.lineColor;
        series.lineWidth = 0.35;
        items << series;
    }
    return items;
}
