// SPDX-License-Identifier: GPL-3.0-or-later
// Running one of the programs as a script would: its exit status and what it printed.
#pragma once

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct Outcome
{
    int exitCode = -1; // -1: it did not end within a minute; -2: it crashed
    QString out;
    QString err;
};

inline Outcome RunProgram(const QString& program, const QStringList& args,
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                          const QString& workingDirectory = QString())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        p.setWorkingDirectory(workingDirectory);
    p.start(program, args);
    Outcome o;
    if (!p.waitForFinished(60000)) {
        p.kill();
        return o;
    }
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    o.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    o.err = QString::fromLocal8Bit(p.readAllStandardError());
    return o;
}

// zentik-sim on a pseudo-terminal for the lifetime of the object: a controller that a zentikctl run reaches
// as it would a real one (the built-in SIM keeps no history).
class SimProcess
{
public:
    SimProcess() : SimProcess(QStringList()) {}
    explicit SimProcess(const QStringList& flags)
    {
        m_process.start(QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QStringLiteral("zentik-sim")),
                        flags);
        if (m_process.waitForReadyRead(10000))
            m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    QString path() const { return m_path; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_path;
};
