// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide objects every window works with, created at start-up and alive until the program ends.
#pragma once

#include "app/SystemView.h"

#include <QStringList>

#include <functional>

class TZENTIK;
struct SerialPortEntry;
class ControllerHistory;
class Options;
class TankVolumeStore;
class LanguageCatalog;
class MessageService;
class FileDialogs;
class ProgressView;

struct AppContext
{
    TZENTIK* zentik = nullptr;
    Options* options = nullptr;
    TankVolumeStore* volumes = nullptr;
    LanguageCatalog* language = nullptr;
    MessageService* messages = nullptr;
    FileDialogs* fileDialogs = nullptr; // the windows' questions for a file
    ProgressView* progress = nullptr;   // shown while table pages travel
    // Where full reads and writes of each controller are kept; none (tests of one window): nothing is kept
    // and no backup is taken.
    ControllerHistory* history = nullptr;
    // This run writes without a backup, whatever the options file says (zentikctl --no-backup).
    bool noBackup = false;
    // The serial ports to offer: the system's, the extra paths, then "SIM".
    std::function<QList<SerialPortEntry>()> listPorts;
    // Redraws the main window's summary panel from the controller object's Parameters.
    std::function<void()> showSummary;
    // Time-out of every request, in milliseconds (tests shorten it).
    int timeoutMs = 1000;
    // Where the connection doctor looks at the system (tests give a fake tree).
    SystemView system = SystemView::live();

    // Tells the user that a command was refused because the controller is running a process.
    void tellBusy() const;
    // True, after telling the user, while the controller runs a process: the command that asks then
    // stops without changing anything.
    bool refuseIfBusy() const;
};
