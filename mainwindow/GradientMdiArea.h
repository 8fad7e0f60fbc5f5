// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's frame area: a diagonal colour gradient from grey (162,162,162) at the top right corner
// to (70,70,70) at the bottom left one.
#pragma once

#include <QLinearGradient>
#include <QMdiArea>

class GradientMdiArea : public QMdiArea
{
public:
    using QMdiArea::QMdiArea;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        const QRect r = viewport()->rect();
        QLinearGradient gradient(r.topRight(), r.bottomLeft());
        gradient.setColorAt(0, QColor(162, 162, 162));
        gradient.setColorAt(1, QColor(70, 70, 70));
        setBackground(gradient);
        QMdiArea::resizeEvent(event);
    }
};
