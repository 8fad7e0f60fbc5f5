// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlHistory.h"

#include "cli/CtlExit.h"
#include "cli/CtlSession.h"
#include "config/SafeFile.h"
#include "flows/UndoFlow.h"
#include "history/ControllerHistory.h"

#include <cstdio>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// Times are kept in UTC and shown in local time.
QString shown(const QDateTime& time)
{
    return time.toLocalTime().toString(kTimeFormat);
}

int listControllers(const ControllerHistory& history)
{
    for (const ControllerHistory::Controller& c : history.controllers())
        printOut(QStringLiteral("%1\t%2\t%3").arg(c.serial, shown(c.lastSeen)).arg(c.versions));
    return Exit::Ok;
}

int nothingFor(const QString& what)
{
    printErr(QStringLiteral("zentikctl: the history holds no %1").arg(what));
    return Exit::NothingToUndo;
}

// One line per version, oldest first: index, time, event, file.
int listVersions(const QList<ControllerHistory::Version>& versions)
{
    for (int i = 0; i < versions.size(); ++i)
        printOut(QStringLiteral("%1\t%2\t%3\t%4")
                     .arg(i + 1)
                     .arg(shown(versions[i].time), ControllerHistory::eventName(versions[i].event),
                          versions[i].path));
    return Exit::Ok;
}

// The version's file as it is: into saveFile through the checked writer, else on stdout.
int showVersion(const ControllerHistory::Version& version, const QString& saveFile)
{
    QByteArray content;
    QString reason;
    if (SafeFile::read(version.path, &content, &reason, SafeFile::kMaxInputBytes, SafeFile::Links::Refuse) !=
        SafeFile::ReadStatus::Ok) {
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(version.path, reason));
        return Exit::FileError;
    }
    if (saveFile.isEmpty()) {
        std::fwrite(content.constData(), 1, size_t(content.size()), stdout);
        return Exit::Ok;
    }
    QString error;
    if (!SafeFile::write(saveFile, content, &error, &reason)) {
        printErr(QStringLiteral("zentikctl: %1: %2").arg(error, reason));
        return Exit::FileError;
    }
    return Exit::Ok;
}

} // namespace

int CtlHistory::run(const CtlCall& call)
{
    const ControllerHistory history(call.settings.paths.historyDir());
    const QStringList& args = call.arguments;
    if (args.isEmpty())
        return listControllers(history);
    const QString serial = args[0];
    QList<ControllerHistory::Skipped> skipped;
    const QList<ControllerHistory::Version> versions = history.versions(serial, &skipped);
    for (const ControllerHistory::Skipped& s : skipped)
        printErr(QStringLiteral("zentikctl: %1: %2, not a version; passed over").arg(s.path, s.reason));
    if (versions.isEmpty())
        return nothingFor(QStringLiteral("version of %1").arg(serial));
    if (args.size() == 1)
        return listVersions(versions);
    bool ok = false;
    const int index = args[1].toInt(&ok);
    if (!ok || index < 1 || index > versions.size())
        return nothingFor(
            QStringLiteral("version %1 of %2 (it holds 1 to %3)").arg(args[1], serial).arg(versions.size()));
    return showVersion(versions[index - 1], call.value(CtlOption::Save));
}

int CtlHistory::undo(const CtlCall& call)
{
    CtlSession session(call.settings);
    // What is said of the backup (an entry it holds that is not valid) names it.
    return session.runFlow([&](const FlowRun& run) {
        StartUndo(session.context(), QString(), run,
                  [&session](const QString& version) { session.messages().setSubject(version); });
    });
}
