// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FileCommands.h"

#include "app/AppContext.h"
#include "app/ApplicationTitle.h"
#include "app/FileDialogs.h"
#include "app/FileNames.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "config/IniFile.h"
#include "flows/FailureText.h"
#include "flows/LoadConfigFlow.h"
#include "flows/ReportFlow.h"
#include "flows/SaveConfigFlow.h"
#include "flows/UndoFlow.h"
#include "flows/VerifyFlow.h"
#include "link/UzentikDevice.h"
#include "mainwindow/CompareResult.h"
#include "mainwindow/ReportPreview.h"
#include "ports/PortCaption.h"
#include "report/ConfigReport.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <memory>

FileCommands::FileCommands(const AppContext& context, QWidget* window, std::function<void()> refresh)
    : QObject(window), m_context(context), m_window(window), m_refresh(std::move(refresh))
{
    showReport = [this] {
        TFReportPreview* preview =
            showReportOf(m_context.zentik->Parameters, m_context.zentik->ComPort->portName());
        // Which controller the report shows: a simulated one says so.
        preview->setWindowTitle(preview->windowTitle() + QStringLiteral(" — ") +
                                PortCaption(*m_context.language, m_context.zentik->ComPort->portName()));
    };
    showComparison = [this](const ConfigCompare::Result& result) {
        auto* window = new TFCompare(result, *m_context.language, m_window);
        window->show();
    };
}

TFReportPreview* FileCommands::showReportOf(const TParameters& record, const QString& port)
{
    const LanguageCatalog& language = *m_context.language;
    TFReportPreview* preview =
        ShowReportPreview(PrepareConfigReport(record, language, ReportProgramName(), port,
                                              InterpolationOfOption(m_context.options->interpolation())),
                          m_context.messages, m_context.fileDialogs, m_window);
    preview->setTexts(language.LanguageText("MESSAGES", "026", QStringLiteral("Save as PDF")),
                      language.LanguageText("MESSAGES", "027", QStringLiteral("PDF files")));
    using FileNames::Kind;
    preview->proposedPdfFile = FileNames::proposedPath(*m_context.options, Kind::Report, record.SerialNumber);
    preview->pdfSaved = [this](const QString& file) {
        FileNames::keepFolder(*m_context.options, Kind::Report, file);
    };
    return preview;
}

QString FileCommands::text(const char* key) const
{
    return m_context.language->LanguageText("MESSAGES", key);
}

void FileCommands::ApplyTexts()
{
    m_filter = m_context.language->LanguageText("MAIN", "0024") + QStringLiteral(" (*.zkt)");
}

QString FileCommands::chooseConfigFile(bool save)
{
    using FileNames::Kind;
    FileDialogs::Request request;
    request.objectName = save ? QStringLiteral("SDzkt") : QStringLiteral("ODzkt");
    request.save = save;
    request.mayNotExist = true;
    request.filter = m_filter;
    request.confirmOverwrite = false;
    if (save) {
        request.defaultSuffix = FileNames::extensionOf(Kind::Configuration);
        // Saving reads the controller first, so its serial number names the file.
        request.proposedName = FileNames::proposedName(
            Kind::Configuration, m_context.zentik->Parameters.SerialNumber, QDate::currentDate());
    }
    request.window = m_window;
    const QString chosen =
        m_context.fileDialogs->askKeepingFolder(m_context.options, Kind::Configuration, request);
    if (chosen.isEmpty())
        return chosen;
    // A name typed without an extension is saved as a configuration file.
    return save ? FileNames::withExtension(chosen, FileNames::extensionOf(Kind::Configuration)) : chosen;
}

std::optional<QString> FileCommands::startReadingAll(bool print)
{
    // The print request belongs to a running process 5 until it ends.
    if (m_context.refuseIfBusy())
        return std::nullopt;
    PrintRequest = print;
    const QString message = text(print ? "020" : "014");
    m_context.messages->status(message);
    return message;
}

