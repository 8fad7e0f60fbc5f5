// SPDX-License-Identifier: GPL-3.0-or-later
// The system probe behind the connection check: why the controller cannot be reached on a port, as checks a
// technician can act on (the device, the permission to open it, another program holding it, brltty,
// ModemManager), the USB adapter's latency timer and last whether the controller answered. The system is read
// through a SystemView, so tests use a fake tree.
#pragma once

#include "app/SystemView.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct PortAnswer;

struct DoctorFinding
{
    enum class Check { Device, Permission, Holder, Brltty, ModemManager, Latency, Answer };
    enum class What {
        DevicePresent,     // args: port
        DeviceMissing,     // args: port, the adapters under /dev/serial/by-id
        NoAdapter,         // args: port; /dev/serial/by-id is empty or missing
        MayOpen,           // args: user, port
        NotInGroup,        // args: user, group, port
        GroupNotInSession, // args: user, group
        NoGroupAccess,     // args: user, port, group, mode (root's group, or one that may not open it)
        NoHolder,          // args: port
        HeldBy,            // args: program, PID, port
        NoBrltty,          //
        Brltty,            //
        NoModemManager,    //
        ModemManager,      //
        ModemManagerAway,  // ModemManager runs, but the udev rule keeps it away from this adapter
        LatencyLow,        // args: port, the adapter's latency timer in ms
        LatencyHigh,       // args: port, the latency timer in ms, its file in /sys
        Answered,          // args: port, serial number
        Silent,            // args: port
        CannotOpen,        // args: port, the system's reason
    };

    Check check = Check::Device;
    What what = What::DevicePresent;
    bool ok = true;
    QStringList args;
    QString adapter; // DevicePresent: "USB 1a86:7523" when the device is a USB adapter
};

struct PortHolder
{
    qint64 pid = 0;
    QString program; // the process's name, empty when the system does not say
};

// The USB adapters the package's udev rule gives the seat's user and keeps ModemManager away from, as
// "vendor:product".
extern const QStringList kRuledAdapters;

// The program holding the port: the one a lock file names (as QSerialPort and most serial programs make
// them), else one with the device open; none when only this program holds it.
std::optional<PortHolder> FindPortHolder(const SystemView& system, const QString& port);

// The device check alone, for a port about to be chosen: its finding when the port's device does not exist;
// none when it does, and for the simulated controller, a configuration file or off Linux.
std::optional<DoctorFinding> MissingDevice(const SystemView& system, const QString& port);

// The system's checks of the port, in order; none for the simulated controller or off Linux.
QList<DoctorFinding> ExamineSystem(const SystemView& system, const QString& port);

// The last check, from what the port said when asked for the serial number.
DoctorFinding AnswerFinding(const PortAnswer& answer);
