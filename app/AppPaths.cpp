// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppPaths.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString kLanguageFolder = QStringLiteral("LANGUAGE");
const QString kHistoryFolder = QStringLiteral("history");

bool folderIsWritable(const QString& dir)
{
    // Permission bits do not tell about read-only mounts; trying is the only sure test.
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".zentik-probe-XXXXXX")));
    return probe.open();
}

QString executableDir()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

} // namespace

AppPaths AppPaths::at(const QString& home)
{
    AppPaths paths;
    paths.m_home = QDir(home).absolutePath();
    paths.m_history = QDir(paths.m_home).filePath(kHistoryFolder);
    paths.m_languageCandidates << QDir(paths.m_home).filePath(kLanguageFolder);
    return paths;
}

AppPaths AppPaths::resolve(const QString& homeOption, const QString& programDir)
{
    const QString exeDir = programDir.isEmpty() ? executableDir() : programDir;
    const QString installedData =
        QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral(ZENTIK_DATA_FROM_BIN)));
    QString home = homeOption;
    if (home.isEmpty())
        home = qEnvironmentVariable("ZENTIK_HOME");
    bool userFolders = false;
    if (home.isEmpty()) {
        // Installed, the programs' folder is shared by every user: each keeps options and volumes of their
        // own.
        const bool installed = QFileInfo(QDir(installedData).filePath(kLanguageFolder)).isDir();
        home = exeDir;
        if (installed || !folderIsWritable(home)) {
            home = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
            QDir().mkpath(home);
            userFolders = true;
        }
    }
    AppPaths paths = at(home);
    // Versions of controllers are data, not settings: they belong with the user's data files.
    if (userFolders)
        paths.m_history = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                              .filePath(QStringLiteral("ZENTIK Configurator/") + kHistoryFolder);
    // A folder a team shares.
    if (const QString shared = qEnvironmentVariable("ZENTIK_HISTORY"); !shared.isEmpty())
        paths.m_history = QDir(shared).absolutePath();
    paths.m_languageCandidates << QDir(installedData).filePath(kLanguageFolder)
                               << QDir(exeDir).filePath(kLanguageFolder);
    return paths;
}

QString AppPaths::optionsFile() const
{
    return QDir(m_home).filePath(QStringLiteral("options.ini"));
}

QString AppPaths::volumeStoreFile() const
{
    return QDir(m_home).filePath(QStringLiteral("SN.ini"));
}

QString AppPaths::languageDir() const
{
    for (const QString& dir : m_languageCandidates)
        if (QFileInfo(dir).isDir())
            return dir;
    return m_languageCandidates.first();
}

QString AppPaths::historyDir() const
{
    return m_history;
}
