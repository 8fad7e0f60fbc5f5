// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window working on a configuration file opened as a controller (the caption and the
// port panel name the file, the summary shows it, the controller settings window holds its settings), its
// File menu, and the dialog that chooses the port to write it to.

#include "config/ConfigFile.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/StartUp.h"
#include "settings/PortChoiceDialog.h"
#include "tests/common/Fixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/screenshots/ShotProgram.h"
#include "tests/screenshots/Shots.h"

#include <QMenu>

namespace {

void shootFilePort(ShotSession& session)
{
    ShotProgram started(session, 0);
    ZentikProgram& program = *started.program;
    TParameters tank = SampleRecord();
    tank.SensorOn = {true, true, false, false};
    tank.Volumes = {1200, 800, 0, 0};
    const QString file = started.home.path(QStringLiteral("tank-17.zkt"));
    ConfigFile::write(file, tank);

    program.FMain->configFiles().openConfigFile(file);
    WaitUntil([&] { return program.FMain->Zentik->ProcessId == 0; }, 5000);
    session.save(QStringLiteral("main-file"), program.FMain.get());
    // The File menu with the commands of an open file enabled.
    program.FMain->N3->popup(program.FMain->mapToGlobal(QPoint(0, 0)));
    session.save(QStringLiteral("menu-file"), program.FMain->N3);
    program.FMain->N3->hide();

    TFPortChoice choice(program.language, file, program.context.listPorts(), kSimulatedPortName,
                        program.FMain.get());
    choice.show();
    session.save(QStringLiteral("write-to-controller"), &choice);
}

const int registered = RegisterShot("fileport", shootFilePort);

} // namespace
