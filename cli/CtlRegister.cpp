// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlRegister.h"

#include "app/AppPaths.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "cli/CtlExit.h"
#include "cli/CtlTerminal.h"
#include "config/SafeFile.h"
#include "history/RegisterQueue.h"
#include "history/RegisterStore.h"
#include "history/RegisterSync.h"

#include <QDir>

#include <cstdio>

namespace {

bool isHex(const QString& text, int minLength, int maxLength)
{
    return text.size() >= minLength && text.size() <= maxLength &&
           std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c.toUpper() >= u'A' && c.toUpper() <= u'F');
           });
}

class RegisterCommand
{
public:
    RegisterCommand(const AppPaths& paths)
        : m_options(paths.optionsFile()), m_language(paths.languageDir()), m_history(paths.historyDir()),
          m_store(RegisterAddress::configured(m_options.registerConnection()))
    {
        m_language.OpenLanguage(m_options.languageFile());
    }

    int sync(bool quiet);
    int status();
    // args: SERIAL [N]
    int history(const QStringList& args, const QString& saveFile);
    int find(const QString& prefix);

private:
    QString text(const char* key) const { return m_language.LanguageText("MESSAGES", key); }
    // The problem on stderr; the exit status: 65 for an answer refused, 69 for a register not reached.
    int failed(const RegisterProblem& problem) const;
    int nothing(const QString& what) const;

    Options m_options;
    LanguageCatalog m_language;
    QString m_history;
    RegisterStore m_store;
};

int RegisterCommand::failed(const RegisterProblem& problem) const
{
    printErr(QStringLiteral("zentikctl: ") + RegisterProblemText(m_language, problem));
    return problem.isRefusal() ? Exit::InvalidFile : Exit::PortUnavailable;
}

int RegisterCommand::nothing(const QString& what) const
{
    printErr(QStringLiteral("zentikctl: ") + what);
    return Exit::NothingToUndo;
}

int RegisterCommand::sync(bool quiet)
{
    const RegisterSyncResult result = SyncRegister(m_history, m_store);
    int status = Exit::Ok;
    for (const RegisterSyncResult::Dropped& d : result.dropped) {
        if (!quiet)
            printErr(QStringLiteral("zentikctl: ") +
                     text("213").arg(d.file, d.reason.isEmpty() ? text("215") : d.reason));
        status = Exit::FileError;
    }
    if (!result.queueError.isEmpty()) {
        if (!quiet)
            printErr(QStringLiteral("zentikctl: ") + result.queueError);
        status = Exit::FileError;
    }
    if (!result.problem.ok()) {
        status = quiet ? Exit::PortUnavailable : failed(result.problem);
        if (!quiet)
            printErr(QStringLiteral("zentikctl: ") + text("211").arg(result.waiting));
    }
    if (!quiet && result.problem.ok())
        printOut(text("210").arg(result.sent));
    return status;
}

int RegisterCommand::status()
{
    QString queueError;
    const qsizetype waiting = RegisterQueue(m_history).entries(&queueError).size();
    int status = Exit::Ok;
    std::optional<RegisterStore::Counts> counts;
    if (m_store.open())
        counts = m_store.counts();
    if (counts)
        printOut(text("212").arg(m_store.where()).arg(counts->versions).arg(counts->controllers));
    else
        status = failed(m_store.problem());
    if (!queueError.isEmpty()) {
        printErr(QStringLiteral("zentikctl: ") + queueError);
        status = Exit::FileError;
    }
    printOut(text("211").arg(waiting));
    return status;
}

int RegisterCommand::history(const QStringList& args, const QString& saveFile)
{
    const QString serial = args[0].toUpper();
    std::optional<QList<RegisterVersion>> versions;
    if (m_store.open())
        versions = m_store.versions(serial);
    if (!versions)
        return failed(m_store.problem());
    if (versions->isEmpty())
        return nothing(text("217").arg(serial));
    if (args.size() == 1) {
        for (int i = 0; i < versions->size(); ++i) {
            const RegisterVersion& v = versions->at(i);
            printOut(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                         .arg(i + 1)
                         .arg(RegisterVersion::localTimeText(v.taken), ControllerHistory::eventName(v.event),
                              v.takenBy, QString::fromLatin1(v.sha256.left(12))));
        }
        return Exit::Ok;
    }
    bool ok = false;
    const int index = args[1].toInt(&ok);
    if (!ok || index < 1 || index > versions->size())
        return nothing(text("216").arg(args[1], serial).arg(versions->size()));
    const std::optional<QByteArray> content = m_store.content(versions->at(index - 1), index);
    if (!content)
        return failed(m_store.problem());
    if (saveFile.isEmpty()) {
        std::fwrite(content->constData(), 1, size_t(content->size()), stdout);
        return Exit::Ok;
    }
    QString error;
    QString reason;
    if (!SafeFile::write(saveFile, *content, &error, &reason)) {
        printErr(QStringLiteral("zentikctl: %1: %2").arg(error, reason));
        return Exit::FileError;
    }
    return Exit::Ok;
}

int RegisterCommand::find(const QString& prefix)
{
    std::optional<QList<RegisterController>> found;
    if (m_store.open())
        found = m_store.find(prefix.toUpper());
    if (!found)
        return failed(m_store.problem());
    if (found->isEmpty())
        return nothing(text("219").arg(prefix.toUpper()));
    for (const RegisterController& c : *found)
        printOut(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                     .arg(c.serial, RegisterVersion::localTimeText(c.last.taken),
                          ControllerHistory::eventName(c.last.event), c.last.takenBy)
                     .arg(c.versions));
    return Exit::Ok;
}

} // namespace

bool CtlRegister::isSerial(const QString& text)
{
    return isHex(text, 8, 8);
}

bool CtlRegister::isSerialPrefix(const QString& text)
{
    return isHex(text, 1, 8);
}

int CtlRegister::sync(const CtlCall& call)
{
    return RegisterCommand(call.settings.paths).sync(call.isSet(CtlOption::Quiet));
}

int CtlRegister::status(const CtlCall& call)
{
    return RegisterCommand(call.settings.paths).status();
}

int CtlRegister::history(const CtlCall& call)
{
    return RegisterCommand(call.settings.paths).history(call.arguments, call.value(CtlOption::Save));
}

int CtlRegister::find(const CtlCall& call)
{
    return RegisterCommand(call.settings.paths).find(call.arguments[0]);
}
