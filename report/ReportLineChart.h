// SPDX-License-Identifier: GPL-3.0-or-later
// The line chart element: axes with labels that keep clear of each other, grid lines and one line series,
// laid out as drawing items.
#pragma once

#include "report/ReportDocument.h"

#include <QLocale>

// rect: the chart's area on the page. labels[i] names point i on the X axis; values[i] is its height.
QList<ReportItem> LayoutLineChart(const ReportLineChart& chart, const QRectF& rect, const QStringList& labels,
                                  const QList<double>& values, const QLocale& locale = QLocale());
