// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WidgetFileDialogs.h"

#include <QApplication>

FileDialog::FileDialog(const FileDialogs::Request& request, QWidget* parent)
    : QFileDialog(parent, request.caption)
{
    if (!request.objectName.isEmpty())
        setObjectName(request.objectName);
    setAcceptMode(request.save ? AcceptSave : AcceptOpen);
    setFileMode(request.save || request.mayNotExist ? AnyFile : ExistingFile);
    if (!request.filter.isEmpty())
        setNameFilter(request.filter);
    if (!request.confirmOverwrite)
        setOption(DontConfirmOverwrite);
    if (!request.folder.isEmpty())
        setDirectory(request.folder);
    if (!request.defaultSuffix.isEmpty())
        setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        selectFile(request.proposedName);
}

QString WidgetFileDialogs::ask(const Request& request)
{
    auto* parent = qobject_cast<QWidget*>(request.window);
    FileDialog dialog(request, parent ? parent : QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
