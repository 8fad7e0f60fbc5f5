#include "app/AppPaths.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString kLanguageFolder = QStringLiteral("LANGUAGE");

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
    if (home.isEmpty()) {
        // Installed, the programs' folder is shared by every user: each keeps options and volumes of their
        // own.
        const bool installed = QFileInfo(QDir(installedData).filePath(kLanguageFolder)).isDir();
        home = exeDir;
        if (installed || !folderIsWritable(home)) {
            home = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
            QDir().mkpath(home);
        }
    }
    AppPaths paths = at(home);
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
