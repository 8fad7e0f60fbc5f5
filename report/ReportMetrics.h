// SPDX-License-Identifier: GPL-3.0-or-later
// Text measurement in millimetres, the same whichever device will draw the report later.
#pragma once

#include "report/ReportTemplate.h"

#include <QFont>

namespace ReportMetrics {

// The font as drawn, at its point size; hinting is off so that every device lays text out alike, and
// shaping is off so that each character keeps a glyph of its own: a ligature such as "fi" would make a
// PDF's text read and search as something else than the letters printed.
QFont font(const ReportFont& font);
double textWidth(const ReportFont& font, const QString& text);
// Height of one line, and the distance from one line to the next.
double lineHeight(const ReportFont& font);
double lineSpacing(const ReportFont& font);
// The text cut short with an ellipsis so that it fits the width.
QString elided(const ReportFont& font, const QString& text, double width);
// Breaks the text at blanks into lines no wider than width where possible; a word wider than width
// stays whole on its own line.
QStringList wrapped(const ReportFont& font, const QString& text, double width);

} // namespace ReportMetrics
