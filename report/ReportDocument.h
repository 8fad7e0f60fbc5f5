// SPDX-License-Identifier: GPL-3.0-or-later
// A prepared report: what is drawn on each page, in millimetres from the page's top left corner. The
// painter reproduces it on any device; tests read it directly.
#pragma once

#include "report/ReportTemplate.h"

#include <QPolygonF>

struct ReportItem
{
    enum class Kind { Text, Frame, Line, Polyline };
    Kind kind = Kind::Text;
    QString element; // the template element it comes from
    QRectF rect;     // Text: its cell; Frame: the rectangle; lines: their bounds
    // Text: the lines as laid out, already resolved, fitted and cut short where needed.
    QStringList lines;
    ReportFont font; // Text: after any shrinking
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    int rotation = 0;
    QRectF textRect;    // Text: the area the lines take up on the page
    bool frame = false; // Text: a frame around the cell
    QPolygonF points;   // Line and Polyline
    QColor color = Qt::black;
    double lineWidth = 0.2; // frames and lines
    Qt::PenStyle penStyle = Qt::SolidLine;

    QString text() const { return lines.join(QLatin1Char('\n')); }
};

struct ReportPage
{
    QSizeF size{210, 297};
    QList<ReportItem> items;
};

struct ReportDocument
{
    QString title;
    QString creator; // the program that made it, for a PDF's properties
    QList<ReportPage> pages;

    bool isEmpty() const { return pages.isEmpty(); }
};
