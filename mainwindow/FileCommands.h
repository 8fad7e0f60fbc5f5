// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file and print commands over the flows: saving the controller to a configuration
// file, loading a configuration file into it, comparing the controller with one, undoing the last write
// and the report, with their file dialogs and the words in which each outcome is shown.
#pragma once

#include "app/FlowOutcome.h"
#include "config/ConfigCompare.h"
#include "link/ControllerData.h"

#include <QObject>

#include <functional>
#include <optional>

struct AppContext;
class TFReportPreview;
class QWidget;

class FileCommands : public QObject
{
public:
    // window: the parent of the dialogs and the report's preview, whose caption the report prints.
    // refresh: the main window's Refresh, clicked after a successful load.
    FileCommands(const AppContext& context, QWidget* window, std::function<void()> refresh);

    // The filter of the configuration file dialogs.
    void ApplyTexts();
    QString configFileFilter() const { return m_filter; }

    void ASaveConfigExecute();
    void ALoadConfigExecute();
    void APrintConfigExecute();
    void ACompareConfigExecute();
    // Writes back the connected controller's newest backup taken before a write.
    void AUndoExecute();
    // Loads the file into the controller as Load does once it is chosen (the history window's Write).
    void loadConfigFile(const QString& fileName);
    // Compares the controller with the file as Compare does once it is chosen.
    void compareWithFile(const QString& fileName);
    // The report's preview of a record: read on port (marked when that is the simulated controller), or
    // without the controller (a version in the history).
    TFReportPreview* showReportOf(const TParameters& record, const QString& port = QString());
    // How the reads for saving and for the report end, and how a load ends.
    void OnReadAllSettings(const FlowOutcome& outcome);
    // retry: the job that Retry in a failure box runs again (none: no Retry); true when it is to run.
    bool OnLoadAllSettings(const FlowOutcome& outcome, std::function<void()> retry = {});
    void OnCompared(const FlowOutcome& outcome);
    // A file named on the command line: when the controller is idle, asks whether to write it into the
    // controller on the port port() names; Yes loads it as the menu command does.
    void offerConfigFile(const QString& fileName, const std::function<QString()>& port);

    bool PrintRequest = false; // the running read is the report's rather than a save's

    // A configuration file has been written into the controller on the port in use at the moment (its
    // tables too); called before the Refresh that follows.
    std::function<void()> controllerWritten;
    // Shows the configuration report of Parameters (the print request's end).
    std::function<void()> showReport;
    // Shows the differences found by the last comparison (a window of its own).
    std::function<void(const ConfigCompare::Result&)> showComparison;

private:
    QString text(const char* key) const;
    QString chooseConfigFile(bool save);
    // The start of saving and of the report: refused while the controller is busy (nothing returned),
    // else the print request set and the status line telling what is read; returns that text.
    std::optional<QString> startReadingAll(bool print);
    // The outcomes every command tells alike: a file error in the file's own words, the controller busy.
    // False, having said nothing, for any other.
    bool tellFileErrorOrBusy(const FlowOutcome& outcome);

    const AppContext& m_context;
    QWidget* m_window;
    std::function<void()> m_refresh;
    QString m_filter;
    ConfigCompare::Result m_comparison;
    QString m_comparedFile; // of the last comparison
};