void FileCommands::ASaveConfigExecute()
{
    const std::optional<QString> message = startReadingAll(false);
    if (!message)
        return;
    const auto fileName = [this] {
        m_context.messages->status(QString());
        return chooseConfigFile(true);
    };
    StartConfigFileSave(m_context, fileName, *message,
                        FlowRun(this, [this](const FlowOutcome& outcome) { OnReadAllSettings(outcome); }));
}

void FileCommands::APrintConfigExecute()
{
    const std::optional<QString> message = startReadingAll(true);
    if (!message)
        return;
    const auto present = [this](const TParameters&) {
        m_context.messages->status(QString());
        if (showReport)
            showReport();
        return FlowOutcome::done();
    };
    StartReport(m_context, present, *message,
                FlowRun(this, [this](const FlowOutcome& outcome) { OnReadAllSettings(outcome); }));
}

bool FileCommands::tellFileErrorOrBusy(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::FileError)
        m_context.messages->error(outcome.detail);
    else if (outcome.kind == FlowOutcome::Kind::UnreadableFile)
        m_context.messages->error(IniFile::readErrorText(outcome.file));
    else if (outcome.kind == FlowOutcome::Kind::Busy)
        m_context.tellBusy();
    else
        return false;
    return true;
}

void FileCommands::OnReadAllSettings(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::ProcessFailed) {
        const QString failed = text("003") + QString::number(outcome.resultCode);
        // One late answer ends a whole 64-page read: Retry starts it again, for the same purpose.
        const bool print = PrintRequest;
        TellProcessFailure(m_context, failed, failed, outcome, this, [this, print] {
            if (print)
                APrintConfigExecute();
            else
                ASaveConfigExecute();
        });
    } else if (outcome.kind == FlowOutcome::Kind::Cancelled) {
        m_context.messages->status(text("016"));
    } else if (outcome.ok()) {
        // The report has shown itself; a save names its file.
        if (!PrintRequest)
            m_context.messages->status(text("017") + QStringLiteral(": ") + outcome.detail);
    } else {
        tellFileErrorOrBusy(outcome);
    }
    PrintRequest = false;
}

void FileCommands::ALoadConfigExecute()
{
    // Known before the file dialog opens; the flow asks again before it fills the stores, since the
    // dialogs let events through.
    if (m_context.refuseIfBusy())
        return;
    const QString fileName = chooseConfigFile(false);
    if (!fileName.isEmpty())
        loadConfigFile(fileName);
}

void FileCommands::offerConfigFile(const QString& fileName, const std::function<QString()>& port)
{
    TZENTIK* z = m_context.zentik;
    if (z->IsBusy()) {
        // Start-up's reads go first. A completion may start the next process at once, so look again once
        // the completion is over.
        connect(
            z, &TZENTIK::BusyChanged, this,
            [this, fileName, port] {
                QTimer::singleShot(0, this, [this, fileName, port] { offerConfigFile(fileName, port); });
            },
            Qt::SingleShotConnection);
        return;
    }
    const QString question =
        m_context.language
            ->LanguageText("MESSAGES", "023",
                           QStringLiteral("Write the configuration file %1 into the controller on port %2?"))
            .arg(QDir::toNativeSeparators(fileName), port());
    if (m_context.messages->question(question, MessageService::Answer::No))
        loadConfigFile(fileName);
}

void FileCommands::loadConfigFile(const QString& fileName)
{
    const QString message = text("015");
    const auto underWay = [this, message, fileName] {
        m_context.messages->status(message + QLatin1Char(' ') + fileName);
        return FlowOutcome::done();
    };
    // Retry checks the file and writes it again from its start.
    const auto done = [this, fileName](const FlowOutcome& outcome) {
        OnLoadAllSettings(outcome, [this, fileName] {
            if (!m_context.refuseIfBusy())
                loadConfigFile(fileName);
        });
    };
    StartConfigLoad(m_context, fileName, message, FlowRun(this, done, underWay));
}

