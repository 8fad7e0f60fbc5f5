// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports the program offers: the system's, in the order the system gives, then the extra paths
// of ZENTIK_EXTRA_PORTS, then "SIM"; each with what the system says of its adapter.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct SerialPortEntry
{
    SerialPortEntry(const QString& name = QString(), const QString& description = QString(),
                    const QString& manufacturer = QString(), bool usb = false)
        : name(name), description(description), manufacturer(manufacturer), usb(usb)
    {}

    QString name; // what the serial layer opens and options.ini stores
    QString description;
    QString manufacturer;
    bool usb = false; // an adapter with a USB vendor identifier

    bool operator==(const SerialPortEntry& other) const
    {
        return name == other.name && description == other.description && manufacturer == other.manufacturer &&
               usb == other.usb;
    }
};

// What the port list shows: "ttyUSB0 — FT232R USB UART (FTDI)"; the maker only for USB adapters and only
// when the description does not already name it; the bare name when the system says nothing.
QString PortDisplayText(const SerialPortEntry& port);

// The paths of ZENTIK_EXTRA_PORTS, separated by colons (semicolons on Windows); empty parts are dropped.
QStringList ExtraSerialPorts();

// The system's ports, the extra paths not already among them, then "SIM".
QList<SerialPortEntry> SystemSerialPorts();

// The names of the ports, in order.
QStringList PortNames(const QList<SerialPortEntry>& ports);
