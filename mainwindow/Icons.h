// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon set, drawn in one style so that menus and toolbars never show a blank or a mix.
#pragma once

#include <QIcon>

enum class IconKind {
    Exit,
    LoadConfig,
    SaveConfig,
    Print,
    Cascade,
    TileHorizontal,
    TileVertical,
    Settings,
    About,
    Sensor1,
    Sensor2,
    Controller,
    ReadTable,
    WriteTable,
};

QIcon ActionIcon(IconKind kind);
