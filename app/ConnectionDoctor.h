// SPDX-License-Identifier: GPL-3.0-or-later
// The connection doctor: why the controller cannot be reached on a port, as checks a technician can act
// on (the device, the permission to open it, another program holding it, brltty, ModemManager) and last
// whether the controller answers. The system is read through a SystemView, so tests use a fake tree.
#pragma once

#include "app/Flow.h"
#include "app/SystemView.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class LanguageCatalog;
class PortFinder;
struct AppContext;
struct PortAnswer;

struct DoctorFinding
{
    enum class Check { Device, Permission, Holder, Brltty, ModemManager, Answer };
    enum class What {
        DevicePresent,     // args: port
        DeviceMissing,     // args: port, the adapters under /dev/serial/by-id
        NoAdapter,         // args: port; /dev/serial/by-id is empty or missing
        MayOpen,           // args: user, port
        NotInGroup,        // args: user, group, port
        GroupNotInSession, // args: user, group
        NoHolder,          // args: port
        HeldBy,            // args: program, PID, port
        NoBrltty,          //
        Brltty,            //
        NoModemManager,    //
        ModemManager,      //
        ModemManagerAway,  // ModemManager runs, but the udev rule keeps it away from this adapter
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

// The system's checks of the port, in order; none for the simulated controller or off Linux.
QList<DoctorFinding> ExamineSystem(const SystemView& system, const QString& port);

// The last check, from what the port said when asked for the serial number.
DoctorFinding AnswerFinding(const PortAnswer& answer);

// The finding in the language's words; FindingsText gives one line per finding, a tick or a cross first.
QString FindingText(const LanguageCatalog& language, const DoctorFinding& finding);
QString FindingsText(const LanguageCatalog& language, const QList<DoctorFinding>& findings);
// The check's name as zentikctl prints it ("device", "permission", ...).
QString CheckName(DoctorFinding::Check check);

// The details of a failure message about the port: a heading, the system's checks, then last if given;
// none for the simulated controller.
QString ConnectionDetails(const AppContext& context, const QString& port,
                          const std::optional<DoctorFinding>& last = std::nullopt);
// The details of a process that failed on the port: after a time-out the system's checks and that no
// controller answers, after a failed write the system's checks; none for the other result codes.
QString ProcessFailureDetails(const AppContext& context, const QString& port, int resultCode);

// The doctor as a flow: the system's checks, then the controller is asked for its serial number through a
// line of its own (the controller object's port is held meanwhile); ends Done, or Busy while a process runs.
// findings receives every check, the answer last, before the run finishes.
void StartConnectionCheck(const AppContext& context, PortFinder& finder, const QString& port,
                          std::function<void(const QList<DoctorFinding>&)> findings, const FlowRun& run);
