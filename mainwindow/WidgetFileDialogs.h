// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialogs of the running program: the dialog a request describes, which also opens a path typed
// into its name box (absolute, relative to the folder shown, with "..", or from "~"), and the service that
// shows it modally.
#pragma once

#include "app/FileDialogs.h"

#include <QFileDialog>

#include <optional>

class QPushButton;
class QLineEdit;

// No Q_OBJECT: a subclass with its own meta-object would never get the platform's native dialog.
class FileDialog : public QFileDialog
{
public:
    FileDialog(const FileDialogs::Request& request, QWidget* parent = nullptr);

    // The file chosen once the dialog has been accepted.
    QString chosenFile() const;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The typed text as a path from the folder shown, when it names one rather than a file of the folder;
    // the default suffix added as the dialog adds it.
    std::optional<QString> typedPath() const;
    // Whether Open (or Save) may take the typed path: a folder to go into, an existing file, or for a save
    // dialog and an open dialog that takes new names any name.
    bool takesTypedPath() const;
    // The dialog's own list keeps what it last selected while a path is typed, and may then refuse the path
    // or go into its folder instead: the button follows the typed path.
    void followTypedPath();

    QLineEdit* m_nameEdit = nullptr;
    QPushButton* m_acceptButton = nullptr;
    QString m_chosen;
};

class WidgetFileDialogs : public FileDialogs
{
public:
    QString ask(const Request& request) override;
};
