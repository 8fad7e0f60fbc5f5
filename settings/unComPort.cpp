// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/unComPort.h"

#include <QComboBox>

int IndexOfItem(const QComboBox* list, const QString& text, int role)
{
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->itemData(i, role).toString() == text)
            return i;
    return -1;
}

void ListSerialPorts(QComboBox* list, const QList<SerialPortEntry>& ports)
{
    list->clear();
    for (const SerialPortEntry& port : ports)
        list->addItem(PortDisplayText(port), port.name);
}
