// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Umain.h"

#include "app/AppContext.h"
#include "app/ApplicationTitle.h"
#include "app/FileDialogs.h"
#include "app/FileNames.h"
#include "app/FlowOutcome.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "flows/FailureText.h"
#include "flows/PortFlows.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ChildWindows.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/ExchangeLog.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/HistoryWindow.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/SummaryPanel.h"
#include "mainwindow/WindowPlacement.h"
#include "ports/FilePort.h"
#include "ports/PortFactory.h"
#include "ports/PortOpening.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <utility>

TFMain::TFMain(const AppContext& context, QWidget* parent)
    : QMainWindow(parent), Zentik(context.zentik), m_context(context)
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(kApplicationTitle);
    m_files = new FileCommands(m_context, this, [this] { BRefreshClick(); });
    // A file written into the controller in use replaces its tables; one written into another controller
    // (File > Write to controller) leaves the file in use as it was.
    m_files->controllerWritten = [this] {
        m_controllerChanged = m_controllerChanged || Zentik->ComPort->portName() == m_portInUse;
    };
    ConfigFileCommands::Window window;
    window.widget = this;
    window.portInUse = [this] { return m_portInUse; };
    window.setPort = [this](const QString& port) { PortName = port; };
    window.refresh = [this] { return BRefreshClick(); };
    m_configFiles = new ConfigFileCommands(m_context, window, *m_files, this);

    createActions();
    createMenus();
    createToolBars();
    createPanels();
    m_children = new ChildWindows(MdiArea, this);
    m_children->addProgramKinds(m_context, ASensor1, ASensor2, Azentik);

    setMinimumSize(640, 480);
    m_firstStart = !WindowPlacement::kept(*m_context.options).has_value();
    WindowPlacement::restore(this, *m_context.options, QSize(867, 640));
    FormCreate();
}

TFMain::~TFMain() = default;

void TFMain::FormCreate()
{
    PortName = m_context.options->port();
    connect(Zentik, &TZENTIK::LogLine, Memo1, &TExchangeLog::appendLine);
    AppIdent = m_context.options->appIdent();
    // The log keeps collecting lines while the pane is hidden; View > Exchange log shows it at any time.
    const bool logShown = m_context.options->adminMode() > 0;
    Panel1->setVisible(logShown);
    AExchangeLog->setChecked(logShown);
}

void TFMain::setAboutWindow(TFAbout* about)
{
    m_about = about;
}

void TFMain::setSettingsWindow(TFSettings* settings)
{
    m_settings = settings;
    settings->refresh = [this](const QString& port, bool portChanged) {
        if (portChanged || !IsFilePort(PortName))
            PortName = port;
        return BRefreshClick();
    };
    connect(settings, &TFSettings::languageChanged, this, &TFMain::ApplyTexts);
}

void TFMain::ShowSummary()
{
    // Every summary follows a process's end: after a read that failed, Parameters hold no controller's
    // configuration but what was reset and the little read before the failure.
    if (Zentik->LastError == Result::Success)
        Panel2->ShowSummary(Zentik->Parameters);
    else
        Panel2->ShowReadFailure();
    // Another controller on the same port (swapped while the program ran) is a change as well; a read
    // that found no serial number says nothing about it.
    const QString serial = Zentik->Parameters.SerialNumber;
    if (!serial.isEmpty() && serial != QLatin1String("00000000")) {
        m_controllerChanged = m_controllerChanged || (!m_serialShown.isEmpty() && serial != m_serialShown);
        m_serialShown = serial;
    }
    if (std::exchange(m_controllerChanged, false))
        m_children->tellControllerChanged();
    // Every read ends here, after its own words in the status line.
    if (!m_afterFirstSummary.isEmpty())
        messages().status(std::exchange(m_afterFirstSummary, QString()));
}

void TFMain::sayAfterFirstSummary(const QString& text)
{
    m_afterFirstSummary = text;
}

void TFMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // The frame the window manager gives may be larger than foreseen, which could push it off the screen;
        // it is known once the manager has framed the window, which moves it.
        m_placing = true;
        QTimer::singleShot(0, this, [this] { m_placing = m_placing && !WindowPlacement::fitShown(this); });
        FormShow();
        // Once the window manager has mapped the window: before, it would give the window the size it
        // was first shown with.
        if (m_firstStart)
            QTimer::singleShot(0, this, &TFMain::growForChildren);
    }
}

void TFMain::growForChildren()
{
    // The described size holds the controller settings window at the usual font; a desktop with a larger
    // one needs more, or that window would scroll its values out of sight.
    if (const QSize missing = m_children->roomMissing(); missing.isValid())
        WindowPlacement::enlarge(this, missing);
}

void TFMain::FormShow()
{
    BChangeClick();
}

bool TFMain::FormCloseQuery()
{
    // A write under way would be cut off halfway, leaving the controller with part of it (Apply shows no
    // progress window that would keep the close button away). A read may be abandoned.
    if (Process::Writes(Zentik->ProcessId) && m_context.refuseIfBusy())
        return false;
    // Each window with typed work asks in turn; the first No keeps the program open.
    if (!m_children->mayClose())
        return false;
    Zentik->ClosePort();
    return true;
}

void TFMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (m_placing)
        m_placing = !WindowPlacement::fitShown(this);
}

void TFMain::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery()) {
        // An options file that cannot be written was said at start-up; the next run then opens as the first.
        WindowPlacement::remember(this, *m_context.options);
        event->accept();
    } else {
        event->ignore();
    }
}

void TFMain::AExitExecute()
{
    close();
}

void TFMain::ASettingsExecute()
{
    if (m_settings)
        m_settings->exec();
}

void TFMain::AAboutExecute()
{
    if (!m_about)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_about->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_about->move(frame.topLeft());
    }
    m_about->exec();
}

