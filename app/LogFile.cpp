#include "app/LogFile.h"

#include <QSaveFile>

bool WriteLogFile(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray content;
    for (const QString& line : lines) {
        content += line.toUtf8();
        content += "\r\n";
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Unable to write to %1: %2").arg(path, file.errorString());
    return false;
}
