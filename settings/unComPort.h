// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the settings window's drop-down lists.
#pragma once

#include "ports/SerialPorts.h"

#include <Qt>

class QComboBox;

// The index of the last item whose text (or data of that role) exactly equals text (letter case counts),
// -1 when none does.
int IndexOfItem(const QComboBox* list, const QString& text, int role = Qt::DisplayRole);
// Fills the list with the ports: each item shows the port's text and holds its bare name as data
// (Qt::UserRole), the name that options.ini stores.
void ListSerialPorts(QComboBox* list, const QList<SerialPortEntry>& ports);
