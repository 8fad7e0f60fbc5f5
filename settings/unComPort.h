// Helpers of the settings window's drop-down lists.
#pragma once

#include <QStringList>

#include <functional>

class QComboBox;

// The index of the last item exactly equal to text (letter case counts), -1 when none is.
int IndexOfItem(const QComboBox* list, const QString& text);
// Fills the list with the port names the source gives (the system's ports, then "SIM").
void ListSerialPorts(QComboBox* list, const std::function<QStringList()>& source);
