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

// Before the window manager has framed the window its frame is unknown: room for a title bar and borders
// as large desktops draw them.
QMargins expectedFrame(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    const QMargins known = handle ? handle->frameMargins() : QMargins();
    const QMargins usual(8, 40, 8, 8);
    return QMargins(std::max(known.left(), usual.left()), std::max(known.top(), usual.top()),
                    std::max(known.right(), usual.right()), std::max(known.bottom(), usual.bottom()));
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
    });
}

void restore(QWidget* window, Options& options, const QSize& defaultSize)
{
    const std::optional<Kept> place = kept(options);
    const QMargins frame = expectedFrame(window);
    QRect client;
    QRect available;
    if (place && screenOf(place->normal)) {
        // It stood there with its frame last time; fitShown corrects it once the frame is known again.
        available = availableFor(place->normal);
        client = fitted(place->normal, QMargins(), available);
    } else {
        client = QRect(QPoint(0, 0), defaultSize);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            client.moveCenter(screen->availableGeometry().center());
        available = availableFor(client);
        client = fitted(client, frame, available);
    }
    // The described minimum, unless the screen itself is smaller.
    window->setMinimumSize(window->minimumSize().boundedTo(available.marginsRemoved(frame).size()));
    window->setGeometry(client);
    if (place && place->maximised)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void fitShown(QWidget* window)
{
    if (window->isMaximized() || window->isFullScreen())
        return;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect fit = fitted(client, margins, availableFor(client));
    if (fit != client)
        window->setGeometry(fit);
}

bool remember(const QWidget* window, Options& options)
{
    return keep(options, {window->isMaximized() ? window->normalGeometry() : window->geometry(),
                          window->isMaximized()});
}

} // namespace WindowPlacement
