// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up: the shared services with the windows' message service and file dialogs, then the
// main window, the about window, the settings window (whose creation finishes the start-up) and the progress
// window, in this order.
#pragma once

#include "app/QtTranslations.h"
#include "flows/ProgramServices.h"
#include "mainwindow/Umain.h"

#include <memory>

class InstanceAnnouncer;
class TFAbout;
class TFSettings;
class TFProgress;
class WidgetFileDialogs;
class WidgetMessages;

// What start-up may replace: tests put in their own message service, file dialogs, serial lines and port
// list.
struct MainDependencies
{
    MessageService* messages = nullptr; // none: the program's own boxes and status line
    FileDialogs* fileDialogs = nullptr; // none: the program's own file dialogs
    SerialLinkFactory portFactory;      // none: real ports, and "SIM" for the simulated controller
    std::function<QList<SerialPortEntry>()> listPorts; // none: the system's ports, then "SIM"
    QString instanceScope;                             // none: the user's
    int timeoutMs = 1000;
    SystemView system = SystemView::live(); // what the connection doctor looks at
};

// The services are process-wide, alive until the program ends.
class QTimer;

class ZentikProgram : public ProgramServices
{
public:
    ZentikProgram(const AppPaths& paths, const MainDependencies& deps = MainDependencies());
    ~ZentikProgram();
    // The windows hold the context by reference.
    ZentikProgram(const ZentikProgram&) = delete;
    ZentikProgram& operator=(const ZentikProgram&) = delete;

    // Shows the main window; its first showing opens the controller settings window.
    void show();
    // The last steps of start-up, run when the settings window has been created: the windows' texts,
    // version and title in the options file, the instance check, then the first Refresh or, for a second
    // instance, the settings window; last the instance number in the caption.
    void FinishStartUp();
    // A configuration file named on the command line (a double click in a file manager): once start-up's
    // reads are over, the question naming the file and the port; only Yes writes it into the controller.
    void offerConfigFile(const QString& fileName);

    QtTranslations qtTexts; // follows the language file

    std::unique_ptr<TFMain> FMain;
    TFAbout* FAbout = nullptr;
    TFSettings* FSettings = nullptr;
    TFProgress* FProgress = nullptr;

private:
    std::unique_ptr<WidgetMessages> m_ownMessages;
    std::unique_ptr<WidgetFileDialogs> m_ownFileDialogs;
    std::unique_ptr<InstanceAnnouncer> m_announcer;
    bool m_firstStart = false; // no options file before this start
    QTimer* m_registerRetry = nullptr;
};
