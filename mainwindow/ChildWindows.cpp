// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ChildWindows.h"

#include "controller/Uzentik.h"
#include "table/Usensor1.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace {

// A window made smaller than its own size to fit the frame keeps that size here, and the size it was made,
// so that a larger frame (the main window maximised) gives it back while the user has not resized it.
const char* const kNaturalSize = "naturalSize";
const char* const kFittedSize = "fittedSize";

} // namespace

ChildWindows::ChildWindows(QMdiArea* area, QObject* parent)
    : QObject(parent), m_area(area), m_viewport(area->viewport())
{
    m_viewport->installEventFilter(this);
}

bool ChildWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        for (QMdiSubWindow* w : m_area->subWindowList()) {
            const QSize natural = w->property(kNaturalSize).toSize();
            if (natural.isValid() && w->size() == w->property(kFittedSize).toSize() && !w->isMaximized())
                fitInto(w, natural);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ChildWindows::addKind(int tag, QAction* opening, Opener open)
{
    m_kinds.insert(tag, Kind{opening, std::move(open)});
}

void ChildWindows::addProgramKinds(const AppContext& context, QAction* sensor1, QAction* sensor2,
                                   QAction* controller)
{
    const auto sensorWindow = [this, &context](int sensor, QAction* opening) {
        return [this, &context, sensor, opening](const std::function<void()>& closed) -> QMdiSubWindow* {
            TFSensor1* window = TFSensor1::open(context, m_area, sensor);
            if (window)
                connect(window, &TFSensor1::closed, opening, closed);
            return window;
        };
    };
    addKind(ChildTag::Sensor1, sensor1, sensorWindow(1, sensor1));
    addKind(ChildTag::Sensor2, sensor2, sensorWindow(2, sensor2));
    addKind(ChildTag::Controller, controller,
            [this, &context, controller](const std::function<void()>& closed) {
                TFZentik* window = TFZentik::open(context, m_area);
                if (window)
                    connect(window, &TFZentik::closed, controller, closed);
                return window;
            });
}

void ChildWindows::applyTexts()
{
    for (QMdiSubWindow* w : m_area->subWindowList()) {
        if (auto* sensor = qobject_cast<TFSensor1*>(w))
            sensor->ApplyTexts();
        else if (auto* controller = qobject_cast<TFZentik*>(w))
            controller->ApplyTexts();
    }
}

void ChildWindows::tellControllerChanged()
{
    for (QMdiSubWindow* w : m_area->subWindowList(QMdiArea::CreationOrder))
        if (auto* sensor = qobject_cast<TFSensor1*>(w))
            sensor->controllerChanged();
}

bool ChildWindows::mayClose()
{
    for (QMdiSubWindow* w : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* sensor = qobject_cast<TFSensor1*>(w); sensor && !sensor->confirmDiscardingPoints())
            return false;
        if (auto* controller = qobject_cast<TFZentik*>(w);
            controller && !controller->confirmDiscardingEdits())
            return false;
    }
    return true;
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

QSize ChildWindows::roomMissing() const
{
    QSize needed;
    for (const QMdiSubWindow* w : m_area->subWindowList())
        needed = needed.expandedTo(w->property(kNaturalSize).toSize());
    if (!needed.isValid())
        return QSize();
    const QSize room = m_area->viewport()->size();
    return QSize(std::max(0, needed.width() - room.width()), std::max(0, needed.height() - room.height()));
}

void ChildWindows::keepReachable(QMdiSubWindow* window)
{
    fitInto(window, window->size());
}

void ChildWindows::fitInto(QMdiSubWindow* window, const QSize& natural)
{
    // A window larger than the frame is made to fit it, below its own minimum where the frame is smaller
    // still; what it then cannot show, it scrolls.
    const QSize room = m_area->viewport()->size();
    const bool fixed = window->minimumSize() == window->maximumSize();
    if (room.isEmpty())
        return;
    if (natural.width() <= room.width() && natural.height() <= room.height()) {
        // The frame has room for the whole window (again).
        if (window->size() != natural) {
            if (fixed)
                window->setFixedSize(natural);
            else
                window->resize(natural);
        }
        window->setProperty(kNaturalSize, QVariant());
    } else {
        QSize fit = natural.boundedTo(room);
        if (fixed) {
            // A window of fixed size scrolls its content and stays of fixed size: it gets the room of the
            // bar that cutting it in one direction brings, so as not to need the other one too.
            const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
            if (fit.width() < natural.width())
                fit.setHeight(std::min(room.height(), fit.height() + bar));
            if (fit.height() < natural.height())
                fit.setWidth(std::min(room.width(), fit.width() + bar));
            window->setFixedSize(fit);
        } else {
            window->setMinimumSize(window->minimumSize().boundedTo(room));
            window->resize(fit);
        }
        window->setProperty(kNaturalSize, natural);
        window->setProperty(kFittedSize, window->size());
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
