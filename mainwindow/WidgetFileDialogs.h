// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialogs of the running program: the dialog a request describes, and the service that shows it
// modally.
#pragma once

#include "app/FileDialogs.h"

#include <QFileDialog>

class FileDialog : public QFileDialog
{
public:
    FileDialog(const FileDialogs::Request& request, QWidget* parent = nullptr);
};

class WidgetFileDialogs : public FileDialogs
{
public:
    QString ask(const Request& request) override;
};
