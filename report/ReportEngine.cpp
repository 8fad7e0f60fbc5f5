// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportEngine.h"

#include "report/ReportLineChart.h"
#include "report/ReportMetrics.h"

namespace {

constexpr double kTolerance = 0.01; // mm
constexpr double kShrinkStep = 0.5; // points

// The block of lines placed inside a w × h area by the alignment, in that area's own coordinates.
QRectF alignedBlock(const QSizeF& block, double w, double h, Qt::Alignment alignment)
{
    double x = 0;
    if (alignment & Qt::AlignRight)
        x = w - block.width();
    else if (alignment & Qt::AlignHCenter)
        x = (w - block.width()) / 2;
    double y = 0;
    if (alignment & Qt::AlignBottom)
        y = h - block.height();
    else if (alignment & Qt::AlignVCenter)
        y = (h - block.height()) / 2;
    return QRectF(QPointF(x, y), block);
}

} // namespace

ReportEngine::ReportEngine(ReportTemplate reportTemplate)
{
    setTemplate(std::move(reportTemplate));
}

void ReportEngine::setTemplate(ReportTemplate reportTemplate)
{
    m_template = std::move(reportTemplate);
    m_dataSets.clear();
    for (const QString& name : m_template.dataSets)
        m_dataSets.insert(name, DataSet{});
}

void ReportEngine::setRowCount(const QString& dataSet, int rows)
{
    auto it = m_dataSets.find(dataSet);
    if (it != m_dataSets.end())
        it->rowCount = qMax(0, rows);
}

int ReportEngine::rowCount(const QString& dataSet) const
{
    return m_dataSets.value(dataSet).rowCount;
}

int ReportEngine::currentRow(const QString& dataSet) const
{
    const auto it = m_dataSets.constFind(dataSet);
    return it == m_dataSets.constEnd() ? -1 : it->row;
}

QString ReportEngine::valueText(const QString& variable) const
{
    if (!m_value)
        return QString();
    const QVariant value = m_value(variable);
    return value.isValid() ? value.toString() : QString();
}

QString ReportEngine::resolve(const QString& text) const
{
    QString out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            out += QStringView(text).mid(pos);
            break;
        }
        out += QStringView(text).mid(pos, open - pos);
        out += valueText(text.mid(open + 1, close - open - 1));
        pos = close + 1;
    }
    return out;
}

const ReportDocument& ReportEngine::prepare()
{
    m_document = ReportDocument{resolve(m_template.title), QString(), {}};
    const QMarginsF& margins = m_template.margins;
    const double pageHeight = m_template.pageSize.height();
    const ReportBand* footer = nullptr;
    for (const ReportBand& band : m_template.bands)
        if (band.kind == BandKind::PageFooter)
            footer = &band;
    const double footerTop = pageHeight - margins.bottom() - (footer ? footer->height : 0);

    double y = 0;
    auto startPage = [&] {
        m_document.pages.append(ReportPage{m_template.pageSize, {}});
        y = margins.top();
    };
    auto finishPage = [&] {
        if (footer)
            placeBand(m_document.pages.last(), *footer, footerTop);
    };
    auto place = [&](const ReportBand& band) {
        // A band that does not fit goes to the next page, unless the page is still empty: then it could
        // not fit anywhere and is printed where it is.
        if (y + band.height > footerTop + kTolerance && y > margins.top() + kTolerance) {
            finishPage();
            startPage();
        }
        placeBand(m_document.pages.last(), band, y);
        y += band.height;
    };

    startPage();
    for (const ReportBand& band : m_template.bands) {
        switch (band.kind) {
        case BandKind::Title:
            if (m_document.pages.size() == 1)
                place(band);
            break;
        case BandKind::Once:
            place(band);
            break;
        case BandKind::PerRow: {
            auto it = m_dataSets.find(band.dataSet);
            if (it == m_dataSets.end())
                break;
            for (int row = 0; row < it->rowCount; ++row) {
                it->row = row;
                place(band);
            }
            it->row = 0;
            break;
        }
        case BandKind::PageFooter:
            break;
        }
    }
    finishPage();
    return m_document;
}

