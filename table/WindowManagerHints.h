// SPDX-License-Identifier: GPL-3.0-or-later
// What the window manager is asked for a window it must not let the user minimise, maximise or close.
#pragma once

class QWidget;

// A title and a border, moving and nothing else: no minimise, maximise or close button and no such command
// in the window menu. Qt's own flags cannot say this to an X11 window manager, which then offers every
// button of its own; elsewhere the window's flags already say it and this does nothing.
void AskForMoveOnlyFrame(QWidget* window);
