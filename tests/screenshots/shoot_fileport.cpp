// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window working on a configuration file opened as a controller (the caption and the
// port panel name the file, the summary shows it, the controller settings window holds its settings), its
// File menu, and the dialog that chooses the port to write it to.

#include "config/ConfigFile.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/PortChoiceDialog.h"
#include "mainwindow/StartUp.h"
#include "tests/common/Fixtures.h"
#include "tests/common/RecordingMessages.h"
#include "tests/common/TestSupport.h"
#include "tests/screenshots/Shots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>

namespace {

void shootFilePort(ShotSession& session)
{
    QTemporaryDir home;
    const QDir shipped(QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("LANGUAGE")));
    QDir(home.path()).mkdir(QStringLiteral("LANGUAGE"));
    for (const QString& name : shipped.entryList({QStringLiteral("*.LNG")}, QDir::Files))
        QFile::copy(shipped.filePath(name), home.filePath(QStringLiteral("LANGUAGE/") + name));
    IniFile options(home.filePath(QStringLiteral("options.ini")));
    options.writeString("OPTIONS", "Port", kSimulatedPortName);
    options.writeString("OPTIONS", "LANGFILE", session.language);
    TParameters tank = SampleRecord();
    tank.SensorOn = {true, true, false, false};
    tank.Volumes = {1200, 800, 0, 0};
    const QString file = home.filePath(QStringLiteral("tank-17.zkt"));
    ConfigFile::write(file, tank);

    RecordingMessages messages;
    QPointer<QLabel> statusLine;
    messages.onStatus = [&](const QString& text) {
        if (statusLine)
            statusLine->setText(text);
    };
    MainDependencies deps;
    deps.messages = &messages;
    deps.instanceScope = QStringLiteral("shots-") + QString::number(QCoreApplication::applicationPid());
    ZentikProgram program(AppPaths::at(home.path()), deps);
    statusLine = program.FMain->StatusLine;
    program.show();
    WaitUntil([&] { return program.FMain->Zentik->ProcessId == 0; }, 5000);
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
