// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/WindowManagerHints.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(ZENTIK_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#endif

void AskForMoveOnlyFrame(QWidget* window)
{
#if defined(ZENTIK_HAVE_XCB)
    const auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    static const char kAtomName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof(kAtomName) - 1, kAtomName), nullptr);
    if (!atom)
        return;
    // The Motif hints every X11 window manager reads: which of functions and decorations are given, then
    // the functions (move only) and the decorations (border and title, no buttons).
    constexpr uint32_t kFunctionsAndDecorations = 0x1 | 0x2;
    constexpr uint32_t kMoveOnly = 0x4;
    constexpr uint32_t kBorderAndTitle = 0x2 | 0x8;
    const uint32_t hints[5] = {kFunctionsAndDecorations, kMoveOnly, kBorderAndTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        atom->atom, atom->atom, 32, 5, hints);
    xcb_flush(connection);
    std::free(atom);
#else
    Q_UNUSED(window)
#endif
}
