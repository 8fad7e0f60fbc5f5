// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window's drop-down lists: finding an item, filling a list with ports, and the list of ports
// the settings window offers.
#pragma once

#include "ports/PortFinder.h"
#include "ports/SerialPorts.h"

#include <QMap>
#include <Qt>

class LanguageCatalog;
class QComboBox;

// The index of the last item whose text (or data of that role) exactly equals text (letter case counts),
// -1 when none does.
int IndexOfItem(const QComboBox* list, const QString& text, int role = Qt::DisplayRole);
// Fills the list with the ports: each item shows the port's text and holds its bare name as data
// (Qt::UserRole), the name that options.ini stores.
void ListSerialPorts(QComboBox* list, const QList<SerialPortEntry>& ports);

// The ports of the settings window: the system's, with the port in use first when the system does not list
// it (so that an Apply for another setting keeps it), each marked with what the last search found there. A
// port name or path typed into the box is kept as typed.
class PortList
{
public:
    PortList(QComboBox* box, const LanguageCatalog& language);

    // The system's ports; false when they are those listed already.
    bool setPorts(const QList<SerialPortEntry>& ports);
    const QList<SerialPortEntry>& ports() const { return m_ports; }
    QString portInUse() const { return m_portInUse; }
    void setPortInUse(const QString& port) { m_portInUse = port; }

    // What the search found on a port, and forgetting all it found.
    void setAnswer(const PortAnswer& answer) { m_answers.insert(answer.port, answer); }
    void clearAnswers() { m_answers.clear(); }
    bool hasAnswers() const { return !m_answers.isEmpty(); }

    // Lists the ports anew with the one named selected; a name typed into the box stays there unless
    // keepTyped is false.
    void show(const QString& selected, bool keepTyped = true);
    // Lists the ports anew, the selection kept.
    void showAgain();
    // The port the box names: the selected item's port, or a name or path typed into it, as typed.
    QString chosenPort() const;

private:
    // The text typed into the box when it is no item's text, else a null string.
    QString typedPort() const;
    QString portText(const SerialPortEntry& port) const;

    QComboBox* m_box;
    const LanguageCatalog& m_language;
    QList<SerialPortEntry> m_ports;      // as the system lists them
    QList<SerialPortEntry> m_listed;     // the box's
    QString m_portInUse;                 // options.ini Port
    QMap<QString, PortAnswer> m_answers; // by port name, from the last search
};
