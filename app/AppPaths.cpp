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

AppPaths AppPaths::resolve(const QString& homeOption)
{
    QString home = homeOption;
    if (home.isEmpty())
        home = qEnvironmentVariable("ZENTIK_HOME");
    const QString exeDir = executableDir();
    if (home.isEmpty()) {
        home = exeDir;
        if (!folderIsWritable(home)) {
            home = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
            QDir().mkpath(home);
        }
    }
    AppPaths paths = at(home);
    paths.m_languageCandidates << QDir(exeDir).filePath(kLanguageFolder)
                               << QDir(QStringLiteral(ZENTIK_DATA_DIR)).filePath(kLanguageFolder);
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