bool FileCommands::OnLoadAllSettings(const FlowOutcome& outcome, std::function<void()> retry)
{
    if (tellFileErrorOrBusy(outcome))
        return false;
    switch (outcome.kind) {
    case FlowOutcome::Kind::Done: {
        // What the controller holds now, before the dialog says it has been written; the Refresh after it
        // reads it again.
        if (m_context.showSummary)
            m_context.showSummary();
        const QString message = text("018");
        m_context.messages->status(message);
        m_context.messages->information(message);
        if (controllerWritten)
            controllerWritten();
        m_refresh();
        break;
    }
    case FlowOutcome::Kind::BackupFailed: // the backup read: nothing was written
        m_context.messages->failure(text("003") + QString::number(outcome.resultCode));
        break;
    case FlowOutcome::Kind::NothingToUndo:
        m_context.messages->information(outcome.detail);
        break;
    case FlowOutcome::Kind::AlreadyHeld:
        if (m_context.showSummary)
            m_context.showSummary();
        m_context.messages->status(text("241"));
        break;
    case FlowOutcome::Kind::Cancelled:
        // The review was cancelled: the write the status line announced did not happen.
        m_context.messages->status(text("062"));
        break;
    case FlowOutcome::Kind::ProcessFailed: {
        const QString message = text("019") + QString::number(outcome.resultCode);
        // The store's own words name the file that could not be written.
        const QString detail = outcome.detail.isEmpty() ? QString() : QStringLiteral("\n") + outcome.detail;
        return TellProcessFailure(m_context, message + detail, message, outcome, this, std::move(retry));
    }
    default: // the user abandoned an invalid file or the write: nothing was sent, nothing more to say
        break;
    }
    return false;
}

void FileCommands::AUndoExecute()
{
    if (m_context.refuseIfBusy())
        return;
    const QString message = text("076");
    const auto underWay = [this, message] {
        m_context.messages->status(message);
        return FlowOutcome::done();
    };
    // Retry writes the same backup again from its start. Undo once more would not: the failed write took a
    // backup of its own, the newest now, which holds what the first undo meant to take away.
    auto version = std::make_shared<QString>();
    const auto done = [this, version](const FlowOutcome& outcome) {
        OnLoadAllSettings(outcome, [this, version] {
            if (!version->isEmpty() && !m_context.refuseIfBusy())
                loadConfigFile(*version);
        });
    };
    StartUndo(m_context, text("015"), FlowRun(this, done, underWay),
              [version](const QString& path) { *version = path; });
}

void FileCommands::ACompareConfigExecute()
{
    if (m_context.refuseIfBusy())
        return;
    const QString fileName = chooseConfigFile(false);
    if (!fileName.isEmpty())
        compareWithFile(fileName);
}

void FileCommands::compareWithFile(const QString& fileName)
{
    m_comparedFile = fileName;
    const QString message = text("030");
    const auto underWay = [this, message] {
        m_context.messages->status(message);
        return FlowOutcome::done();
    };
    const auto keep = [this](const ConfigCompare::Result& result) { m_comparison = result; };
    StartConfigVerify(m_context, fileName, message, keep,
                      FlowRun(
                          this, [this](const FlowOutcome& outcome) { OnCompared(outcome); }, underWay));
}

void FileCommands::OnCompared(const FlowOutcome& outcome)
{
    if (tellFileErrorOrBusy(outcome))
        return;
    switch (outcome.kind) {
    case FlowOutcome::Kind::Done: {
        const QString message = text("032");
        m_context.messages->status(message);
        m_context.messages->information(message);
        break;
    }
    case FlowOutcome::Kind::Differs:
        m_context.messages->status(text("033") + QLatin1Char(' ') + QString::number(m_comparison.count()));
        if (showComparison)
            showComparison(m_comparison);
        break;
    case FlowOutcome::Kind::ProcessFailed: {
        const QString failed = text("003") + QString::number(outcome.resultCode);
        TellProcessFailure(m_context, failed, failed, outcome, this, [this, fileName = m_comparedFile] {
            if (!m_context.refuseIfBusy())
                compareWithFile(fileName);
        });
        break;
    }
    default: // an invalid file: the flow has listed its entries
        break;
    }
    m_comparison = {};
}
