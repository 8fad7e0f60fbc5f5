// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LogFile.h"

#include "config/SafeFile.h"

bool WriteLogFile(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray content;
    for (const QString& line : lines) {
        content += line.toUtf8();
        content += "\r\n";
    }
    QString reason;
    if (SafeFile::write(path, content, nullptr, &reason))
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(SafeFile::writeErrorText(path), reason);
    return false;
}
