// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportMetrics.h"

#include <QFontMetricsF>
#include <QImage>

namespace {

// Measuring at a fine resolution keeps rounding in the metrics well below a tenth of a millimetre.
constexpr double kReferenceDpi = 1200;
constexpr double kMmPerPixel = 25.4 / kReferenceDpi;

QFontMetricsF metrics(const ReportFont& font)
{
    static QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kReferenceDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kReferenceDpi / 0.0254));
        return image;
    }();
    return QFontMetricsF(ReportMetrics::font(font), &reference);
}

} // namespace

QFont ReportMetrics::font(const ReportFont& font)
{
    QFont f(font.family);
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

double ReportMetrics::textWidth(const ReportFont& font, const QString& text)
{
    return metrics(font).horizontalAdvance(text) * kMmPerPixel;
}

double ReportMetrics::lineHeight(const ReportFont& font)
{
    return metrics(font).height() * kMmPerPixel;
}

double ReportMetrics::lineSpacing(const ReportFont& font)
{
    return metrics(font).lineSpacing() * kMmPerPixel;
}

QString ReportMetrics::elided(const ReportFont& font, const QString& text, double width)
{
    return metrics(font).elidedText(text, Qt::ElideRight, width / kMmPerPixel);
}

QStringList ReportMetrics::wrapped(const ReportFont& font, const QString& text, double width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (line.isEmpty() || textWidth(font, longer) <= width) {
                line = longer;
            } else {
                lines << line;
                line = word;
            }
        }
        lines << line;
    }
    return lines;
}
