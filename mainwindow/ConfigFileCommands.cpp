// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ConfigFileCommands.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "flows/LoadConfigFlow.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/PortChoiceDialog.h"
#include "mainwindow/Umain.h"
#include "ports/FilePort.h"
#include "ports/PortCaption.h"
#include "ports/PortOpening.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include <algorithm>

ConfigFileCommands::ConfigFileCommands(const AppContext& context, TFMain* main, FileCommands& files)
    : QObject(main), m_context(context), m_main(main), m_files(files)
{}

QString ConfigFileCommands::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

void ConfigFileCommands::AOpenConfigFileExecute()
{
    if (m_context.refuseIfBusy())
        return;
    QString chosen;
    if (askOpenFileName) {
        chosen = askOpenFileName();
    } else {
        QFileDialog dialog(m_main);
        dialog.setObjectName(QStringLiteral("ODzktFile"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A name that does not exist yet opens a blank controller, created by its first write.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(m_files.configFileFilter());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
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
    m_main->PortName = FilePortName(path);
    // Opened again, a file is read afresh rather than from what the port held.
    m_context.zentik->ClosePort();
    m_main->BRefreshClick();
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
    TFPortChoice dialog(*m_context.language, m_file, ports, m_context.options->port(), m_main);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenPort() : QString();
}

void ConfigFileCommands::AWriteToControllerExecute()
{
    if (m_file.isEmpty() || m_context.refuseIfBusy())
        return;
    const QString path = m_file;
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
        m_main->PortName = FilePortName(path);
        m_main->BRefreshClick();
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
        m_main->PortName = FilePortName(path);
        // Retry writes into the same controller again; otherwise the program goes back to the file.
        const bool retried = m_files.OnLoadAllSettings(outcome, [this, path, port] { writeTo(path, port); });
        if (!outcome.ok() && !retried)
            backToFile();
    };
    StartConfigLoad(m_context, path, message, FlowRun(this, done, underWay));
}

void ConfigFileCommands::ACloseConfigFileExecute()
{
    if (m_file.isEmpty() || m_context.refuseIfBusy())
        return;
    m_main->PortName = m_context.options->port();
    m_main->BRefreshClick();
}

void ConfigFileCommands::showPortInUse(const QString& port)
{
    m_file = FilePortPath(port);
    QString caption = m_main->windowTitle();
    if (!m_captionSuffix.isEmpty() && caption.endsWith(m_captionSuffix))
        caption.chop(m_captionSuffix.size());
    const QString name = QFileInfo(m_file).fileName();
    m_captionSuffix = m_file.isEmpty() ? QString() : QStringLiteral(" — ") + name;
    m_main->setWindowTitle(caption + m_captionSuffix);
    QLabel* panel = m_main->PortPanel;
    panel->setText(m_file.isEmpty() ? PortCaption(*m_context.language, port)
                                    : QStringLiteral("file:") + name);
    // Whole beside a long status text, unless it is a long path itself.
    panel->setMinimumWidth(std::min(panel->sizeHint().width(), panel->fontMetrics().averageCharWidth() * 40));
    m_main->PortPanel->setToolTip(m_file.isEmpty() ? QString() : QDir::toNativeSeparators(m_file));
    m_main->AWriteToController->setEnabled(!m_file.isEmpty());
    m_main->ACloseConfigFile->setEnabled(!m_file.isEmpty());
}
