// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program started as a user starts it, over the in-memory simulated controller: a temporary
// home folder, a recording message service and file dialogs, its own set of instances, short time-outs.
#pragma once

#include "mainwindow/ChildWindows.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/StartUp.h"
#include "mainwindow/SummaryPanel.h"
#include "mainwindow/Umain.h"
#include "ports/SerialPorts.h"
#include "sim/ControllerSimulator.h"
#include "tests/common/RecordingFileDialogs.h"
#include "tests/common/RecordingMessages.h"

#include <QFont>
#include <QTemporaryDir>

#include <memory>

class ProgramHome
{
public:
    // languages: names of shipped language files to copy into LANGUAGE (the folder always exists).
    explicit ProgramHome(const QStringList& languages = {QStringLiteral("ZK_ENG.LNG"),
                                                         QStringLiteral("ZK_RUS.LNG")});

    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void setOption(const QByteArray& key, const QString& value);
    void removeOption(const QByteArray& key);
    QString option(const QByteArray& key) const;
    void writeLanguage(const QString& fileName, const QByteArray& content);
};

// The desktop's font at another size while it lives, as a user who enlarges the desktop font has it.
struct DesktopFont
{
    explicit DesktopFont(int points);
    ~DesktopFont();
    const QFont before;
};

// A scope of instances no other test sees.
QString NewInstanceScope();
// A small language file whose texts the tests know: each text is the tag and a word ("EN read").
QByteArray TaggedLanguage(const QByteArray& displayName, const QByteArray& tag);

// How a bench starts the program.
struct ProgramSetup
{
    std::shared_ptr<ControllerSimulator> sim; // none: a fresh one
    bool applySettingsAtStart = false;        // a modal settings window at start-up gets Apply, else Cancel
    QList<SerialPortEntry> ports = {
        {QStringLiteral("ttyS0")}, {QStringLiteral("ttyUSB0")}, {QStringLiteral("SIM")}};
    SerialLinkFactory portFactory; // none: SIM is the bench's simulator, other names refuse to open
    int timeoutMs = 200;
    bool realPorts = false; // names other than SIM open real serial ports (pseudo-terminals in tests)
};

class ProgramBench
{
public:
    // Starts the program in home; instances of benches with the same scope see each other.
    ProgramBench(ProgramHome& home, const QString& scope, const ProgramSetup& setup = ProgramSetup());
    ~ProgramBench();

    std::shared_ptr<ControllerSimulator> sim;
    RecordingMessages messages;
    RecordingFileDialogs fileDialogs;
    std::unique_ptr<ZentikProgram> program;
    bool settingsShownAtStart = false; // the settings window came up modally during start-up

    TFMain& main() { return *program->FMain; }
    TZENTIK& z();
    // Waits until the controller object is idle again.
    bool waitIdle(int ms = 5000);
    QList<SerialPortEntry> portList;

private:
    bool m_applySettings;
};
