// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program as the screenshots show it: a home folder with the shipped language files, the
// session's language and the simulated controller, started and its first reads done; what the program
// says in the status line is shown there.
#pragma once

#include "mainwindow/StartUp.h"
#include "ports/SerialPorts.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/RecordingMessages.h"

#include <QLabel>
#include <QList>
#include <QPointer>

#include <memory>

struct ShotSession;

struct ShotProgram
{
    // ports: what the system lists instead of its own ports (none: the system's own).
    explicit ShotProgram(const ShotSession& session, int adminMode = 1,
                         const QList<SerialPortEntry>& ports = {});

    ProgramHome home;
    RecordingMessages messages;
    QPointer<QLabel> statusLine;
    std::unique_ptr<ZentikProgram> program;
};
