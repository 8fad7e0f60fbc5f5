// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window (after reading the simulated controller), the settings and about windows.

#include "mainwindow/InstanceCheck.h"
#include "mainwindow/StartUp.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "tests/common/RecordingMessages.h"
#include "tests/common/TestSupport.h"
#include "tests/screenshots/Shots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

namespace {

// A home folder with the shipped language files, the chosen language and the simulated controller.
void prepareHome(const QTemporaryDir& home, const QString& language, int adminMode)
{
    const QDir shipped(QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("LANGUAGE")));
    QDir(home.path()).mkdir(QStringLiteral("LANGUAGE"));
    for (const QString& name : shipped.entryList({QStringLiteral("*.LNG")}, QDir::Files))
        QFile::copy(shipped.filePath(name), home.filePath(QStringLiteral("LANGUAGE/") + name));
    IniFile options(home.filePath(QStringLiteral("options.ini")));
    options.writeString("OPTIONS", "Port", kSimulatedPortName);
    options.writeString("OPTIONS", "LANGFILE", language);
    options.writeInteger("OPTIONS", "AdminMODE", adminMode);
}

void shootMain(ShotSession& session, int adminMode)
{
    QTemporaryDir home;
    prepareHome(home, session.language, adminMode);
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
    if (adminMode <= 0) {
        // What a user sees by default: no log pane.
        session.save(QStringLiteral("main-user"), program.FMain.get());
        return;
    }
    session.save(QStringLiteral("main"), program.FMain.get());

    program.FSettings->show();
    session.save(QStringLiteral("settings"), program.FSettings);
    program.FSettings->hide();
    program.FAbout->show();
    session.save(QStringLiteral("about"), program.FAbout);
    program.FAbout->hide();
}

const int registered = RegisterShot("main", [](ShotSession& session) {
    shootMain(session, 1);
    shootMain(session, 0);
});

} // namespace
