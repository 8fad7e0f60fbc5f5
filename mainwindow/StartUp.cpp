// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/StartUp.h"

#include "mainwindow/FileCommands.h"

#include "Version.h"
#include "app/ApplicationTitle.h"
#include "history/RegisterKeeping.h"
#include "link/UzentikDevice.h"
#include "mainwindow/InstanceCheck.h"
#include "mainwindow/WidgetFileDialogs.h"
#include "mainwindow/WidgetMessages.h"
#include "ports/SerialPorts.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "table/UProgress.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimer>

ZentikProgram::ZentikProgram(const AppPaths& paths, const MainDependencies& deps)
    : ProgramServices(paths, deps.portFactory),
      m_announcer(std::make_unique<InstanceAnnouncer>(deps.instanceScope))
{
    zentik->ClearParameters();
    if (deps.messages) {
        context.messages = deps.messages;
    } else {
        m_ownMessages = std::make_unique<WidgetMessages>();
        context.messages = m_ownMessages.get();
    }
    if (deps.fileDialogs) {
        context.fileDialogs = deps.fileDialogs;
    } else {
        m_ownFileDialogs = std::make_unique<WidgetFileDialogs>();
        context.fileDialogs = m_ownFileDialogs.get();
    }
    context.listPorts = deps.listPorts ? deps.listPorts : SystemSerialPorts;
    context.timeoutMs = deps.timeoutMs;
    context.system = deps.system;

    FMain = std::make_unique<TFMain>(context);
    context.showSummary = [main = FMain.get()] { main->ShowSummary(); };
    if (m_ownMessages) {
        m_ownMessages->setParentWindow(FMain.get());
        m_ownMessages->setStatusLabel(FMain->StatusLine);
        m_ownMessages->setLanguage(&language);
    }
    FAbout = new TFAbout(language, FMain.get());
    FMain->setAboutWindow(FAbout);
    FSettings = new TFSettings(context, FAbout, FMain.get());
    FMain->setSettingsWindow(FSettings);
    FSettings->finishStartUp = [this] { FinishStartUp(); };
    // Start-up writes the options file: whether it was there must be known before.
    m_firstStart = !QFileInfo::exists(options.fileName());
    QObject::connect(FSettings, &TFSettings::languageChanged, FSettings,
                     [this] { qtTexts.follow(language); });
    FSettings->FormCreate();
    FProgress = new TFProgress(FMain.get());
    context.progress = FProgress;
    QObject::connect(zentik.get(), &TZENTIK::PageTransferred, FProgress, &TFProgress::advance);
    // Versions kept while the team register could not be reached (a laptop offline in a vehicle) go out
    // once it can be: a minute after start, then every ten minutes while the program runs.
    m_registerRetry = new QTimer(FMain.get());
    m_registerRetry->setInterval(std::chrono::minutes(1));
    QObject::connect(m_registerRetry, &QTimer::timeout, FMain.get(), [this] {
        m_registerRetry->setInterval(std::chrono::minutes(10));
        SyncWaitingVersions(context);
    });
    m_registerRetry->start();
}

ZentikProgram::~ZentikProgram()
{
    // The windows first: while they close they may still use every service.
    FMain.reset();
}

void ZentikProgram::show()
{
    FMain->show();
}

void ZentikProgram::FinishStartUp()
{
    qtTexts.follow(language);
    FMain->ApplyTexts();
    FAbout->ApplyTexts();
    FSettings->ApplyTexts();
    // An options file that cannot be written is said once; the program then runs on its defaults.
    if (!options.setVersionAndTitle(QStringLiteral(ZENTIK_VERSION), kApplicationTitle))
        context.messages->error(options.errorString());
    FMain->setWindowTitle(kApplicationTitle);

    const int stored = options.instanceCount();
    const bool found =
        AnyInstanceRunning(kApplicationTitle, QStringLiteral(ZENTIK_VERSION), stored,
                           [this](const QString& caption) { return m_announcer->isRunning(caption); });
    if (!found) {
        options.setInstanceCount(0);
        // A first start opens on the simulated controller; it says so once, after the first read's words.
        if (m_firstStart && FMain->PortName == kSimulatedPortName)
            FMain->sayAfterFirstSummary(language.LanguageText(
                "MESSAGES", "135",
                QStringLiteral(
                    "This is the simulated controller, not a real one. Choose the real port in Settings.")));
        FMain->BRefreshClick();
    } else {
        // Another instance runs: the user may pick another port or language before anything is read.
        FMain->ASettings->trigger();
    }
    const int count = options.instanceCount() + 1;
    options.setInstanceCount(count);
    FMain->setWindowTitle(InstanceCaption(kApplicationTitle, QStringLiteral(ZENTIK_VERSION), count));
    m_announcer->announce(FMain->windowTitle());
}

void ZentikProgram::offerConfigFile(const QString& fileName)
{
    // After the event loop has drawn the main window, so that the question stands in front of it.
    TFMain* main = FMain.get();
    QTimer::singleShot(0, main, [main, fileName] {
        main->files().offerConfigFile(fileName, [main] { return main->PortName; });
    });
}
