// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WidgetFileDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

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

QString FileDialog::chosenFile() const
{
    return m_chosen.isEmpty() ? selectedFiles().value(0) : m_chosen;
}

void FileDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    if (m_nameEdit)
        return;
    // None of them with the platform's own dialog, which takes typed paths itself.
    m_nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!m_nameEdit || !buttons)
        return;
    m_acceptButton =
        buttons->button(acceptMode() == AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open);
    // After the dialog's own handlers of the same signal.
    connect(m_nameEdit, &QLineEdit::textChanged, this, [this] { followTypedPath(); });
    if (m_acceptButton)
        m_acceptButton->installEventFilter(this);
    followTypedPath();
}

std::optional<QString> FileDialog::typedPath() const
{
    if (!m_nameEdit)
        return std::nullopt;
    QString typed = QDir::fromNativeSeparators(m_nameEdit->text());
    // A name of the folder shown, or several quoted names, are the dialog's own business; so is "~user".
    if (typed.contains(QLatin1Char('"')) ||
        (!typed.contains(QLatin1Char('/')) && typed != QLatin1String("~")))
        return std::nullopt;
    if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
        typed = QDir::homePath() + typed.mid(1);
    else if (typed.startsWith(QLatin1Char('~')))
        return std::nullopt;
    QString path = QDir::cleanPath(directory().absoluteFilePath(typed));
    const QFileInfo info(path);
    if (!defaultSuffix().isEmpty() && !info.isDir() && !info.fileName().contains(QLatin1Char('.')))
        path += QLatin1Char('.') + defaultSuffix();
    return path;
}

bool FileDialog::takesTypedPath() const
{
    const std::optional<QString> path = typedPath();
    return path && (fileMode() == AnyFile || QFileInfo::exists(*path));
}

void FileDialog::followTypedPath()
{
    if (m_acceptButton && typedPath())
        m_acceptButton->setEnabled(takesTypedPath());
}

bool FileDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_acceptButton && event->type() == QEvent::EnabledChange && typedPath() &&
        m_acceptButton->isEnabled() != takesTypedPath())
        m_acceptButton->setEnabled(takesTypedPath());
    return QFileDialog::eventFilter(watched, event);
}

void FileDialog::accept()
{
    const std::optional<QString> path = typedPath();
    if (!path)
        return QFileDialog::accept();
    const QFileInfo info(*path);
    if (info.isDir()) {
        setDirectory(*path);
        m_nameEdit->clear();
        return;
    }
    // The dialog's own words, in its own translation.
    if (!info.exists() && fileMode() != AnyFile) {
        QMessageBox::warning(
            this, windowTitle(),
            tr("%1\nFile not found.\nPlease verify the correct file name was given.").arg(info.fileName()));
        return;
    }
    if (info.exists() && acceptMode() == AcceptSave && !testOption(DontConfirmOverwrite) &&
        QMessageBox::warning(this, windowTitle(),
                             tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    m_chosen = *path;
    QDialog::accept();
}

QString WidgetFileDialogs::ask(const Request& request)
{
    auto* parent = qobject_cast<QWidget*>(request.window);
    FileDialog dialog(request, parent ? parent : QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? dialog.chosenFile() : QString();
}
