// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/ConfigWriteFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "flows/BackupFlow.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"
#include "ports/FilePort.h"

#include <QDir>
#include <QPointer>

namespace {

// Whether the settings a window shows (and the volumes of the sensors it shows polled) are still those of
// the record: what a write of its fields would not undo.
bool sameSettings(const TParameters& shown, const TParameters& now)
{
    for (int n = 0; n < 2; ++n)
        if (shown.SensorOn[n] != now.SensorOn[n] || shown.NetAddr[n] != now.NetAddr[n] ||
            (shown.SensorOn[n] && shown.Volumes[n] != now.Volumes[n]))
            return false;
    return shown.Inversion == now.Inversion && shown.MultFactor == now.MultFactor &&
           shown.ReserveLevel == now.ReserveLevel && shown.Interval == now.Interval &&
           shown.OutputMode == now.OutputMode;
}

// controllerHolds: what the controller holds, read right before.
void startConfigWrite(const AppContext& context, const TParameters& written, const TParameters* asRead,
                      const FlowRun& run, const std::optional<TParameters>& controllerHolds = std::nullopt)
{
    if (context.zentik->IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    // What a settings write replaces is kept as any other write's is, so that undo undoes this write. It
    // shows no review: without a history to keep the backup in, it is not read.
    const std::optional<TParameters> read = asRead ? std::optional<TParameters>(*asRead) : std::nullopt;
    const auto write = [context, written, read, run,
                        controllerHolds](const std::optional<TParameters>& backup) {
        TZENTIK& z = *context.zentik;
        const QString path = FilePortPath(z.ComPort->portName());
        QPointer<SerialLink> line = z.ComPort->link();
        // The file is compared and written under its lock, so that no change slips in between.
        const bool held = read && !path.isEmpty() && HoldFile(line);
        const auto release = [held, line] {
            if (held && line)
                ReleaseFile(line);
        };
        TParameters now;
        if (read && !path.isEmpty() && ReadFilePort(path, &now).ok() && !sameSettings(*read, now)) {
            release();
            return run.finish(FlowOutcome::of(
                FlowOutcome::Kind::FileError,
                context.language->LanguageText("MESSAGES", "106").arg(QDir::toNativeSeparators(path))));
        }
        z.SetNewParameters(written);
        RunWrite(
            context, Process::SaveConfig, QString(), run, backup,
            [run, release](const FlowOutcome& outcome) {
                release();
                run.finish(outcome);
            },
            controllerHolds);
    };
    if (!KeepsHistory(context))
        return write(std::nullopt);
    StartBackup(context, BackupUse::BeforeWrite, run, write);
}

} // namespace

void StartConfigWrite(const AppContext& context, const TParameters& written, const FlowRun& run)
{
    startConfigWrite(context, written, nullptr, run);
}

void StartConfigWrite(const AppContext& context, const TParameters& written, const TParameters& asRead,
                      const FlowRun& run)
{
    startConfigWrite(context, written, &asRead, run);
}

FlowOutcome ParseSettingAssignments(const QStringList& assignments, QList<ConfigFile::Entry>* entries)
{
    FlowOutcome invalid = FlowOutcome::of(FlowOutcome::Kind::InvalidFile);
    IniDocument doc;
    entries->clear();
    for (const QString& assignment : assignments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        const QByteArray name = assignment.left(eq).trimmed().toUtf8();
        const auto key = eq > 0 ? ConfigFile::settingKey(name) : std::nullopt;
        if (eq < 0) {
            invalid.problems << QStringLiteral("%1: no '=' between a setting and its value").arg(assignment);
            continue;
        }
        if (!key) {
            invalid.problems << QStringLiteral("%1: no such setting").arg(QString::fromUtf8(name));
            continue;
        }
        const QByteArray value = assignment.mid(eq + 1).trimmed().toUtf8();
        doc.setValue(ConfigFile::kParametersSection, *key, value);
        entries->append({*key, value});
    }
    // Only what was given is checked, against what the controller settings window's fields take: a setting
    // not named keeps the controller's value.
    for (const ConfigFile::Problem& problem :
         ConfigFile::checkSettings(doc, ConfigFile::Ranges::Settable).problems)
        if (problem.value)
            invalid.problems << problem.describe();
    if (!invalid.problems.isEmpty()) {
        entries->clear();
        return invalid;
    }
    return FlowOutcome::done();
}

void StartSettingsWrite(const AppContext& context, const QList<ConfigFile::Entry>& entries,
                        const FlowRun& run)
{
    // A configuration file is held from the read to the write-back: another program's change waits for
    // this one to end rather than being written over with what this read found.
    QPointer<SerialLink> line = context.zentik->ComPort->link();
    const bool held = HoldFile(line);
    const FlowRun ending = run.continuedBy([run, held, line](const FlowOutcome& outcome) {
        if (held && line)
            ReleaseFile(line);
        run.finish(outcome);
    });
    StartConfigRead(context, ending.continuedBy([context, entries, ending](const FlowOutcome& read) {
        if (!read.ok())
            return ending.finish(read);
        const TParameters& p = context.zentik->Parameters;
        const std::array<qint32, 2> stored = StoredTankVolumes(context, p.SerialNumber);
        IniDocument doc;
        for (const ConfigFile::Entry& e : ConfigFile::parameterEntries(p))
            doc.setValue(ConfigFile::kParametersSection, e.first, e.second);
        for (int n = 0; n < 2; ++n)
            doc.writeInteger(ConfigFile::kParametersSection, "Volume_" + QByteArray::number(n), stored[n]);
        for (const ConfigFile::Entry& e : entries)
            doc.setValue(ConfigFile::kParametersSection, e.first, e.second);
        TParameters written = p;
        ConfigFile::fillSettings(doc, written);
        startConfigWrite(context, written, nullptr, ending, p);
    }));
}
