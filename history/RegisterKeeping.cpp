// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterKeeping.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "config/SafeFile.h"
#include "history/RegisterAddress.h"
#include "history/RegisterQueue.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString ConfiguredRegister(const AppContext& context)
{
    return RegisterAddress::configured(context.options ? context.options->registerConnection() : QString());
}

void QueueForRegister(const AppContext& context, const QString& path, const QString& serial,
                      ControllerHistory::Event event, const QDateTime& at)
{
    // The register keeps controllers' serial numbers only; a test's made-up name stays local.
    if (!context.history || ConfiguredRegister(context).isEmpty() || !RegisterVersion::isSerial(serial))
        return;
    RegisterVersion v;
    v.serial = serial;
    v.taken = at.toUTC();
    v.event = event;
    v.takenBy = RegisterVersion::currentTaker();
    v.program = QStringLiteral(ZENTIK_VERSION);
    v.file = QDir(context.history->folder()).relativeFilePath(path);
    QByteArray content;
    QString error;
    if (SafeFile::read(path, &content, &error) == SafeFile::ReadStatus::Ok) {
        v.sha256 = RegisterVersion::sha256Of(content);
        if (RegisterQueue(context.history->folder()).add(v, &error)) {
            StartRegisterSync(context);
            return;
        }
    } else {
        error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
    }
    context.messages->warning(context.language->LanguageText("MESSAGES", "214").arg(error));
}

void StartRegisterSync(const AppContext& context)
{
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("zentikctl"), {QCoreApplication::applicationDirPath()});
    if (program.isEmpty() || !context.history)
        return;
    QStringList arguments;
    if (context.options)
        arguments << QStringLiteral("--home") << QFileInfo(context.options->fileName()).absolutePath();
    arguments << QStringLiteral("register") << QStringLiteral("sync") << QStringLiteral("--quiet");
    QProcess sync;
    sync.setProgram(program);
    sync.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTIK_HISTORY"), context.history->folder());
    sync.setProcessEnvironment(environment);
    sync.setStandardOutputFile(QProcess::nullDevice());
    sync.setStandardErrorFile(QProcess::nullDevice());
    sync.startDetached();
}

void SyncWaitingVersions(const AppContext& context)
{
    if (!context.history || ConfiguredRegister(context).isEmpty())
        return;
    if (!RegisterQueue(context.history->folder()).entries().isEmpty())
        StartRegisterSync(context);
}
