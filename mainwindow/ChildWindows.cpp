// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ChildWindows.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

ChildWindows::ChildWindows(QMdiArea* area, QObject* parent) : QObject(parent), m_area(area) {}

void ChildWindows::addKind(int tag, QAction* opening, Opener open)
{
    m_kinds.insert(tag, Kind{opening, std::move(open)});
}

void ChildWindows::open(int tag)
{
    const Kind kind = m_kinds.value(tag);
    if (!kind.opening)
        return;
    QAction* opening = kind.opening;
    QMdiSubWindow* window = kind.open([opening] { opening->setEnabled(true); });
    if (!window)
        return;
    window->setProperty("Tag", tag);
    window->setWindowIcon(opening->icon());
    keepReachable(window);
    opening->setEnabled(false);
}

void ChildWindows::openOrRaise(int tag)
{
    QAction* opening = m_kinds.value(tag).opening;
    if (opening && opening->isEnabled()) {
        opening->trigger();
        return;
    }
    for (QMdiSubWindow* w : windows(tag)) {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        m_area->setActiveSubWindow(w);
    }
}

QList<QMdiSubWindow*> ChildWindows::windows(int tag) const
{
    QList<QMdiSubWindow*> found;
    for (QMdiSubWindow* w : m_area->subWindowList(QMdiArea::CreationOrder))
        if (w->property("Tag").toInt() == tag)
            found << w;
    return found;
}

void ChildWindows::cascade()
{
    m_area->cascadeSubWindows();
}

void ChildWindows::tile(Qt::Orientation orientation)
{
    m_tiling = orientation;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : m_area->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized())
            windows << w;
    if (windows.isEmpty())
        return;
    const QRect area = m_area->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int h = area.height() / n;
            windows[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            windows[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
    }
}

void ChildWindows::keepReachable(QMdiSubWindow* window)
{
    // A window larger than the frame is made to fit it, below its own minimum where the frame is smaller
    // still; what it then cannot show, it scrolls.
    const QSize room = m_area->viewport()->size();
    if (!room.isEmpty() && (window->width() > room.width() || window->height() > room.height())) {
        QSize fit = window->size().boundedTo(room);
        if (window->minimumSize() == window->maximumSize()) {
            // A window of fixed size scrolls its content and stays of fixed size: it gets the room of the
            // bar that cutting it in one direction brings, so as not to need the other one too.
            const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
            if (fit.width() < window->width())
                fit.setHeight(std::min(room.height(), fit.height() + bar));
            if (fit.height() < window->height())
                fit.setWidth(std::min(room.width(), fit.width() + bar));
            window->setFixedSize(fit);
        } else {
            window->setMinimumSize(window->minimumSize().boundedTo(room));
            window->resize(fit);
        }
    }
    // The frame's own placement centres a window larger than the frame, cutting off its left part; such a
    // window starts at the left and top edges, and the scroll bars reach the rest.
    QPoint at = window->pos();
    if (window->x() < 0 || window->x() + window->width() > room.width())
        at.setX(qMax(0, qMin(window->x(), room.width() - window->width())));
    if (window->y() < 0 || window->y() + window->height() > room.height())
        at.setY(qMax(0, qMin(window->y(), room.height() - window->height())));
    window->move(at);
}
