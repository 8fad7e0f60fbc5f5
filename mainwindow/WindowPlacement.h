// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window opens: as large and where it was when it last closed (kept in options.ini), or the
// described size centred on the screen, and never larger than the screen's available area.
#pragma once

#include <QMargins>
#include <QRect>

#include <optional>

class Options;
class QWidget;

namespace WindowPlacement {

// The window's place as kept between runs: its normal (not maximised) rectangle without the frame, and
// the frame the window manager drew around it then.
struct Kept
{
    QRect normal;
    bool maximised = false;
    QMargins frame;
};

// The client rectangle moved and, where it must be, shrunk so that it and its frame lie inside available.
QRect fitted(const QRect& client, const QMargins& frame, const QRect& available);

std::optional<Kept> kept(Options& options);
// Written under the options file's lock; false when it could not be written.
bool keep(Options& options, const Kept& place);

// Before the window is first shown: the kept place on the screen that shows most of it, else (a first
// start, a screen gone) defaultSize centred on the primary screen; held within the available area.
void restore(QWidget* window, Options& options, const QSize& defaultSize);
// Once shown: the frame the window manager has given it may be larger than foreseen; the window is then
// fitted again. False while the frame is not known yet (the manager has not framed the window).
bool fitShown(QWidget* window);
// The window larger by extra in each direction, as far as its screen's available area has room (a first
// start where the desktop's font makes a child window larger than the described frame).
void enlarge(QWidget* window, const QSize& extra);
// At closing: the window's place for the next run.
bool remember(const QWidget* window, Options& options);

} // namespace WindowPlacement
