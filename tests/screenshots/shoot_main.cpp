// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window (after reading the simulated controller), the settings and about windows.

#include "mainwindow/InstanceCheck.h"
#include "mainwindow/StartUp.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "tests/screenshots/ShotProgram.h"
#include "tests/screenshots/Shots.h"

namespace {

void shootMain(ShotSession& session, int adminMode)
{
    ShotProgram started(session, adminMode);
    ZentikProgram& program = *started.program;
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
