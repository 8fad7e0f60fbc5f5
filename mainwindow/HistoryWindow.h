// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history window: the controllers the history holds, the versions of the selected one, and
// for a version compare, save as, write into the controller and print; with a team register, the versions
// colleagues took beside this computer's, asked for without the window waiting.
#pragma once

#include "history/ControllerHistory.h"

#include <QDialog>
#include <QHash>

struct AppContext;
class FileCommands;
class HistoryRegister;
class QPushButton;
class QTreeWidget;

class TFHistory : public QDialog
{
public:
    TFHistory(const AppContext& context, FileCommands& files, QWidget* parent = nullptr);

    void ApplyTexts();
    // Reads the list of controllers anew, keeping the selection.
    void reload();

    void BCompareControllerClick();
    void BCompareVersionsClick();
    void BSaveAsClick();
    void BWriteClick();
    void BPrintClick();

    // The selected controller's versions as listed, newest first; a version from the team register has no
    // file until it has been fetched for a command.
    const QList<ControllerHistory::Version>& versions() const { return m_versions; }
    // What the save dialog starts on for a version: its serial number, time and event as the name, in the
    // folder configuration files were last saved in (else the documents folder).
    QString proposedCopy(const ControllerHistory::Version& version) const;

    QTreeWidget* Controllers = nullptr;
    QTreeWidget* Versions = nullptr;
    QPushButton* BCompareController = nullptr;
    QPushButton* BCompareVersions = nullptr;
    QPushButton* BSaveAs = nullptr;
    QPushButton* BWrite = nullptr;
    QPushButton* BPrint = nullptr;
    QPushButton* BClose = nullptr;

private:
    QString text(const char* section, const char* key) const;
    void showVersions();
    void updateButtons();
    void fitLists();
    // How many entries of the version differ from the one before it (none: empty).
    QString changedEntries(const QString& before, const QString& version);
    // The selected versions, oldest first.
    QList<ControllerHistory::Version> selected() const;
    // Adds the register's versions this computer does not hold to the list, by time.
    void showRegisterVersions();
    // Fetches the selected register versions that have no file yet, then clicks again; true while it does.
    bool fetchFirst(void (TFHistory::*click)());

    const AppContext& m_context;
    FileCommands& m_files;
    QList<ControllerHistory::Version> m_versions;
    QHash<QString, QString> m_changed; // by the two versions' files
    HistoryRegister* m_register = nullptr;
};
