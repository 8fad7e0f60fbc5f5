#include "settings/unComPort.h"

#include "app/SerialPorts.h"

#include <QComboBox>

int IndexOfItem(const QComboBox* list, const QString& text)
{
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->itemText(i) == text)
            return i;
    return -1;
}

void ListSerialPorts(QComboBox* list, const std::function<QStringList()>& source)
{
    list->clear();
    list->addItems(source ? source() : SystemSerialPorts());
}