void ReportEngine::placeBand(ReportPage& page, const ReportBand& band, double top)
{
    const QPointF origin(m_template.margins.left(), top);
    for (const ReportFrame& frame : band.frames) {
        ReportItem item;
        item.kind = ReportItem::Kind::Frame;
        item.element = frame.name;
        item.rect = frame.rect.translated(origin);
        item.color = frame.color;
        item.lineWidth = frame.lineWidth;
        page.items.append(item);
    }
    for (const ReportText& cell : band.texts)
        page.items.append(layoutText(cell, origin));
    for (const ReportLineChart& chart : band.charts)
        layoutChart(page, chart, origin);
}

ReportItem ReportEngine::layoutText(const ReportText& cell, const QPointF& origin) const
{
    ReportItem item;
    item.kind = ReportItem::Kind::Text;
    item.frame = cell.frame;
    item.element = cell.name;
    item.rect = cell.rect.translated(origin);
    item.alignment = cell.alignment;
    item.rotation = cell.rotation == 90 ? 90 : 0;
    item.font = cell.font;

    const QString text = resolve(cell.text);
    // Width and height as the text runs: a turned cell's text runs along its height.
    const double w = item.rotation ? item.rect.height() : item.rect.width();
    const double h = item.rotation ? item.rect.width() : item.rect.height();
    const double smallest = MinimumPointSize(cell.font.pointSize);
    QSizeF block;
    bool fits = false;
    for (;;) {
        item.lines =
            cell.wordWrap ? ReportMetrics::wrapped(item.font, text, w) : text.split(QLatin1Char('\n'));
        double widest = 0;
        for (const QString& line : item.lines)
            widest = qMax(widest, ReportMetrics::textWidth(item.font, line));
        const double height = ReportMetrics::lineHeight(item.font) +
                              (item.lines.size() - 1) * ReportMetrics::lineSpacing(item.font);
        block = QSizeF(widest, height);
        fits = widest <= w + kTolerance && (item.lines.size() == 1 || height <= h + kTolerance);
        if (fits || !cell.shrinkToFit || item.font.pointSize <= smallest)
            break;
        item.font.pointSize = qMax(smallest, item.font.pointSize - kShrinkStep);
    }
    if (!fits && cell.shrinkToFit) {
        const double spacing = ReportMetrics::lineSpacing(item.font);
        const int room = qMax(1, int((h - ReportMetrics::lineHeight(item.font)) / spacing + kTolerance) + 1);
        if (item.lines.size() > room) {
            item.lines = item.lines.mid(0, room);
            item.lines.last() += QStringLiteral(" \u2026");
        }
        double widest = 0;
        for (QString& line : item.lines) {
            line = ReportMetrics::elided(item.font, line, w);
            widest = qMax(widest, ReportMetrics::textWidth(item.font, line));
        }
        block = QSizeF(widest, ReportMetrics::lineHeight(item.font) + (item.lines.size() - 1) * spacing);
    }

    const QRectF local = alignedBlock(block, w, h, item.alignment);
    if (item.rotation)
        item.textRect = QRectF(item.rect.left() + local.top(), item.rect.bottom() - local.right(),
                               local.height(), local.width());
    else
        item.textRect = local.translated(item.rect.topLeft());
    return item;
}

void ReportEngine::layoutChart(ReportPage& page, const ReportLineChart& chart, const QPointF& origin)
{
    QStringList labels;
    QList<double> values;
    auto it = m_dataSets.find(chart.dataSet);
    if (it != m_dataSets.end()) {
        const int savedRow = it->row;
        for (int row = 0; row < it->rowCount; ++row) {
            it->row = row;
            labels << valueText(chart.xVariable);
            values << (m_value ? m_value(chart.yVariable).toDouble() : 0.0);
        }
        it->row = savedRow;
    }
    page.items += LayoutLineChart(chart, chart.rect.translated(origin), labels, values);
}
