// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileNames.h"

#include "app/Options.h"

#include <QDir>
#include <QFileInfo>

namespace FileNames {

namespace {

QByteArray folderKey(Kind kind)
{
    switch (kind) {
    case Kind::Configuration:
        return "DirConfig";
    case Kind::Points:
        return "DirPoints";
    case Kind::Table:
        return "DirTable";
    case Kind::Report:
        return "DirReport";
    case Kind::Log:
        return "DirLog";
    }
    return QByteArray();
}

bool isRead(const QString& serialNumber)
{
    const QString trimmed = serialNumber.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String("00000000");
}

} // namespace

QString extensionOf(Kind kind)
{
    switch (kind) {
    case Kind::Configuration:
        return QStringLiteral("zkt");
    case Kind::Points:
    case Kind::Table:
        return QStringLiteral("csv");
    case Kind::Report:
        return QStringLiteral("pdf");
    case Kind::Log:
        return QStringLiteral("log");
    }
    return QString();
}

QString proposedName(Kind kind, const QString& serialNumber, const QDate& date, int sensor)
{
    QStringList parts;
    // A serial number is a file name's part only as far as it holds no path separators.
    if (isRead(serialNumber))
        parts << QString(serialNumber.trimmed())
                     .replace(QLatin1Char('/'), QLatin1Char('-'))
                     .replace(QLatin1Char('\\'), QLatin1Char('-'));
    parts << date.toString(Qt::ISODate);
    switch (kind) {
    case Kind::Points:
        parts << QStringLiteral("sensor %1 points").arg(sensor);
        break;
    case Kind::Table:
        parts << QStringLiteral("sensor %1 table").arg(sensor);
        break;
    case Kind::Report:
        parts << QStringLiteral("report");
        break;
    case Kind::Configuration:
    case Kind::Log:
        break;
    }
    const QString name = parts.join(QLatin1Char(' '));
    return kind == Kind::Log ? name : name + QLatin1Char('.') + extensionOf(kind);
}

QString withExtension(const QString& path, const QString& extension)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + extension;
}

QString lastFolder(Options& options, Kind kind)
{
    const QString folder = options.file().readString(Options::kSection, folderKey(kind), QString());
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

bool keepFolder(Options& options, Kind kind, const QString& chosenFile)
{
    if (chosenFile.isEmpty())
        return true;
    const QString folder = QFileInfo(chosenFile).absolutePath();
    if (folder == lastFolder(options, kind))
        return true;
    return options.file().writeString(Options::kSection, folderKey(kind), folder);
}

QString proposedPath(Options& options, Kind kind, const QString& serialNumber, int sensor)
{
    const QString name = proposedName(kind, serialNumber, QDate::currentDate(), sensor);
    const QString folder = lastFolder(options, kind);
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

} // namespace FileNames