bool TFMain::BRefreshClick()
{
    // Before the port is renamed: a new name would reopen the port under the running process.
    if (m_context.refuseIfBusy())
        return false;
    const FlowOutcome opened = OpenControllerPort(*Zentik, PortName, m_context.system);
    if (!opened.ok()) {
        // What the connection check found is also at hand in the port panel's tooltip.
        const QString failure = showPortFailure(opened.portFailure);
        const QString details = ConnectionDetails(m_context, PortName);
        if (!details.isEmpty())
            PortPanel->setToolTip(failure + QStringLiteral("\n\n") + details);
        const QString cannotOpen = text("MESSAGES", "001");
        // Before the main window is first shown (start-up) the status line alone: the controller settings
        // window that its showing opens reads, and its failure tells the same with the same details.
        if (m_shown)
            TellProcessFailure(m_context, cannotOpen, cannotOpen, opened, this, [this] { BRefreshClick(); });
        else
            messages().status(cannotOpen);
        // A port that was open under another name is closed now: nothing is in use.
        return !opened.portFailure.reopening;
    }
    showPortInUse(PortName);
    // Another port (a configuration file opened or closed, another adapter chosen) is another controller.
    m_controllerChanged = m_controllerChanged || (!m_portInUse.isEmpty() && m_portInUse != PortName);
    m_portInUse = PortName;
    messages().status(text("MESSAGES", "004"));
    StartConfigRead(m_context, FlowRun(this, [this](const FlowOutcome& outcome) { OnConfigRead(outcome); }));
    if (!Azentik->isEnabled()) {
        for (QMdiSubWindow* w : childWindows(ChildTag::Controller))
            w->close();
        Azentik->trigger();
    }
    return true;
}

QString TFMain::showPortFailure(const PortFailure& failure)
{
    // The panel names the port in use, so a name that could not be opened does not stand there.
    const QString text = PortFailureText(*m_context.language, failure);
    showPortInUse(m_portInUse);
    PortPanel->setToolTip(text);
    return text;
}

void TFMain::showPortInUse(const QString& port)
{
    setWindowTitle(m_statusBar->showPortInUse(port, windowTitle()));
    // Only a configuration file open as the controller is written elsewhere or closed.
    const bool fileOpen = !FilePortPath(port).isEmpty();
    AWriteToController->setEnabled(fileOpen);
    ACloseConfigFile->setEnabled(fileOpen);
}

void TFMain::OnConfigRead(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return m_context.tellBusy();
    if (outcome.ok()) {
        messages().status(text("MESSAGES", "002"));
    } else {
        const QString failed = text("MESSAGES", "003") + QString::number(outcome.resultCode);
        TellProcessFailure(m_context, failed, failed, outcome, this, [this] { BRefreshClick(); });
    }
    ShowSummary();
}

void TFMain::MenuClearClick()
{
    Memo1->clearLines();
}

void TFMain::MenuSaveClick()
{
    FileDialogs::Request request;
    request.save = true;
    request.filter = m_context.language->LanguageText("MESSAGES", "024", QStringLiteral("Log files")) +
                     QStringLiteral(" (*.log)");
    request.confirmOverwrite = false;
    // Without an extension: ".log" is appended where the name chosen lacks it.
    request.proposedName =
        FileNames::proposedName(FileNames::Kind::Log, Zentik->Parameters.SerialNumber, QDate::currentDate());
    request.window = this;
    QString chosen =
        m_context.fileDialogs->askKeepingFolder(m_context.options, FileNames::Kind::Log, request);
    if (chosen.isEmpty())
        return;
    QString error;
    // ".log" is appended to a name that does not end in it already.
    if (!chosen.endsWith(QStringLiteral(".log"), Qt::CaseInsensitive))
        chosen += QStringLiteral(".log");
    if (!Memo1->SaveToFile(chosen, &error))
        messages().error(error);
}

LanguageCatalog& TFMain::language() const
{
    return *m_context.language;
}

MessageService& TFMain::messages() const
{
    return *m_context.messages;
}

void TFMain::ACascadeExecute()
{
    m_children->cascade();
}

void TFMain::AhorExecute()
{
    m_children->tile(Qt::Horizontal);
}

void TFMain::AvertExecute()
{
    m_children->tile(Qt::Vertical);
}

void TFMain::ASensor1Execute()
{
    m_children->open(ChildTag::Sensor1);
}

void TFMain::ASensor2Execute()
{
    m_children->open(ChildTag::Sensor2);
}

void TFMain::AzentikExecute()
{
    m_children->open(ChildTag::Controller);
}

void TFMain::TB1Click()
{
    m_children->openOrRaise(ChildTag::Sensor1);
}

void TFMain::TB2Click()
{
    m_children->openOrRaise(ChildTag::Sensor2);
}

void TFMain::BChangeClick()
{
    m_children->openOrRaise(ChildTag::Controller);
}

void TFMain::ALoadConfigExecute()
{
    m_files->ALoadConfigExecute();
}

void TFMain::ASaveConfigExecute()
{
    m_files->ASaveConfigExecute();
}

void TFMain::APrintConfigExecute()
{
    m_files->APrintConfigExecute();
}

void TFMain::ACompareConfigExecute()
{
    m_files->ACompareConfigExecute();
}

void TFMain::AHistoryExecute()
{
    if (!m_context.history)
        return;
    if (!m_historyWindow)
        m_historyWindow = new TFHistory(m_context, *m_files, this);
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void TFMain::AUndoExecute()
{
    m_files->AUndoExecute();
}

QList<QMdiSubWindow*> TFMain::childWindows(int tag) const
{
    return m_children->windows(tag);
}

TFHistory* TFMain::historyWindow() const
{
    return m_historyWindow;
}
