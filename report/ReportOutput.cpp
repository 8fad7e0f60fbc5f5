// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportOutput.h"

#include "config/SafeFile.h"
#include "report/ReportMetrics.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

constexpr double kTextDpi = 1200; // the resolution text is measured at

// Lines thinner than a device pixel would turn grey on a screen; paper and PDF are fine enough anyway.
QPen penOf(const ReportItem& item, double pixelsPerMm)
{
    QPen pen(item.color, qMax(1.0, item.lineWidth * pixelsPerMm), item.penStyle, Qt::FlatCap, Qt::MiterJoin);
    return pen;
}

QRectF scaled(const QRectF& mm, double pixelsPerMm)
{
    return QRectF(mm.topLeft() * pixelsPerMm, mm.size() * pixelsPerMm);
}

void paintText(QPainter& painter, const ReportItem& item, double pixelsPerMm)
{
    const QRectF cell = scaled(item.rect, pixelsPerMm);
    if (item.frame) {
        painter.setPen(penOf(item, pixelsPerMm));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell);
    }
    // Glyph advances are rounded to whole device pixels, which at screen or image resolutions makes a
    // line several per cent wider than it was measured. Drawing at the measuring resolution and
    // scaling down keeps the text the width it was laid out with.
    const double upscale = qMax(1.0, kTextDpi / (pixelsPerMm * 25.4));
    ReportFont font = item.font;
    font.pointSize *= upscale;
    painter.save();
    painter.scale(1 / upscale, 1 / upscale);
    painter.setFont(ReportMetrics::font(font));
    painter.setPen(item.color);
    const QRectF area(cell.topLeft() * upscale, cell.size() * upscale);
    const int flags = int(item.alignment) | Qt::TextDontClip | Qt::TextIncludeTrailingSpaces;
    if (item.rotation == 90) {
        painter.translate(area.bottomLeft());
        painter.rotate(-90);
        painter.drawText(QRectF(0, 0, area.height(), area.width()), flags, item.text());
    } else {
        painter.drawText(area, flags, item.text());
    }
    painter.restore();
}

} // namespace

void ReportOutput::paintPage(QPainter& painter, const ReportPage& page, double pixelsPerMm)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const ReportItem& item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Text:
            paintText(painter, item, pixelsPerMm);
            break;
        case ReportItem::Kind::Frame:
            painter.setPen(penOf(item, pixelsPerMm));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(scaled(item.rect, pixelsPerMm));
            break;
        case ReportItem::Kind::Line:
        case ReportItem::Kind::Polyline: {
            QPen pen = penOf(item, pixelsPerMm);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
            QPolygonF points;
            for (const QPointF& p : item.points)
                points << p * pixelsPerMm;
            painter.drawPolyline(points);
            break;
        }
        }
    }
    painter.restore();
}

bool ReportOutput::paint(const ReportDocument& document, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    const QSizeF sheet(device.width() / pixelsPerMm, device.height() / pixelsPerMm);
    for (int i = 0; i < document.pages.size(); ++i) {
        const ReportPage& page = document.pages[i];
        if (i > 0)
            device.newPage();
        double scale = qMin(sheet.width() / page.size.width(), sheet.height() / page.size.height());
        // A sheet of the page's own size comes out at 1:1 despite rounding to whole device pixels.
        if (scale > 0.995)
            scale = 1;
        painter.save();
        painter.translate(qMax(0.0, sheet.width() - page.size.width() * scale) / 2 * pixelsPerMm, 0);
        painter.scale(scale, scale);
        paintPage(painter, page, pixelsPerMm);
        painter.restore();
    }
    return painter.end();
}

QImage ReportOutput::renderPage(const ReportPage& page, double dpi)
{
    const double pixelsPerMm = dpi / 25.4;
    QImage image(qCeil(page.size.width() * pixelsPerMm), qCeil(page.size.height() * pixelsPerMm),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, pixelsPerMm);
    return image;
}

bool ReportOutput::writePdf(const ReportDocument& document, const QString& fileName, QString* error,
                            QString* reason)
{
    // The whole document is made in memory first and then written as any other file is: the PDF writer
    // does not tell when its device fails, and a report cut off by a full disk would still look saved.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(document.title);
        writer.setCreator(document.creator);
        const QSizeF size = document.pages.isEmpty() ? QSizeF(210, 297) : document.pages.first().size;
        writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Millimeter), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
        if (!paint(document, writer)) {
            if (error)
                *error = SafeFile::writeErrorText(fileName);
            if (reason)
                *reason = QStringLiteral("the report cannot be drawn");
            return false;
        }
    }
    return SafeFile::write(fileName, pdf, error, reason);
}
