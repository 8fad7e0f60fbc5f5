// SPDX-License-Identifier: GPL-3.0-or-later
// Putting prepared report pages on a device: a painter, a printer or PDF writer, an image, a PDF file.
#pragma once

#include "report/ReportDocument.h"

#include <QImage>

class QPagedPaintDevice;
class QPainter;

namespace ReportOutput {

// Draws the page with its top left corner at the painter's origin, pixelsPerMm device pixels to the mm.
void paintPage(QPainter& painter, const ReportPage& page, double pixelsPerMm);
// Every page on its own sheet of a printer or PDF writer whose painting starts at the sheet's corner
// (a printer in full-page mode, a writer without margins). A page larger than the sheet is scaled down
// to fit it. False when the device cannot be painted on.
bool paint(const ReportDocument& document, QPagedPaintDevice& device);
// One page as a white image at the given resolution.
QImage renderPage(const ReportPage& page, double dpi);
// The document as a PDF file with sheets of its own page size, written by the checked writer (SafeFile):
// whole or not at all, onto a regular file only. On failure error holds "Unable to write to " and the
// file's name, reason the system's words.
bool writePdf(const ReportDocument& document, const QString& fileName, QString* error = nullptr,
              QString* reason = nullptr);

} // namespace ReportOutput
