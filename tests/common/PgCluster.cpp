// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/PgCluster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

bool asRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

} // namespace

PgCluster::~PgCluster()
{
    stop();
}

QString PgCluster::binDir()
{
    const QString dir = qEnvironmentVariableIsSet("ZENTIK_PG_BIN")
                            ? qEnvironmentVariable("ZENTIK_PG_BIN")
                            : QStringLiteral("/usr/lib/postgresql/15/bin");
    return QFileInfo(QDir(dir).filePath(QStringLiteral("initdb"))).isExecutable() ? dir : QString();
}

bool PgCluster::runAsServer(const QString& program, const QStringList& arguments, QString* why) const
{
    QProcess process;
    const QString path = QDir(binDir()).filePath(program);
    // PostgreSQL refuses to run as root.
    if (asRoot())
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                             QStringLiteral("--"), path} +
                                                     arguments);
    else
        process.start(path, arguments);
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    if (why)
        *why = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError()) +
               process.errorString();
    return false;
}

bool PgCluster::start(QString* why)
{
    if (binDir().isEmpty()) {
        *why =
            QStringLiteral("PostgreSQL's initdb is not installed (postgresql-15; scripts/setup installs it)");
        return false;
    }
    // A short path: the socket's whole name must fit in 107 bytes.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/zentik-pg-XXXXXX"));
    const QString pg = socketDir();
    if (!m_dir->isValid() || !QDir().mkpath(pg)) {
        *why = QStringLiteral("no temporary folder");
        return false;
    }
#ifdef Q_OS_UNIX
    if (asRoot()) {
        const passwd* postgres = ::getpwnam("postgres");
        QFile(m_dir->path())
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup |
                            QFile::ExeOther);
        if (!postgres ||
            ::chown(QFile::encodeName(pg).constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
            *why = QStringLiteral("no postgres user to run the server as");
            return false;
        }
    }
#endif
    const QString data = QDir(pg).filePath(QStringLiteral("data"));
    if (!runAsServer(QStringLiteral("initdb"),
                     {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                      QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                      QStringLiteral("UTF8"), QStringLiteral("--no-sync"),
                      QStringLiteral("--no-instructions")},
                     why))
        return false;
    // Nothing of the cluster outlives the test, so nothing needs to reach the disk.
    const QString options =
        QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off "
                       "-c synchronous_commit=off -c full_page_writes=off")
            .arg(pg);
    m_running = runAsServer(QStringLiteral("pg_ctl"),
                            {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-l"),
                             QDir(pg).filePath(QStringLiteral("log")), QStringLiteral("-w"),
                             QStringLiteral("-s"), QStringLiteral("start")},
                            why);
    return m_running;
}

void PgCluster::stop()
{
    if (!m_running)
        return;
    m_running = false;
    runAsServer(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), QDir(socketDir()).filePath(QStringLiteral("data")),
                 QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                 QStringLiteral("-s"), QStringLiteral("stop")},
                nullptr);
}

bool PgCluster::sql(const QString& database, const QString& statements, QString* out) const
{
    QProcess psql;
    psql.start(QDir(binDir()).filePath(QStringLiteral("psql")),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), socketDir(),
                QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), database,
                QStringLiteral("-c"), statements});
    const bool ok =
        psql.waitForFinished(120000) && psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0;
    if (out)
        *out = QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    if (!ok)
        qWarning("psql: %s", psql.readAllStandardError().constData());
    return ok;
}

QString PgCluster::createRegister(const QString& name) const
{
    if (!sql(QStringLiteral("postgres"), QStringLiteral("CREATE ROLE %1 LOGIN").arg(name)) ||
        !sql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1 OWNER %1").arg(name)))
        return QString();
    return QStringLiteral("host=%1 dbname=%2 user=%2").arg(socketDir(), name);
}
