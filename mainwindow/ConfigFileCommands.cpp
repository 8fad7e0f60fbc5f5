// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ConfigFileCommands.h"

#include "app/AppContext.h"
#include "app/FileDialogs.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "flows/LoadConfigFlow.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"
#include "mainwindow/FileCommands.h"
#include "ports/FilePort.h"
#include "ports/PortOpening.h"
#include "settings/PortChoiceDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

ConfigFileCommands::ConfigFileCommands(const AppContext& context, Window window, FileCommands& files,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_window(std::move(window)), m_files(files)
{}

QString ConfigFileCommands::openFile() const
{
    return FilePortPath(m_window.portInUse());
}

QString ConfigFileCommands::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

void ConfigFileCommands::AOpenConfigFileExecute()
{
    if (m_context.refuseIfBusy())
        return;
    FileDialogs::Request request;
    request.objectName = QStringLiteral("ODzktFile");
    // A name that does not exist yet opens a blank controller, created by its first write.
    request.mayNotExist = true;
    request.filter = m_files.configFileFilter();
    request.window = m_window.widget;
    QString chosen = m_context.fileDialogs->ask(request);
    if (chosen.isEmpty())
        return;
    if (!QFileInfo::exists(chosen) && QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".zkt");
    openConfigFile(chosen);
}

bool ConfigFileCommands::openConfigFile(const QString& fileName)
{
    if (m_context.refuseIfBusy())
        return false;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(path);
    // An open file is written back by every write: a version of the history is opened as a copy only.
    if (m_context.history && m_context.history->holds(path)) {
        m_context.messages->warning(text("MESSAGES", "182").arg(shown));
        return false;
    }
    const FlowOutcome opened = ReadFilePort(path);
    if (opened.kind == FlowOutcome::Kind::InvalidFile) {
        m_context.messages->informationAbout(text("MESSAGES", "100").arg(shown), opened.problems);
        return false;
    }
    if (!opened.ok()) {
        m_context.messages->error(text("MESSAGES", "101").arg(shown, opened.detail));
        return false;
    }
    // The list is a convenience: an options file that cannot be written has been said at start-up.
    m_context.options->addRecentFile(path);
    m_window.setPort(FilePortName(path));
    // Opened again, a file is read afresh rather than from what the port held.
    m_context.zentik->ClosePort();
    m_window.refresh();
    return true;
}

void ConfigFileCommands::openRecentFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        m_context.options->removeRecentFile(fileName);
        m_context.messages->information(text("MESSAGES", "102").arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    openConfigFile(fileName);
}

void ConfigFileCommands::fillRecentMenu(QMenu* menu)
{
    menu->clear();
    const QStringList files = m_context.options->recentFiles();
    for (const QString& file : files) {
        QAction* item = menu->addAction(QDir::toNativeSeparators(file));
        connect(item, &QAction::triggered, this, [this, file] { openRecentFile(file); });
    }
    if (files.isEmpty())
        menu->addAction(text("MAIN", "0064"))->setEnabled(false);
}

QString ConfigFileCommands::chooseTargetPort()
{
    if (askTargetPort)
        return askTargetPort();
    QList<SerialPortEntry> ports = m_context.listPorts ? m_context.listPorts() : QList<SerialPortEntry>();
    TFPortChoice dialog(*m_context.language, openFile(), ports, m_context.options->port(), m_window.widget);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenPort() : QString();
}

void ConfigFileCommands::AWriteToControllerExecute()
{
    const QString path = openFile();
    if (path.isEmpty() || m_context.refuseIfBusy())
        return;
    const QString port = chooseTargetPort();
    if (port.isEmpty() || IsFilePort(port))
        return;
    writeTo(path, port);
}

void ConfigFileCommands::writeTo(const QString& path, const QString& port)
{
    TZENTIK& z = *m_context.zentik;
    // The dialog (or the failure box offering Retry) let events through.
    if (m_context.refuseIfBusy())
        return;
    const auto backToFile = [this, path] {
        m_window.setPort(FilePortName(path));
        m_window.refresh();
    };
    const FlowOutcome opened = OpenControllerPort(z, port, m_context.system);
    if (!opened.ok()) {
        m_context.messages->error(PortFailureText(*m_context.language, opened.portFailure));
        return backToFile();
    }
    const QString message = text("MESSAGES", "015");
    const auto underWay = [this, message, path] {
        m_context.messages->status(message + QLatin1Char(' ') + path);
        return FlowOutcome::done();
    };
    const auto done = [this, path, port, backToFile](const FlowOutcome& outcome) {
        // A load that succeeds ends with a Refresh, which now reads the file.
        m_window.setPort(FilePortName(path));
        // Retry writes into the same controller again; otherwise the program goes back to the file.
        const bool retried = m_files.OnLoadAllSettings(outcome, [this, path, port] { writeTo(path, port); });
        if (!outcome.ok() && !retried)
            backToFile();
    };
    StartConfigLoad(m_context, path, message, FlowRun(this, done, underWay));
}

void ConfigFileCommands::ACloseConfigFileExecute()
{
    if (openFile().isEmpty() || m_context.refuseIfBusy())
        return;
    m_window.setPort(m_context.options->port());
    m_window.refresh();
}
