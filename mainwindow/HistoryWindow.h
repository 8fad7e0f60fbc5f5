// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history window: the controllers the history holds, the versions of the selected one, and
// for a version compare, save as, write into the controller and print.
#pragma once

#include "history/ControllerHistory.h"

#include <QDialog>
#include <QHash>

#include <functional>

struct AppContext;
class FileCommands;
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

    // The selected controller's versions as listed, newest first.
    const QList<ControllerHistory::Version>& versions() const { return m_versions; }
    // The file name the save dialog returns (empty when cancelled); tests replace the dialog.
    std::function<QString()> askSaveName;
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

    const AppContext& m_context;
    FileCommands& m_files;
    QList<ControllerHistory::Version> m_versions;
    QHash<QString, QString> m_changed; // by the two versions' files
};
