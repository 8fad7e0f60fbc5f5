// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/screenshots/ShotProgram.h"

#include "app/AppPaths.h"
#include "tests/common/TestSupport.h"
#include "tests/screenshots/Shots.h"

#include <QCoreApplication>

ShotProgram::ShotProgram(const ShotSession& session, int adminMode, const QList<SerialPortEntry>& ports)
{
    home.setOption("LANGFILE", session.language);
    home.setOption("AdminMODE", QString::number(adminMode));

    messages.onStatus = [this](const QString& text) {
        if (statusLine)
            statusLine->setText(text);
    };
    MainDependencies deps;
    deps.messages = &messages;
    deps.instanceScope = QStringLiteral("shots-") + QString::number(QCoreApplication::applicationPid());
    if (!ports.isEmpty())
        deps.listPorts = [ports] { return ports; };
    program = std::make_unique<ZentikProgram>(AppPaths::at(home.dir.path()), deps);
    statusLine = program->FMain->StatusLine;
    program->show();
    WaitUntil([this] { return program->FMain->Zentik->ProcessId == 0; }, 5000);
}
