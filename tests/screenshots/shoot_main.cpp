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

const int registered = RegisterShot("main", [](ShotSession& session) {
    QTemporaryDir home;
    prepareHome(home, session.language, 1);
    RecordingMessages messages;
    MainDependencies deps;
    deps.messages = &messages;
    deps.instanceScope = QStringLiteral("shots-") + QString::number(QCoreApplication::applicationPid());
    ZentikProgram program(AppPaths::at(home.path()), deps);
    program.show();
    WaitUntil([&] { return program.FMain->Zentik->ProcessId == 0; }, 5000);
    session.save(QStringLiteral("main"), program.FMain.get());

    program.FSettings->show();
    session.save(QStringLiteral("settings"), program.FSettings);
    program.FSettings->hide();
    program.FAbout->show();
    session.save(QStringLiteral("about"), program.FAbout);
    program.FAbout->hide();
});

} // namespace
