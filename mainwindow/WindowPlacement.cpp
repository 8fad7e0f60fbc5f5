// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WindowPlacement.h"

#include "app/Options.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace WindowPlacement {

namespace {

const QByteArray kLeft = "MainLeft";
const QByteArray kTop = "MainTop";
const QByteArray kWidth = "MainWidth";
const QByteArray kHeight = "MainHeight";
const QByteArray kMaximised = "MainMaximized";
const QByteArray kFrame = "MainFrame"; // left, top, right and bottom of the frame, comma-separated

// Before the window manager has framed the window its frame is unknown: the one it drew last time, or
// room for a title bar and borders as large desktops draw them.
QMargins expectedFrame(const QWidget* window, const std::optional<QMargins>& last)
{
    const QWindow* handle = window->windowHandle();
    const QMargins known = handle ? handle->frameMargins() : QMargins();
    const QMargins usual = last ? *last : QMargins(8, 40, 8, 8);
    return QMargins(std::max(known.left(), usual.left()), std::max(known.top(), usual.top()),
                    std::max(known.right(), usual.right()), std::max(known.bottom(), usual.bottom()));
}

// The frame the window manager has drawn around the window (none before it is shown).
QMargins frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

QMargins marginsOf(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return QMargins();
    int m[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        m[i] = parts[i].trimmed().toInt(&ok);
        // A frame is a few dozen pixels at most; anything else is not a frame.
        if (!ok || m[i] < 0 || m[i] > 200)
            return QMargins();
    }
    return QMargins(m[0], m[1], m[2], m[3]);
}

// The screen showing the largest part of the rectangle; none when no screen shows any of it.
const QScreen* screenOf(const QRect& client)
{
    const QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(client);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

QRect availableFor(const QRect& client)
{
    const QScreen* screen = screenOf(client);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QRect fitted(const QRect& client, const QMargins& frame, const QRect& available)
{
    if (available.isEmpty())
        return client;
    const QRect room = available.marginsRemoved(frame);
    QRect result(client.topLeft(), client.size().boundedTo(room.size()));
    result.moveLeft(std::clamp(result.left(), room.left(), room.right() - result.width() + 1));
    result.moveTop(std::clamp(result.top(), room.top(), room.bottom() - result.height() + 1));
    return result;
}

std::optional<Kept> kept(Options& options)
{
    const IniFile& file = options.file();
    const qint32 width = file.readInteger(Options::kSection, kWidth, 0);
    const qint32 height = file.readInteger(Options::kSection, kHeight, 0);
    if (width <= 0 || height <= 0)
        return std::nullopt;
    Kept place;
    place.normal = QRect(file.readInteger(Options::kSection, kLeft, 0),
                         file.readInteger(Options::kSection, kTop, 0), width, height);
    place.maximised = file.readInteger(Options::kSection, kMaximised, 0) > 0;
    place.frame = marginsOf(file.readString(Options::kSection, kFrame, QString()));
    return place;
}

bool keep(Options& options, const Kept& place)
{
    return options.file().update([&](IniDocument& doc) {
        doc.writeInteger(Options::kSection, kLeft, place.normal.left());
        doc.writeInteger(Options::kSection, kTop, place.normal.top());
        doc.writeInteger(Options::kSection, kWidth, place.normal.width());
        doc.writeInteger(Options::kSection, kHeight, place.normal.height());
        doc.writeInteger(Options::kSection, kMaximised, place.maximised ? 1 : 0);
        const QMargins& f = place.frame;
        doc.setValue(
            Options::kSection, kFrame,
            QStringLiteral("%1,%2,%3,%4").arg(f.left()).arg(f.top()).arg(f.right()).arg(f.bottom()).toUtf8());
    });
}

void restore(QWidget* window, Options& options, const QSize& defaultSize)
{
    const std::optional<Kept> place = kept(options);
    const bool onScreen = place && screenOf(place->normal);
    // The frame the window manager drew last time, where it is known.
    const bool frameKnown = onScreen && !place->frame.isNull();
    const QMargins frame =
        expectedFrame(window, frameKnown ? std::optional<QMargins>(place->frame) : std::nullopt);
    QRect client;
    if (onScreen) {
        client = place->normal;
    } else {
        client = QRect(QPoint(0, 0), defaultSize);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            client.moveCenter(screen->availableGeometry().center());
    }
    const QRect available = availableFor(client);
    client = fitted(client, frame, available);
    // The described minimum, unless the screen with a large desktop's frame is smaller (the same in every
    // run, so that a window kept smaller than the described minimum comes back as it was).
    const QMargins largeFrame = expectedFrame(window, std::nullopt);
    window->setMinimumSize(window->minimumSize().boundedTo(available.marginsRemoved(largeFrame).size()));
    window->setGeometry(client);
    if (place && place->maximised)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

bool fitShown(QWidget* window)
{
    if (window->isMaximized() || window->isFullScreen())
        return true;
    const QRect client = window->geometry();
    const QMargins margins = frameOf(window);
    if (margins.isNull())
        return false;
    const QRect fit = fitted(client, margins, availableFor(client));
    if (fit != client)
        window->setGeometry(fit);
    return true;
}

void enlarge(QWidget* window, const QSize& extra)
{
    if (window->isMaximized() || window->isFullScreen() || (extra.width() <= 0 && extra.height() <= 0))
        return;
    const QRect client = window->geometry();
    const QMargins drawn = frameOf(window);
    const QMargins frame = drawn.isNull() ? expectedFrame(window, std::nullopt) : drawn;
    // Grown about its centre, then moved and held within the screen.
    QRect grown = client.adjusted(0, 0, extra.width(), extra.height());
    grown.moveCenter(client.center());
    window->setGeometry(fitted(grown, frame, availableFor(client)));
}

bool remember(const QWidget* window, Options& options)
{
    // A maximised window's frame need not be the one it has when normal again: the one kept before is
    // the better guess, where there is one.
    QMargins frame = frameOf(window);
    if (window->isMaximized()) {
        const QMargins before = kept(options).value_or(Kept()).frame;
        if (!before.isNull())
            frame = before;
    }
    return keep(options, {window->isMaximized() ? window->normalGeometry() : window->geometry(),
                          window->isMaximized(), frame});
}

} // namespace WindowPlacement
